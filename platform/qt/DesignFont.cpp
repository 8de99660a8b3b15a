#include "platform/qt/DesignFont.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>

namespace tmt::ui {

namespace {
constexpr int kDesignPointSize = 8;
} // namespace

bool UseDesignFont(const QString& folder) {
    const QDir fonts(folder);
    const int regular = QFontDatabase::addApplicationFont(fonts.filePath("tahoma.ttf"));
    if (regular < 0) {
        return false;
    }
    const QStringList families = QFontDatabase::applicationFontFamilies(regular);
    if (families.isEmpty()) {
        QFontDatabase::removeApplicationFont(regular);
        return false;
    }
    // Wine's tahomabd.ttf has the bold widths but strokes no heavier than the regular face's, so
    // it would show the bold labels thin and spaced out; Qt thickens the regular face instead.
    QApplication::setFont(QFont(families.front(), kDesignPointSize));
    return true;
}

} // namespace tmt::ui
