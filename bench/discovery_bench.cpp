// Finding the installation among many Wine prefixes.
//   bench_discovery generate HOME PREFIXES MEGABYTES   writes PREFIXES PlayOnLinux prefixes under
//       HOME, each with a system.reg of MEGABYTES, only the last holding the installation key
//   bench_discovery find HOME RUNS                     searches HOME RUNS times, each without the
//       search's cache, and prints the time per search in milliseconds
//   bench_discovery generate-home HOME                 writes a crowded home: 1,000 games added to
//       Heroic by hand, 1,000 Steam prefixes with a 2 MB system.reg without the key, 300 bottles
//       and 100 PlayOnLinux prefixes (2 MB each too), and the game in one more PlayOnLinux prefix
//   bench_discovery evict HOME                         drops every file below HOME from the page
//       cache, for figures with a cold cache
#include "platform/Installations.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

bool WriteRegistry(const fs::path& file, long megabytes, bool withKey) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    const std::size_t target = static_cast<std::size_t>(megabytes) << 20;
    std::size_t written = 0;
    for (long key = 0; written < target; ++key) {
        const std::string section =
            "[Software\\\\Classes\\\\CLSID\\\\{" + std::to_string(100000 + key) +
            "-0000-0000-C000-000000000046}\\\\InprocServer32] 1796762724\n"
            "#time=1dd87550c767452\n@=\"C:\\\\windows\\\\system32\\\\ole32.dll\"\n"
            "\"ThreadingModel\"=\"Both\"\n\"Flags\"=dword:00000000\n\n";
        written += section.size();
        out << section;
    }
    if (withKey) {
        out << "[Software\\\\Wow6432Node\\\\TuneMora] 1796762724\n#time=1dd87550c767452\n"
               "\"InstallDir\"=\"C:\\\\Games\\\\TuneMora\"\n\"InstallVer\"=\"1.0.2\"\n\n";
    }
    out << "[System\\\\CurrentControlSet] 1796762724\n";
    return static_cast<bool>(out);
}

bool WriteText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string Numbered(const char* name, long i) {
    char text[64];
    std::snprintf(text, sizeof text, "%s-%04ld", name, i);
    return text;
}

int Generate(const char* home, long prefixes, long megabytes) {
    const fs::path folder = fs::path(home) / ".PlayOnLinux" / "wineprefix";
    for (long i = 0; i < prefixes; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "prefix-%03ld", i);
        if (!WriteRegistry(folder / name / "system.reg", megabytes, i + 1 == prefixes)) {
            return 1;
        }
    }
    return 0;
}

