#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tmt::platform {

// CreateDirectoryW on a path in the game's form: makes the last component only, named as Windows
// names it (without the dots and blanks at its end: "Jr." makes "Jr"). Fails, as Windows does,
// when that component is a name Windows cannot hold (one of \ / : * ? " < > |, a control
// character, a device name such as CON, "con .txt", LPT1 or CONIN$), so that what the game could
// not open is never made on the Linux side either.
bool CreateDirectory(std::string_view path);

// RemoveDirectoryW: removes an empty folder.
bool RemoveDirectory(std::string_view path);

// True when the path's last component is a symbolic link (to a folder or anything else).
bool IsSymbolicLink(std::string_view path);

// The names of the sub-folders that Windows' FindFirstFileW with the folder attribute hands out:
// folders only (links to folders count), in Wine's order (sorted without regard to case, see
// ComesFirstInWineListing), without "." and "..", and without those Wine counts as hidden or
// system (a name beginning with ".", or the hidden or system bit in the user.DOSATTRIB extended
// attribute). Empty when the folder cannot be read.
std::vector<std::string> ListVisibleFolders(std::string_view folder);

} // namespace tmt::platform
