#include "platform/AnsiCodePage.h"

#include "platform/windows/SystemHeaders.h"

namespace tmt::platform {

const CodePage& AnsiCodePage() {
    return CodePage::Get(::GetACP());
}

} // namespace tmt::platform
