#include "tests/support/FakeRunners.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace tmt::test {

namespace fs = std::filesystem;

namespace {

// Each start writes its record to a file of its own, renamed into place when complete, so that a
// reader never sees half a record. The name leads with the nanosecond clock (19 digits until
// 2286), so that names sort in the order of the starts; process ids wrap and differ in length.
// Fields are NUL-separated: the program, the folder, the number of arguments, the arguments, then
// the whole environment as NAME=value.
std::string Script(const fs::path& records, const std::optional<fs::path>& answer,
                   const std::optional<FakeRunners::Refusal>& refusal) {
    std::string script = "#!/bin/sh\nrecord=\"" + records.string() +
                         "/$(/usr/bin/date +%s%N).$$\"\n{\nprintf '%s\\0' \"$0\" \"$PWD\" \"$#\"\n"
                         "for argument in \"$@\"; do printf '%s\\0' \"$argument\"; done\n"
                         "/usr/bin/env -0\n} > \"$record.part\"\n"
                         "/usr/bin/mv \"$record.part\" \"$record.rec\"\n";
    if (answer) {
        script += "if [ \"$1\" = reg ] && [ \"$2\" = export ]; then\n"
                  "  file=$(printf '%s' \"$4\" | /usr/bin/sed -e 's/^[A-Za-z]://' -e "
                  "'s/\\\\/\\//g')\n"
                  "  { printf '\\377\\376'; /usr/bin/iconv -f UTF-8 -t UTF-16LE \"" +
                  answer->string() + "\"; } > \"$file\"\nfi\n";
    }
    if (refusal) {
        static int messages = 0;
        const fs::path message = records.parent_path() / ("refusal-" + std::to_string(++messages));
        WriteFile(message, refusal->message);
        script += "/usr/bin/cat \"" + message.string() + "\" >&2\nexit " +
                  std::to_string(refusal->status) + "\n";
    }
    return script;
}

// Any account may run it; only its owner may change it, or no runner would be trusted.
void MakeRunnable(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

} // namespace

FakeRunners::FakeRunners() {
    fs::create_directory(folder_.Path() / "bin");
    fs::create_directory(folder_.Path() / "starts");
    // Runners started as another account record their starts too.
    fs::permissions(folder_.Path() / "starts", fs::perms::all | fs::perms::sticky_bit);
    const char* path = std::getenv("PATH");
    previousPath_ = path != nullptr ? path : "";
    ::setenv("PATH", ((folder_.Path() / "bin").string() + ":" + previousPath_).c_str(), 1);
}

FakeRunners::~FakeRunners() {
    ::setenv("PATH", previousPath_.c_str(), 1);
}

void FakeRunners::AddToPath(const std::string& name) {
    Install(folder_.Path() / "bin" / name);
}

void FakeRunners::AddRefusingToPath(const std::string& name, const Refusal& refusal) {
    InstallRefusing(folder_.Path() / "bin" / name, refusal);
}

void FakeRunners::InstallRefusing(const fs::path& path, const Refusal& refusal) {
    WriteFile(path, Script(folder_.Path() / "starts", std::nullopt, refusal));
    MakeRunnable(path);
}

void FakeRunners::Install(const fs::path& path, const std::optional<std::string>& regExport) {
    std::optional<fs::path> answer;
    if (regExport) {
        static int answers = 0;
        answer = folder_.Path() / ("answer-" + std::to_string(++answers) + ".reg");
        WriteFile(*answer, *regExport);
    }
    WriteFile(path, Script(folder_.Path() / "starts", answer, std::nullopt));
    MakeRunnable(path);
}

std::vector<FakeRunners::Start> FakeRunners::Starts() const {
    std::vector<fs::path> records;
    for (const auto& entry : fs::directory_iterator(folder_.Path() / "starts")) {
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
        start.program = field;
        std::getline(fields, field, '\0');
        start.workingDirectory = field;
        std::getline(fields, field, '\0');
        const int count = std::stoi(field);
        for (int i = 0; i < count && std::getline(fields, field, '\0'); ++i) {
            start.arguments.push_back(field);
        }
        while (std::getline(fields, field, '\0')) {
            if (const std::size_t equals = field.find('='); equals != std::string::npos) {
                start.environment[field.substr(0, equals)] = field.substr(equals + 1);
            }
        }
        starts.push_back(std::move(start));
    }
    return starts;
}

std::vector<FakeRunners::Start>
FakeRunners::WaitForStarts(std::size_t count, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<Start> starts = Starts();
    while (starts.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        starts = Starts();
    }
    return starts;
}

} // namespace tmt::test
