#include "platform/AnsiCodePage.h"

#include "core/text/Text.h"
#include "platform/linux/LocaleCodePage.h"

#include "core/text/CodePage.h"
#include "platform/linux/WineTables.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <optional>
#include <utility>

namespace tmt::platform {

namespace {

constexpr unsigned kDefaultCodePage = 1252;
constexpr std::size_t kMaxLocaleName = 85; // LOCALE_NAME_MAX_LENGTH, with its terminating NUL

// Script modifiers of Unix locale names and the script part of the Windows name.
constexpr std::array<std::pair<std::string_view, std::string_view>, 14> kScripts = {{
    {"arabic", "-Arab"},
    {"chakma", "-Cakm"},
    {"cherokee", "-Cher"},
    {"cyrillic", "-Cyrl"},
    {"devanagari", "-Deva"},
    {"gurmukhi", "-Guru"},
    {"javanese", "-Java"},
    {"latin", "-Latn"},
    {"mongolian", "-Mong"},
    {"syriac", "-Syrc"},
    {"tifinagh", "-Tfng"},
    {"tibetan", "-Tibt"},
    {"vai", "-Vaii"},
    {"yi", "-Yiii"},
}};

// lang[_country][.charset][@modifier] as Wine turns it into lang[-script][-country][-variant];
// nothing where Wine finds no name in it.
std::optional<std::string> WindowsLocaleName(std::string_view unixName) {
    if (unixName.size() >= kMaxLocaleName) {
        return std::nullopt;
    }
    std::size_t at = unixName.find_first_of("_.@");
    if (at == std::string_view::npos) {
        return unixName == "POSIX" || unixName == "C" ? "en-US" : std::string(unixName);
    }
    std::string name(unixName.substr(0, at));
    std::optional<std::string_view> country;
    if (unixName[at] == '_') {
        const std::size_t end = std::min(unixName.find_first_of(".@", at + 1), unixName.size());
        country = unixName.substr(at + 1, end - at - 1);
        at = end;
    }
    if (at < unixName.size() && unixName[at] == '.') {
        at = std::min(unixName.find('@', at), unixName.size());
    }
    std::string_view variant;
    if (at < unixName.size()) {
        const std::string_view modifier = unixName.substr(at + 1);
        if (modifier == "saaho") {
            name = "ssy";
        } else if (modifier == "valencia") {
            variant = "-valencia";
        }
        for (const auto& [unixScript, script] : kScripts) {
            if (modifier == unixScript) {
                name += script;
            }
        }
    }
    if (country) {
        name.append("-").append(*country);
    }
    name += variant;
    return name;
}

unsigned CodePageOfLocale(std::string_view windowsName) {
    const std::string wanted = LowerAscii(windowsName);
    const wine::LocaleCodePage* begin = wine::kLocaleCodePages;
    const wine::LocaleCodePage* end = begin + wine::kLocaleCodePageCount;
    const auto found = std::lower_bound(begin, end, wanted,
                                        [](const wine::LocaleCodePage& entry,
                                           const std::string& name) { return entry.name < name; });
    return found != end && found->name == wanted ? found->codePage : kDefaultCodePage;
}

std::string_view Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// What setlocale(LC_CTYPE, "") would make LC_CTYPE: the first of LC_ALL, LC_CTYPE and LANG that
// is set, when the C library can load it, else C.
std::string CtypeLocale() {
    std::string_view name;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        name = Variable(variable);
        if (!name.empty()) {
            break;
        }
    }
    if (name.empty() || name == "C" || name == "POSIX") {
        return "C";
    }
    const std::string wanted(name);
    const locale_t loaded = ::newlocale(LC_CTYPE_MASK, wanted.c_str(), nullptr);
    if (loaded == nullptr) {
        return "C";
    }
    ::freelocale(loaded);
    return wanted;
}

} // namespace

unsigned AnsiCodePageNumber(std::string_view ctypeLocale, std::string_view lcAll) {
    std::string_view unixName = ctypeLocale;
    if (unixName.empty() || unixName == "C") {
        unixName = lcAll;
        if (unixName.empty()) {
            return kDefaultCodePage;
        }
    }
    const std::optional<std::string> windowsName = WindowsLocaleName(unixName);
    return windowsName ? CodePageOfLocale(*windowsName) : kDefaultCodePage;
}

const CodePage& AnsiCodePage() {
    // Loading a locale costs a little; the answer is kept until the environment changes.
    static std::mutex mutex;
    static std::string lastKey;
    static const CodePage* last = nullptr;
    const std::scoped_lock lock(mutex);
    std::string key;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG", "LOCPATH"}) {
        key.append(Variable(variable)).push_back('\n');
    }
    if (last == nullptr || key != lastKey) {
        last = &CodePage::Get(AnsiCodePageNumber(CtypeLocale(), Variable("LC_ALL")));
        lastKey = std::move(key);
    }
    return *last;
}

} // namespace tmt::platform
