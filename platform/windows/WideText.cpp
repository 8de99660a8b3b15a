#include "platform/windows/WideText.h"

#include "core/text/TextEncoding.h"

namespace tmt::platform {

// wchar_t is a UTF-16 unit on Windows, so the shared text module's conversions serve.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring Wide(std::string_view text) {
    const std::u16string units = Utf8ToUtf16Units(text);
    return {units.begin(), units.end()};
}

std::string Narrow(std::wstring_view text) {
    const std::u16string units(text.begin(), text.end());
    return Utf16UnitsToUtf8(units);
}

} // namespace tmt::platform
