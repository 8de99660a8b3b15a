#include "profiles/ProfileStore.h"

#include "core/Random.h"
#include "game/GameLayout.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"

#include <cstdint>

namespace tmt {

namespace {

constexpr std::uint32_t kFolderNumberBound = 2147483647;

std::string ProfilesPrefix(const std::string& installDir) {
    return installDir + game::kProfilesFolder + "\\";
}

} // namespace

std::string ProfileFolderPath(const std::string& installDir, const std::string& folderName) {
    return ProfilesPrefix(installDir) + folderName;
}

std::string ProfileFilePath(const std::string& installDir, const std::string& folderName) {
    return ProfileFolderPath(installDir, folderName) + game::kProfileFile;
}

std::string FolderPart(const std::string& path) {
    const std::size_t last = path.find_last_of('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::vector<ListedProfile> ListProfiles(const std::string& installDir) {
    std::vector<ListedProfile> profiles;
    for (std::string& folder : platform::ListVisibleFolders(ProfilesPrefix(installDir))) {
        const IniFile file(ProfileFilePath(installDir, folder));
        profiles.push_back(
            {file.ReadString(kProfileSection, "name", kNameNotFound), std::move(folder)});
    }
    return profiles;
}

std::optional<std::string> RefusedProfileName(const std::string& typedName) {
    if (typedName.find_first_of("\\/") != std::string::npos) {
        return kSeparatorInName;
    }
    if (!typedName.empty() && typedName.front() == '.') {
        return kDotInFront;
    }
    return std::nullopt;
}

std::optional<std::string> CreateProfileFolder(const std::string& installDir,
                                               const std::string& typedName) {
    if (RefusedProfileName(typedName)) {
        return std::nullopt;
    }
    std::string folderName = typedName;
    // An existing folder may belong to a profile renamed since; the display names alone cannot
    // tell, so the new folder takes a fresh number instead.
    while (platform::DirectoryExists(ProfileFolderPath(installDir, folderName))) {
        folderName = typedName + std::to_string(RandomBelow(kFolderNumberBound));
    }
    // Windows drops the dots and blanks that end a name when it makes the folder, but keeps them
    // in a path that goes on below it: the file goes where the folder really is.
    while (!folderName.empty() && (folderName.back() == '.' || folderName.back() == ' ')) {
        folderName.pop_back();
    }
    const std::string profilePath = ProfileFilePath(installDir, folderName);
    platform::CreateDirectory(FolderPart(profilePath));
    return profilePath;
}

void RemoveEmptyProfileFolder(const std::string& profilePath) {
    platform::RemoveDirectory(FolderPart(profilePath));
}

LoadedProfile LoadProfile(const IniFile& profile) {
    const auto read = [&profile](const char* key, const char* defaultValue) {
        return profile.ValueExists(kProfileSection, key)
                   ? std::optional(profile.ReadString(kProfileSection, key, defaultValue))
                   : std::nullopt;
    };
    LoadedProfile loaded;
    loaded.name = read("name", "");
    loaded.login = read("login", "");
    loaded.locked = read("locked", "no");
    loaded.avatar = read("avatar", "");
    return loaded;
}

bool IsLocked(std::string_view lockedValue) {
    return lockedValue == "yes";
}

std::string AvatarPath(const std::string& profilePath, const std::string& avatarName) {
    return FolderPart(profilePath) + "\\" + avatarName;
}

bool WriteProfile(IniFile& profile, const ProfileValues& values, std::string& storedAvatar) {
    profile.PrepareFor({values.name, values.login});
    profile.WriteString(kProfileSection, "name", values.name);
    profile.WriteString(kProfileSection, "login", values.login);
    profile.WriteString(kProfileSection, "locked", values.locked ? "yes" : "no");

    if (values.chosenPicture.empty()) {
        profile.DeleteKey(kProfileSection, "avatar");
        if (!storedAvatar.empty()) {
            platform::DeleteFile(AvatarPath(profile.FileName(), storedAvatar));
        }
        return true;
    }
    const std::string avatarFile = AvatarPath(profile.FileName(), game::kAvatarFileName);
    if (values.chosenPicture == avatarFile) {
        return true;
    }
    if (!platform::CopyFileAtomically(values.chosenPicture, avatarFile)) {
        storedAvatar.clear();
        profile.DeleteKey(kProfileSection, "avatar");
        return false;
    }
    storedAvatar = game::kAvatarFileName;
    profile.WriteString(kProfileSection, "avatar", game::kAvatarFileName);
    return true;
}

void CheckProfileFits(const IniFile& profile, const ProfileValues& values) {
    profile.CheckStorable({values.name, values.login});
}

void DeleteProfile(const std::string& installDir, const std::string& folderName,
                   const std::function<void(const std::string&)>& cleanup) {
    const std::string folder = ProfileFolderPath(installDir, folderName);
    // A profile folder that is a link goes as a link: emptying it would delete whatever it points
    // to, outside the game's folder.
    if (platform::IsSymbolicLink(folder)) {
        platform::DeleteFile(folder);
        return;
    }
    cleanup(folder);
    platform::RemoveDirectory(folder);
}

} // namespace tmt
