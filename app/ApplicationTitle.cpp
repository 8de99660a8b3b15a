#include "app/ApplicationTitle.h"

namespace tmt::ui {

namespace {
QString& Title() {
    static QString title;
    return title;
}
} // namespace

QString ApplicationTitle() {
    return Title();
}

void SetApplicationTitle(const QString& title) {
    Title() = title;
}

} // namespace tmt::ui
