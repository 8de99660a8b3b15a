// Runs a case list through the program's own platform functions and prints each result in the
// form the Windows probe prints under Wine (tests/wine/CaseFormat.h).
//
//   tm_platform_cli <root> < cases > results
//
// <root> is the case tree's path in the game's form (Z:\...), with WINEPREFIX naming the prefix
// whose drives resolve it, so that the path mapping is part of what is compared.
#include "core/Error.h"
#include "core/text/CodePage.h"
#include "platform/AnsiCodePage.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/ProfileStrings.h"
#include "platform/Registry.h"
#include "tests/wine/CaseFormat.h"

#include <clocale>
#include <functional>
#include <iostream>
#include <map>
#include <string>

namespace {

using tmt::wine::Case;
using tmt::wine::EscapeResult;
namespace platform = tmt::platform;

std::string g_root;

std::string FullPath(const std::string& relative) {
    std::string path = g_root;
    if (!relative.empty()) {
        path += '\\';
        for (const char c : relative) {
            path += c == '/' ? '\\' : c;
        }
    }
    return path;
}

std::string List(const std::vector<std::string>& items, bool counted) {
    std::string out = counted ? std::to_string(items.size()) + ":" : "";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += (i == 0 ? "" : "|") + EscapeResult(items[i]);
    }
    return out;
}

const std::string& Text(const Case& c, std::size_t field) {
    static const std::string kNone;
    return c.fields[field] ? *c.fields[field] : kNone;
}

std::string Read(const Case& c) {
    return "=" + EscapeResult(platform::GetProfileString(Text(c, 1), Text(c, 2), Text(c, 3),
                                                         FullPath(Text(c, 0))));
}

std::string Keys(const Case& c) {
    return List(platform::GetProfileKeys(Text(c, 1), FullPath(Text(c, 0))), true);
}

std::string Write(const Case& c) {
    const std::optional<std::string_view> value =
        c.fields[3] ? std::optional<std::string_view>(*c.fields[3]) : std::nullopt;
    try {
        return platform::WriteProfileString(Text(c, 1), Text(c, 2), value, FullPath(Text(c, 0)))
                   ? "ok"
                   : "fail";
    } catch (const tmt::Error& error) {
        return "error:" + EscapeResult(error.what());
    }
}

std::string Exists(const Case& c) {
    const std::string path = FullPath(Text(c, 0));
    return platform::DirectoryExists(path) ? "dir" : platform::FileExists(path) ? "file" : "none";
}

// The registry object reads the key as the installation record is read: through the 32-bit view.
std::string RegistryGet(const Case& c) {
    platform::Registry registry;
    if (!registry.OpenKey(Text(c, 0))) {
        return "no-key";
    }
    if (!registry.ValueExists(Text(c, 1))) {
        return "missing";
    }
    try {
        return "sz:" + EscapeResult(registry.ReadString(Text(c, 1)));
    } catch (const tmt::Error&) {
        return "other";
    }
}

struct Operation {
    std::size_t fields;
    std::function<std::string(const Case&)> run;
};

const std::map<std::string, Operation>& Operations() {
    static const std::map<std::string, Operation> operations = {
        {"read", {4, Read}},
        {"keys", {2, Keys}},
        {"write", {4, Write}},
        {"list",
         {1,
          [](const Case& c) {
              return List(platform::ListVisibleFolders(FullPath(Text(c, 0))), false);
          }}},
        {"mkdir",
         {1,
          [](const Case& c) {
              return platform::CreateDirectory(FullPath(Text(c, 0))) ? "ok" : "fail";
          }}},
        {"delete",
         {1,
          [](const Case& c) {
              return platform::DeleteFile(FullPath(Text(c, 0))) ? "ok" : "fail";
          }}},
        {"exists", {1, Exists}},
        {"acp",
         {0,
          [](const Case&) {
              return std::to_string(platform::AnsiCodePage().Number());
          }}},
        {"regget", {2, RegistryGet}},
    };
    return operations;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tm_platform_cli <root> < cases > results\n";
        return 2;
    }
    // As the program itself, through its toolkit, takes the user's locale.
    std::setlocale(LC_ALL, "");
    g_root = argv[1];
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::optional<Case> c = tmt::wine::ParseCase(line);
        if (!c) {
            continue;
        }
        const auto found = Operations().find(c->operation);
        std::string result = "bad-case";
        if (found != Operations().end() && found->second.fields == c->fields.size()) {
            result = found->second.run(*c);
        }
        std::cout << c->id << '\t' << result << '\n';
    }
    return 0;
}
