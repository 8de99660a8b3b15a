#pragma once

#include "core/text/CodePage.h"

namespace tmt::platform {

// The ANSI code page the game's text files are in when they carry no byte-order mark: the code
// page of the system the game runs on (GetACP), in the environment the program runs in.
const CodePage& AnsiCodePage();

} // namespace tmt::platform
