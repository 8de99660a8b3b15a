#include "profiles/PictureDialog.h"

#include "platform/qt/JpegPixmap.h"
#include "platform/qt/PictureFile.h"

namespace tmt::ui {

namespace {

std::function<std::optional<std::string>()>& TestAnswer() {
    static std::function<std::optional<std::string>()> answer;
    return answer;
}

} // namespace

QImage LoadFittedPicture(const std::string& path, QSize box, JpegRefusal* refusal) {
    return LoadJpegImage(path, box, refusal);
}

std::optional<std::string> OpenPicture(QWidget* owner) {
    if (TestAnswer()) {
        return TestAnswer()();
    }
    return OpenPictureFile(owner);
}

void SetPictureDialogForTesting(std::function<std::optional<std::string>()> answer) {
    TestAnswer() = std::move(answer);
}

} // namespace tmt::ui
