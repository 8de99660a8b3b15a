// The search for installations as a program of its own, so that a test can run it as another
// account. Prints one line per installation found: source, place, InstallDir and InstallVer,
// separated by tabs. With "start SOURCE SWITCHES" it then starts the game of the installation
// found there and prints "started" or the reason it did not start.
#include "platform/Installations.h"
#include "platform/Shell.h"

#include <algorithm>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const auto found = tmt::platform::FindInstallations("SOFTWARE\\\\TuneMora");
    for (const auto& installation : found) {
        std::printf("%s\t%s\t%s\t%s\n", installation.source.c_str(), installation.place.c_str(),
                    installation.installDir.c_str(), installation.installVer.c_str());
    }
    if (argc == 4 && std::string(argv[1]) == "start") {
        const auto chosen = std::find_if(found.begin(), found.end(), [&](const auto& installation) {
            return installation.source == argv[2];
        });
        if (chosen == found.end()) {
            std::printf("nothing found in %s\n", argv[2]);
            return 1;
        }
        tmt::platform::UseInstallation(&*chosen);
        const std::string folder = chosen->installDir;
        const tmt::platform::StartResult result = tmt::platform::ShellOpen(
            "\"" + folder + "\\Tunemora.exe\"", argv[3], "\"" + folder + "\"");
        std::printf("%s\n", result.started ? "started" : ("not started: " + result.reason).c_str());
    }
    return 0;
}
