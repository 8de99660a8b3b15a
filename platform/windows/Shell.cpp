#include "platform/Shell.h"

#include "core/text/Text.h"
#include "platform/windows/WideText.h"

#include "platform/windows/SystemHeaders.h"

#include <shellapi.h>

namespace tmt::platform {

namespace {

std::string Reason(INT_PTR code) {
    switch (code) {
    case 0:
    case SE_ERR_OOM:
        return "There is not enough memory.";
    case SE_ERR_FNF:
        return "The file was not found.";
    case SE_ERR_PNF:
        return "The folder was not found.";
    case SE_ERR_ACCESSDENIED:
        return "Access is denied.";
    case SE_ERR_NOASSOC:
        return "No program is associated with the file.";
    default:
        return "Windows could not start it (error " + std::to_string(code) + ").";
    }
}

} // namespace

StartResult ShellOpen(std::string_view file, std::string_view parameters,
                      std::string_view directory) {
    const std::wstring wideFile = Wide(file);
    const std::wstring wideParameters = Wide(parameters);
    // The folder goes without its quotes: a quoted working folder is no folder to the shell, and
    // the game would start in the tool's folder instead of its own.
    const std::wstring wideDirectory = Wide(WithoutQuotes(directory));
    // The shell's own messages belong to the window the user is working in.
    const INT_PTR result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(::GetActiveWindow(), L"open", wideFile.c_str(),
                        parameters.empty() ? nullptr : wideParameters.c_str(),
                        wideDirectory.c_str(), SW_SHOWNORMAL));
    if (result > 32) {
        return {true, ""};
    }
    return {false, Reason(result)};
}

std::string ParametersLostReason() {
    // The shell hands the parameters to the game itself.
    return {};
}

} // namespace tmt::platform