// Records shaped as the managers write them, about as large.
int GenerateHome(const fs::path& home) {
    bool ok = true;
    const fs::path heroic = home / ".config" / "heroic";
    std::string library = "{\"games\": [";
    for (long i = 0; i < 1000; ++i) {
        const std::string app = Numbered("app", i);
        ok = ok && WriteText(heroic / "GamesConfig" / (app + ".json"),
                             "{\"" + app +
                                 "\": {\"autoInstallDxvk\": true, \"autoInstallVkd3d\": true, "
                                 "\"enableEsync\": true, \"enableFsync\": true, "
                                 "\"nvidiaPrime\": false, \"showFps\": false, "
                                 "\"targetExe\": \"\", \"winePrefix\": \"" +
                                 (home / "Games/Heroic/Prefixes/default").string() +
                                 "\", \"wineVersion\": {\"bin\": \"/usr/bin/wine\", \"name\": "
                                 "\"Wine Default - 8.0\", \"type\": \"wine\"}}, \"version\": "
                                 "\"v0\", \"explicit\": true}\n");
        library += std::string(i == 0 ? "" : ", ") + "{\"runner\": \"sideload\", \"app_name\": \"" +
                   app + "\", \"title\": \"Game " + std::to_string(i) +
                   "\", \"install\": {\"executable\": \"" +
                   (home / "Games" / app / "game.exe").string() +
                   "\", \"platform\": \"windows\", \"is_dlc\": false}, \"folder_name\": \"" +
                   (home / "Games" / app).string() +
                   "\", \"art_cover\": \"https://example.invalid/cover.jpg\", \"art_square\": "
                   "\"https://example.invalid/square.jpg\", \"is_installed\": true, "
                   "\"canRunOffline\": true}";
    }
    ok = ok && WriteText(heroic / "sideload_apps" / "library.json", library + "]}\n");
    ok = ok && WriteRegistry(home / "Games/Heroic/Prefixes/default/system.reg", 2, false);
    const fs::path steam = home / ".local" / "share" / "Steam" / "steamapps";
    for (long i = 0; i < 1000; ++i) {
        const std::string id = std::to_string(100000 + i);
        ok = ok && WriteRegistry(steam / "compatdata" / id / "pfx" / "system.reg", 2, false);
        ok = ok && WriteText(steam / ("appmanifest_" + id + ".acf"),
                             "\"AppState\"\n{\n\t\"appid\"\t\t\"" + id +
                                 "\"\n\t\"Universe\"\t\t\"1\"\n\t\"name\"\t\t\"Game " + id +
                                 "\"\n\t\"StateFlags\"\t\t\"4\"\n\t\"installdir\"\t\t\"Game " + id +
                                 "\"\n\t\"SizeOnDisk\"\t\t\"1234567890\"\n}\n");
    }
    const fs::path bottles = home / ".local" / "share" / "bottles" / "bottles";
    for (long i = 0; i < 300; ++i) {
        const std::string name = Numbered("bottle", i);
        ok = ok && WriteRegistry(bottles / name / "system.reg", 2, false);
        ok = ok && WriteText(bottles / name / "bottle.yml",
                             "Arch: win64\nCustom_Path: false\nDLL_Overrides: {}\nDXVK: dxvk-2.3\n"
                             "Environment: Gaming\nEnvironment_Variables: {}\n"
                             "External_Programs: {}\nInstalled_Dependencies:\n- d3dx9\n- arial32\n"
                             "Name: " +
                                 name +
                                 "\nParameters:\n  dxvk: true\n  sync: fsync\n  vkd3d: true\n"
                                 "Path: " +
                                 name +
                                 "\nRunner: sys-wine-8.0\nVersioning: false\n"
                                 "Windows: win10\n");
    }
    const fs::path pol = home / ".PlayOnLinux" / "wineprefix";
    for (long i = 0; i < 100; ++i) {
        ok = ok && WriteRegistry(pol / Numbered("prefix", i) / "system.reg", 2, false);
    }
    ok = ok && WriteRegistry(pol / "TuneMora" / "system.reg", 1, true);
    // Written long before the search, as a home's registries are.
    const auto before = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
        if (entry.is_regular_file()) {
            fs::last_write_time(entry.path(), before);
        }
    }
    return ok ? 0 : 1;
}

int Evict(const fs::path& home) {
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::fdatasync(fd);
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            ::close(fd);
        }
    }
    return 0;
}

int Find(const char* home, long runs) {
    ::setenv("HOME", home, 1);
    const fs::path cache = fs::path(home) / "search-cache";
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    for (const char* name : {"WINEPREFIX", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        ::unsetenv(name);
    }
    std::chrono::duration<double, std::milli> elapsed{0};
    for (long i = 0; i < runs; ++i) {
        // Every registry is read each time, as on a first start.
        fs::remove_all(cache);
        const auto start = std::chrono::steady_clock::now();
        if (tmt::platform::FindInstallations("SOFTWARE\\\\TuneMora").size() != 1) {
            std::fprintf(stderr, "expected exactly one installation\n");
            return 1;
        }
        elapsed += std::chrono::steady_clock::now() - start;
    }
    std::printf("%.3f\n", elapsed.count() / static_cast<double>(runs));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "generate") {
        return Generate(argv[2], std::atol(argv[3]), std::atol(argv[4]));
    }
    if (argc == 3 && std::string(argv[1]) == "generate-home") {
        return GenerateHome(argv[2]);
    }
    if (argc == 3 && std::string(argv[1]) == "evict") {
        return Evict(argv[2]);
    }
    if (argc == 4 && std::string(argv[1]) == "find") {
        return Find(argv[2], std::atol(argv[3]));
    }
    std::fprintf(stderr,
                 "usage: %s generate HOME PREFIXES MEGABYTES | generate-home HOME | evict HOME | "
                 "find HOME RUNS\n",
                 argv[0]);
    return 2;
}
