#include "platform/qt/PictureFile.h"

#include "platform/qt/ChosenPath.h"
#include "platform/qt/JpegPixmap.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>

namespace tmt::ui {

namespace {

constexpr QSize kPreviewBox(160, 160);
constexpr QLatin1String kJpegFilter("JPEG Image File (*.jpg *.jpeg)");
// The type box shows the description alone, with its closing blank, where Qt would trim it.
constexpr char kJpegDescription[] = "JPEG Image File ";

void AddPreview(QFileDialog& dialog) {
    auto* preview = new QLabel(&dialog);
    preview->setObjectName("picturePreview");
    preview->setFixedSize(kPreviewBox);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        grid->addWidget(preview, 1, grid->columnCount(), Qt::AlignTop);
    }
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
                     [preview](const QString& file) {
                         const QImage image = LoadJpegImage(GamePathOf(file), kPreviewBox);
                         preview->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
                     });
}

} // namespace

// Where the system has no picture dialog of its own, Qt's file dialog is made to work like it.
std::optional<std::string> OpenPictureFile(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(kJpegFilter);
    if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        types->setItemText(0, QString::fromLatin1(kJpegDescription));
    }
    dialog.setSizeGripEnabled(true);
    AddPreview(dialog);
    return ChooseGamePath(dialog);
}

} // namespace tmt::ui
