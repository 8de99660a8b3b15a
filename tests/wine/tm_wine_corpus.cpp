// Generates the comparison's case tree and case lists into a new folder:
//
//   tm_wine_corpus <folder> [seed]
//
// ro/ and read.cases: what only reads look at; mut/ and mutate.cases: what writes change, to be
// copied for each side; regset.cases: registry values for Wine to set first.
#include "tests/wine/Corpus.h"

#include <cstdlib>
#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: tm_wine_corpus <folder> [seed]\n";
        return 2;
    }
    try {
        tmt::wine::Rng rng(argc == 3 ? std::strtoull(argv[2], nullptr, 10) : 20240601);
        tmt::wine::Corpus corpus(argv[1]);
        tmt::wine::AddIniCorpus(corpus, rng);
        tmt::wine::AddIniWriteCorpus(corpus, rng);
        tmt::wine::AddFolderCorpus(corpus, rng);
        tmt::wine::AddRegistryCorpus(corpus);
        corpus.Read("acp", {});
        corpus.Save();
    } catch (const std::exception& error) {
        std::cerr << "tm_wine_corpus: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
