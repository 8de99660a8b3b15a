#pragma once

// windows.h, without the macros that would rename the platform layer's own functions of the same
// names (CreateDirectory would become CreateDirectoryW, and so on). The backend calls the W
// functions by their full names.
#include <windows.h>

#undef CreateDirectory
#undef DeleteFile
#undef RemoveDirectory
