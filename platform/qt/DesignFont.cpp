#include "platform/qt/DesignFont.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
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
    // Without the bold face Qt thickens the regular one, which is wider than the real bold.
    if (QFileInfo::exists(fonts.filePath("tahomabd.ttf"))) {
        QFontDatabase::addApplicationFont(fonts.filePath("tahomabd.ttf"));
    }
    QApplication::setFont(QFont(families.front(), kDesignPointSize));
    return true;
}

} // namespace tmt::ui
