#pragma once

#include "platform/AtomicFile.h"
#include "platform/windows/Handles.h"

#include <string>
#include <string_view>

namespace tmt::platform {

// The whole of a file; a folder or a read error is a failure.
ReadResult ReadWholeFile(const std::wstring& path, std::string& bytes);

bool WriteAll(HANDLE file, std::string_view bytes);

} // namespace tmt::platform
