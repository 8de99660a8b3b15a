#include "platform/qt/DesignFont.h"

#include "platform/qt/GdiLineMetrics.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>

namespace tmt::ui {

bool UseDesignFont(const QString& fontFile) {
    QFile file(fontFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QByteArray font = file.readAll();
    // Lines as tall as on Windows, so that no label cuts the accents off capitals.
    UseGdiLineMetrics(font);
    const int regular = QFontDatabase::addApplicationFontFromData(font);
    if (regular < 0) {
        return false;
    }
    const QStringList families = QFontDatabase::applicationFontFamilies(regular);
    if (families.isEmpty()) {
        QFontDatabase::removeApplicationFont(regular);
        return false;
    }
    // No bold face is loaded: a copy of Tahoma's that has the bold widths but strokes no heavier
    // than the regular face's shows the bold labels thin and spaced out; Qt thickens the regular
    // face instead.
    QApplication::setFont(QFont(families.front(), kDesignPointSize));
    return true;
}

} // namespace tmt::ui
