#include "tests/support/FakeWine.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace tmt::test {

namespace {
// Each start writes its record to a file of its own, renamed into place when complete, so that a
// reader never sees half a record. Fields are NUL-separated: the folder, then the arguments.
constexpr char kScript[] = R"SH(#!/bin/sh
record="$(dirname "$0")/starts/$$.$(date +%s%N)"
{ printf '%s\0' "$PWD"; for argument in "$@"; do printf '%s\0' "$argument"; done; } > "$record.part"
mv "$record.part" "$record.rec"
)SH";
} // namespace

FakeWine::FakeWine() {
    const auto script = folder_.Path() / "wine";
    WriteFile(script, kScript);
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    std::filesystem::create_directory(folder_.Path() / "starts");
    const char* path = std::getenv("PATH");
    previousPath_ = path != nullptr ? path : "";
    ::setenv("PATH", (folder_.Path().string() + ":" + previousPath_).c_str(), 1);
}

FakeWine::~FakeWine() {
    ::setenv("PATH", previousPath_.c_str(), 1);
}

std::vector<FakeWine::Start> FakeWine::Starts() const {
    std::vector<std::filesystem::path> records;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path() / "starts")) {
        if (entry.path().extension() == ".rec") {
            records.push_back(entry.path());
        }
    }
    std::sort(records.begin(), records.end());
    std::vector<Start> starts;
    for (const auto& record : records) {
        std::istringstream fields(ReadFile(record));
        Start start;
        std::string field;
        std::getline(fields, field, '\0');
        start.workingDirectory = field;
        while (std::getline(fields, field, '\0')) {
            start.arguments.push_back(field);
        }
        starts.push_back(std::move(start));
    }
    return starts;
}

std::vector<FakeWine::Start> FakeWine::WaitForStarts(std::size_t count,
                                                     std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<Start> starts = Starts();
    while (starts.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        starts = Starts();
    }
    return starts;
}

} // namespace tmt::test
