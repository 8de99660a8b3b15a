#include "tests/support/SystemDialog.h"

#include "tests/support/WhileShown.h"

#include <QFileDialog>

namespace tmt::test {

bool CancelWhenShown(const std::function<void()>& action) {
    return WhileShown<QFileDialog>(action, [](QFileDialog&) {});
}

bool CanShowSystemDialogs() {
    return true;
}

} // namespace tmt::test
