#pragma once

#include "core/JpegImage.h"

#include <QImage>
#include <QSize>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace tmt::ui {

// A JPEG file (a path in the game's form) decoded for a picture control of `box`: scaled up or
// down to fit it, keeping its proportions. A null image when the file cannot be decoded; `refusal`,
// when given, then learns why.
QImage LoadFittedPicture(const std::string& path, QSize box, JpegRefusal* refusal = nullptr);

// The picture-file open dialog: JPEG files only, an existing file must be picked, resizable, with
// a preview of the selected picture beside the list. The picked file comes back in the game's
// path form (C:\... inside the prefix, Z:\... elsewhere); nothing when the user cancels.
std::optional<std::string> OpenPicture(QWidget* owner);

// Tests answer the dialog instead of a person.
void SetPictureDialogForTesting(std::function<std::optional<std::string>()> answer);

} // namespace tmt::ui
