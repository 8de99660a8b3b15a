#pragma once

#include "app/UMain.h"
#include "platform/OwnExecutable.h"
#include "platform/qt/MessageBox.h"
#include "profiles/PictureDialog.h"
#include "profiles/UProfile.h"
#include "profiles/UProfileManager.h"
#include "tests/support/GameWindowTest.h"
#include "tests/support/JpegEncoder.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WhileShown.h"
#include "ui_UProfile.h"

#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tmt::test {

// A picture of one colour; what pictures of every kind decode to is the decoder's tests' business.
inline std::string Jpeg(int width, int height, const JpegOptions& options = {}) {
    return EncodeUniformJpeg(
        width, height, std::vector<std::uint8_t>(SamplesPerPixel(options.colour), 160), options);
}

// A game folder with Profiles below it, the main window on it, and the profile manager opened
// on demand; the editor dialog is driven while it is shown modally.
class ProfileWindowTest : public GameWindowTest {
protected:
    static constexpr char kInstallDir[] = "C:\\Games\\TuneMora";

    void SetUp() override {
        GameWindowTest::SetUp();
        profiles = game / "Profiles";
        std::filesystem::create_directory(profiles);
    }
    void TearDown() override {
        manager.reset();
        GameWindowTest::TearDown();
        ui::SetPictureDialogForTesting(nullptr);
    }

    void MakeProfile(const std::string& folder, const std::string& prf) const {
        std::filesystem::create_directories(profiles / folder);
        WriteFile(profiles / folder / "profile.prf", prf);
    }

    TFProfileManager& OpenManager() {
        manager = std::make_unique<TFProfileManager>(main.get());
        manager->show();
        return *manager;
    }
    template <typename T> T* Get(const char* name) const { return manager->findChild<T*>(name); }
    QListWidget& List() const { return *Get<QListWidget>("lbSupport"); }
    std::vector<QString> Names() const {
        std::vector<QString> names;
        for (int i = 0; i < List().count(); ++i) {
            names.push_back(List().item(i)->text());
        }
        return names;
    }
    std::vector<QString> Folders() const {
        const auto& folders = *Get<QListWidget>("lbProfiles");
        std::vector<QString> names;
        for (int i = 0; i < folders.count(); ++i) {
            names.push_back(folders.item(i)->text());
        }
        return names;
    }

    // Runs `action`; if it shows the editor, `inEditor` acts on it and must close it. Returns
    // whether the editor was shown.
    static bool WithEditor(const std::function<void()>& action,
                           const std::function<void(TFProfile&, Ui::TFProfile&)>& inEditor) {
        return WhileShown<TFProfile>(action, [&](TFProfile& editor) {
            inEditor(editor, *editor.Controls());
            EXPECT_FALSE(editor.isVisible()) << "the editor was left open";
        });
    }
    static void Click(QPushButton* button) { button->click(); }

    // Every file below the game folder with its bytes.
    std::map<std::string, std::string> Disk() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(game)) {
            files[entry.path().string()] = entry.is_regular_file() ? ReadFile(entry.path()) : "/";
        }
        return files;
    }

    // The picture dialog answers with these paths in turn; how often it was asked is counted.
    void AnswerPictures(std::vector<std::optional<std::string>> answers) {
        pictureAnswers = std::move(answers);
        picturesAsked = 0;
        ui::SetPictureDialogForTesting([this]() -> std::optional<std::string> {
            const std::size_t index = static_cast<std::size_t>(picturesAsked++);
            return index < pictureAnswers.size() ? pictureAnswers[index] : std::nullopt;
        });
    }

    std::vector<ui::MessageBox::Shown> Shown() const { return ui::MessageBox::TakeShown(); }

    std::filesystem::path profiles;
    std::unique_ptr<TFProfileManager> manager;
    std::vector<std::optional<std::string>> pictureAnswers;
    int picturesAsked = 0;
};

} // namespace tmt::test
