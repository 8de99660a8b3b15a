#include "settings/FolderChooser.h"

#include "platform/qt/FolderBrowser.h"

namespace tmt::ui {

namespace {
std::function<std::optional<std::string>()>& TestAnswer() {
    static std::function<std::optional<std::string>()> answer;
    return answer;
}
} // namespace

std::optional<std::string> ChooseFolder(QWidget* owner, const QString& text) {
    if (TestAnswer()) {
        return TestAnswer()();
    }
    return BrowseForFolder(owner, text);
}

void SetFolderChooserForTesting(std::function<std::optional<std::string>()> answer) {
    TestAnswer() = std::move(answer);
}

} // namespace tmt::ui
