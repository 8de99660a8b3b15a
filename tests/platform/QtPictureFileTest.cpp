// Qt's file dialog as the picture dialog where the system has none of its own.
#include "platform/qt/PictureFile.h"
#include "tests/support/GameWindowTest.h"
#include "tests/support/JpegEncoder.h"
#include "tests/support/TempDir.h"
#include "tests/support/WhileShown.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

class PictureFileTest : public tmt::test::GameWindowTest {};

// Driven through its widgets.
TEST_F(PictureFileTest, OffersJpegsWithPreviewAndAnswersInTheGamesForm) {
    tmt::test::WriteFile(game / "red.jpg", tmt::test::EncodeUniformJpeg(120, 80, {200, 0, 0}));
    std::optional<std::string> picked;
    QWidget owner;
    const bool shown = tmt::test::WhileShown<QFileDialog>(
        [&] { picked = tmt::ui::OpenPictureFile(&owner); },
        [&](QFileDialog& dialog) {
            EXPECT_EQ(dialog.nameFilters(), QStringList{"JPEG Image File (*.jpg *.jpeg)"});
            EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
            EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
            EXPECT_TRUE(dialog.testOption(QFileDialog::HideNameFilterDetails));
            EXPECT_TRUE(dialog.isSizeGripEnabled());
            // The type box reads the description as written, with its closing blank.
            const auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
            EXPECT_TRUE(types != nullptr && types->count() == 1 &&
                        types->currentText() == "JPEG Image File ");
            auto* preview = dialog.findChild<QLabel*>("picturePreview");
            ASSERT_NE(preview, nullptr) << "no preview";
            emit dialog.currentChanged(QString::fromStdString((game / "red.jpg").string()));
            EXPECT_FALSE(preview->pixmap().isNull());
            emit dialog.currentChanged(QString::fromStdString((game / "Tunemora.exe").string()));
            EXPECT_TRUE(preview->pixmap().isNull());
            // The name field takes the whole path, as a user may type it; the list's own
            // selection depends on the folder having been read, which happens in the background.
            dialog.findChild<QLineEdit*>("fileNameEdit")
                ->setText(QString::fromStdString((game / "red.jpg").string()));
            QMetaObject::invokeMethod(&dialog, "accept");
            EXPECT_FALSE(dialog.isVisible()) << "the dialog refused the file";
        });
    EXPECT_TRUE(shown);
    EXPECT_EQ(picked, "C:\\Games\\TuneMora\\red.jpg");
}

} // namespace
