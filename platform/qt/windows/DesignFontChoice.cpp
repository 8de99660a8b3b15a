#include "platform/qt/DesignFont.h"

#include "platform/DesignFontFile.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QString>

#include <windows.h>

#include <array>
#include <optional>

namespace tmt::ui {

namespace {

LOGFONTW Named(const wchar_t* face) {
    LOGFONTW font{};
    font.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return font;
}

// The names that stand for whatever face the system maps them to rather than for a face.
bool IsMappedName(const QString& name) {
    return name.compare(QStringLiteral("MS Shell Dlg"), Qt::CaseInsensitive) == 0 ||
           name.compare(QStringLiteral("MS Shell Dlg 2"), Qt::CaseInsensitive) == 0;
}

// The face that GDI draws for a font request, when it is a sans-serif face that Qt lists too. A
// request by a face's name counts only when that face is there: GDI would otherwise answer with
// a face of its own choosing, a serif one among them.
std::optional<QString> DrawnFace(const LOGFONTW& request) {
    LOGFONTW font = request;
    font.lfHeight = -11;
    const HFONT handle = ::CreateFontIndirectW(&font);
    const HDC screen = ::GetDC(nullptr);
    if (handle == nullptr || screen == nullptr) {
        if (handle != nullptr) {
            ::DeleteObject(handle);
        }
        return std::nullopt;
    }
    const HGDIOBJ previous = ::SelectObject(screen, handle);
    std::array<wchar_t, LF_FACESIZE> name{};
    const int length = ::GetTextFaceW(screen, LF_FACESIZE, name.data());
    TEXTMETRICW metrics{};
    const bool measured = ::GetTextMetricsW(screen, &metrics) != 0;
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(handle);

    const QString asked = QString::fromWCharArray(request.lfFaceName);
    const QString drawn = QString::fromWCharArray(name.data(), length > 0 ? length - 1 : 0);
    const bool serif = (metrics.tmPitchAndFamily & 0xF0) == FF_ROMAN;
    if (!measured || drawn.isEmpty() || serif || !QFontDatabase::hasFamily(drawn) ||
        (!asked.isEmpty() && !IsMappedName(asked) &&
         drawn.compare(asked, Qt::CaseInsensitive) != 0)) {
        return std::nullopt;
    }
    return drawn;
}

} // namespace

// Tahoma from the font folder, else the first of these that the system has as a sans-serif face:
// Tahoma installed elsewhere, the message font of the system's settings, Segoe UI, what MS Shell
// Dlg 2 stands for, and last the sans-serif face that GDI chooses itself. Left to Qt, a missing
// Tahoma ends in a serif face, and edit fields that draw no text at all.
bool UseDesignFont() {
    if (UseDesignFont(QString::fromStdWString(platform::DesignFontFile().wstring()))) {
        return true;
    }
    NONCLIENTMETRICSW settings{};
    settings.cbSize = sizeof settings;
    const bool known =
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, settings.cbSize, &settings, 0) != 0;
    LOGFONTW anySans{};
    anySans.lfCharSet = DEFAULT_CHARSET;
    anySans.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    const std::array<std::optional<LOGFONTW>, 5> requests = {
        Named(L"Tahoma"), known ? std::optional(settings.lfMessageFont) : std::nullopt,
        Named(L"Segoe UI"), Named(L"MS Shell Dlg 2"), anySans};
    for (const std::optional<LOGFONTW>& request : requests) {
        if (!request) {
            continue;
        }
        if (const std::optional<QString> face = DrawnFace(*request)) {
            QApplication::setFont(QFont(*face, kDesignPointSize));
            return face->compare(QStringLiteral("Tahoma"), Qt::CaseInsensitive) == 0;
        }
    }
    return false;
}

} // namespace tmt::ui
