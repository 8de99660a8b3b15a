// The font the Windows program takes where Tahoma may be missing (a fresh Wine prefix has none),
// and the edit fields' texts as the screen shows them in it. The Windows stage runs these on a
// screen in a prefix without Tahoma and in one with it (scripts/windows-screens.sh).
#include "platform/DesignFontFile.h"
#include "platform/qt/DesignFont.h"
#include "tests/app/EveryWindow.h"
#include "tests/support/OffscreenPlatform.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// How GDI draws a face asked for by name: the face it takes, and whether that is a serif one.
struct Drawn {
    std::wstring face;
    bool serif;
};

Drawn DrawnByGdi(const QString& family) {
    LOGFONTW request{};
    request.lfHeight = -11;
    request.lfCharSet = DEFAULT_CHARSET;
    family.left(LF_FACESIZE - 1).toWCharArray(request.lfFaceName);
    const HFONT font = ::CreateFontIndirectW(&request);
    const HDC screen = ::GetDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(screen, font);
    std::array<wchar_t, LF_FACESIZE> face{};
    ::GetTextFaceW(screen, LF_FACESIZE, face.data());
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen, &metrics);
    ::SelectObject(screen, previous);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(font);
    return {face.data(), (metrics.tmPitchAndFamily & 0xF0) == FF_ROMAN};
}

class DesignFontChoiceTest : public tmt::test::EveryWindowTest {
protected:
    void SetUp() override {
        if (!tmt::test::OnSystemScreen()) {
            GTEST_SKIP() << "GDI's faces and the screen's pixels need a screen";
        }
        appFont_ = QApplication::font();
        tahoma_ = tmt::ui::UseDesignFont();
        EveryWindowTest::SetUp();
    }
    void TearDown() override {
        EveryWindowTest::TearDown();
        QFontDatabase::removeAllApplicationFonts();
        QApplication::setFont(appFont_);
    }

    bool tahoma_ = false;

private:
    QFont appFont_;
};

TEST_F(DesignFontChoiceTest, TahomaOrASansSerifFaceThatGdiDrawsUnderItsOwnName) {
    const QString family = QApplication::font().family();
    std::cout << "the windows' font: " << family.toStdString() << "\n";
    EXPECT_EQ(tahoma_, std::filesystem::exists(tmt::platform::DesignFontFile()));
    EXPECT_EQ(QApplication::font().pointSize(), 8);
    if (tahoma_) {
        EXPECT_EQ(family, "Tahoma");
        return;
    }
    const Drawn drawn = DrawnByGdi(family);
    EXPECT_EQ(QString::fromStdWString(drawn.face), family);
    EXPECT_FALSE(drawn.serif) << family.toStdString();
}

// The columns of the field's inside that hold ink, told from the field's background colour.
std::vector<int> InkColumns(const QImage& field, const QColor& background) {
    std::vector<int> columns;
    constexpr int kBorder = 3;
    for (int x = kBorder; x < field.width() - kBorder; ++x) {
        for (int y = kBorder; y < field.height() - kBorder; ++y) {
            const QColor pixel = field.pixelColor(x, y);
            if (std::abs(qGray(pixel.rgb()) - qGray(background.rgb())) > 96) {
                columns.push_back(x);
                break;
            }
        }
    }
    return columns;
}

// Reads each field from the screen: its text must be there, as wide as the font draws it.
TEST_F(DesignFontChoiceTest, EveryEditFieldShowsItsTextOnTheScreen) {
    const std::vector<std::pair<std::string, QString>> windows = {{"TFConfigure", "1920"},
                                                                  {"TFProfile", "Player One"}};
    for (const auto& [className, text] : windows) {
        QWidget& window = Open(className);
        const QList<QLineEdit*> fields = window.findChildren<QLineEdit*>();
        ASSERT_FALSE(fields.isEmpty()) << className;
        for (QLineEdit* field : fields) {
            field->setText(text);
            field->deselect();
        }
        // The caret is not part of the text.
        window.setFocus();
        QTest::qWait(200);
        for (QLineEdit* field : fields) {
            const QPoint at =
                field->mapToGlobal(QPoint(0, 0)) - window.screen()->geometry().topLeft();
            const QImage shown =
                window.screen()
                    ->grabWindow(0, at.x(), at.y(), field->width(), field->height())
                    .toImage();
            const std::vector<int> ink = InkColumns(shown, field->palette().color(QPalette::Base));
            const double scale = shown.devicePixelRatio();
            const int wide = static_cast<int>(field->fontMetrics().horizontalAdvance(text) * scale);
            ASSERT_FALSE(ink.empty())
                << className << " " << field->objectName().toStdString() << " shows no text";
            const int drawn = ink.back() - ink.front() + 1;
            EXPECT_NEAR(drawn, wide, wide / 8 + 2)
                << className << " " << field->objectName().toStdString();
        }
    }
}

} // namespace
