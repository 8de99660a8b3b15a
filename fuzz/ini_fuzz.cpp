// Random file bytes, then random writes and deletes: reads never crash, and every line a write
// does not touch survives byte for byte, in order.
#include "platform/linux/IniText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        current += text[i];
        const bool crlf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if ((text[i] == '\r' && !crlf) || text[i] == '\n') {
            lines.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) {
        lines.push_back(current);
    }
    return lines;
}

bool SameButLineEnd(const std::string& a, const std::string& b) {
    return b.size() >= a.size() && b.compare(0, a.size(), a) == 0 && b.size() - a.size() <= 2;
}

// `after` holds `before` in order with at most one line changed or gone and a few lines added.
void CheckUntouchedSurvive(const std::string& before, const std::string& after) {
    const auto old = Lines(before);
    const auto now = Lines(after);
    std::size_t j = 0;
    int changed = 0;
    for (std::size_t i = 0; i < old.size(); ++i) {
        std::size_t look = j;
        while (look < now.size() && look < j + 4 && now[look] != old[i] &&
               !(i + 1 == old.size() && SameButLineEnd(old[i], now[look]))) {
            ++look;
        }
        if (look < now.size() && look < j + 4) {
            j = look + 1;
        } else if (++changed > 1) {
            std::abort();
        }
    }
}

const char* const kNames[] = {"Graphics", "graphics", "Path", "Net", "", "profile", "S", "k"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string file = input.ConsumeRandomLengthString(4096);
    tmt::platform::IniText text(file);
    std::string bytes = text.Bytes();
    if (bytes != file) {
        std::abort(); // reading alone must not change a byte
    }
    while (input.remaining_bytes() > 0) {
        const std::string section = input.PickValueInArray(kNames);
        const std::string key = input.PickValueInArray(kNames);
        (void)text.Read(section, key);
        (void)text.Keys(section);
        std::optional<std::string> value;
        if (input.ConsumeBool()) {
            value = input.ConsumeRandomLengthString(64);
        }
        if (!text.Write(section, key, value)) {
            if (text.Bytes() != bytes) {
                std::abort(); // a refused write changes nothing
            }
            continue;
        }
        const std::string after = text.Bytes();
        CheckUntouchedSurvive(bytes, after);
        bytes = after;
    }
    return 0;
}
