// Decoding a large photo:
//   bench_jpeg PHOTO [benchmark flags]  timed decodes of PHOTO for a 100x100 avatar and at full
//   size bench_jpeg --load PHOTO             one decode for the avatar as its own process, for
//   timing
//                                       against djpeg; prints how far the peak memory grew
#include "core/JpegImage.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

namespace {

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::optional<tmt::RgbImage> DecodeFile(const std::filesystem::path& photo, int fit) {
    const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(photo.c_str(), "rb"));
    return tmt::DecodeJpegFile(file.get(), fit, fit);
}

long PeakKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int LoadOnce(const std::filesystem::path& photo) {
    const long before = PeakKilobytes();
    const auto start = std::chrono::steady_clock::now();
    const auto image = DecodeFile(photo, 100);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const long after = PeakKilobytes();
    if (!image) {
        std::fprintf(stderr, "cannot decode %s\n", photo.c_str());
        return 1;
    }
    std::printf("decoded %dx%d in %.3f s; peak memory %ld KB before, %ld KB after: +%ld KB\n",
                image->width, image->height, took.count(), before, after, after - before);
    return 0;
}

void Decode(benchmark::State& state, const std::filesystem::path& photo, int fit) {
    for (auto _ : state) {
        auto image = DecodeFile(photo, fit);
        if (!image) {
            state.SkipWithError("cannot decode the photo");
            return;
        }
        benchmark::DoNotOptimize(image->pixels.data());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0) {
        return LoadOnce(argv[2]);
    }
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PHOTO [benchmark flags]\n       %s --load PHOTO\n", argv[0],
                     argv[0]);
        return 2;
    }
    const std::filesystem::path photo = argv[1];
    benchmark::RegisterBenchmark("DecodeForAvatar", Decode, photo, 100)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DecodeFullSize", Decode, photo, 0)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
