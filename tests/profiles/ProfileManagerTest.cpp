#include "tests/profiles/ProfileWindowTest.h"

#include "app/ModalResult.h"
#include "core/Random.h"
#include "profiles/ProfileStore.h"
#include "tests/support/FaultInjection.h"
#include "tests/support/LabelPixels.h"
#include "tests/support/WhileShown.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>

namespace {

namespace fs = std::filesystem;
using tmt::test::Jpeg;
using tmt::test::ReadFile;
using tmt::test::WriteFile;
using tmt::ui::MessageBox;
using Editor = Ui::TFProfile;

class ProfileManagerTest : public tmt::test::ProfileWindowTest {
protected:
    void TearDown() override {
        tmt::SetRandomSequenceForTesting({});
        ProfileWindowTest::TearDown();
    }
    void Press(const char* button) { Click(Get<QPushButton>(button)); }
    // Adds a profile through the editor with the typed name; true when the editor was shown.
    bool AddNamed(const QString& name) {
        return WithEditor([this] { Press("bAdd"); },
                          [&](TFProfile&, Editor& e) {
                              e.eName->setText(name);
                              e.Button2->click();
                          });
    }
    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (const auto& shown : Shown()) {
            texts.push_back(shown.text);
        }
        return texts;
    }
    void Select(int row) { List().setCurrentRow(row); }
    int Selected() const {
        const auto items = List().selectedItems();
        return items.isEmpty() ? -1 : List().row(items.constFirst());
    }
    void DoubleClickList() {
        QTest::mouseDClick(List().viewport(), Qt::LeftButton, {}, QPoint(10, 150));
    }
};

TEST_F(ProfileManagerTest, ListShowsDisplayNamesAndKeepsFoldersInStep) {
    MakeProfile("a1", "[profile]\r\nname=Alice\r\n");
    MakeProfile("b2", "[profile]\r\nname=\r\n");
    fs::create_directory(profiles / "c3");
    WriteFile(profiles / "note.txt", "x");
    OpenManager();
    const std::map<QString, QString> expected = {
        {"a1", "Alice"}, {"b2", ""}, {"c3", "Error - Name not found"}};
    const auto folders = Folders();
    const auto names = Names();
    ASSERT_EQ(folders.size(), 3u);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        EXPECT_EQ(names[i], expected.at(folders[i]));
    }
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(Get<QListWidget>("lbProfiles")->currentRow(), 0);
}

TEST_F(ProfileManagerTest, EmptyListRefusesEveryOperationOnASelection) {
    WriteFile(profiles / "stray.prf", "[profile]\r\nname=x\r\n");
    OpenManager();
    ASSERT_EQ(List().count(), 0);
    const auto before = Disk();
    const std::pair<const char*, std::function<void()>> gestures[] = {
        {"Modify",
         [this] {
             Press("bModyfi");
         }},
        {"double-click",
         [this] {
             DoubleClickList();
         }},
        {"Delete",
         [this] {
             Press("bDel");
         }},
        {"Delete key",
         [this] {
             QTest::keyClick(&List(), Qt::Key_Delete);
         }},
        {"Shift+Delete key",
         [this] {
             QTest::keyClick(&List(), Qt::Key_Delete, Qt::ShiftModifier);
         }},
    };
    for (const auto& [label, gesture] : gestures) {
        SCOPED_TRACE(label);
        tmt::ui::MessageBox::SetNextAnswer(tmt::ui::mrYes);
        EXPECT_FALSE(WithEditor(gesture, [](TFProfile&, Editor& e) { e.Button2->click(); }));
        const auto shown = Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, MessageBox::Kind::Error);
        EXPECT_TRUE(shown[0].text.startsWith("List index out of bounds (-1)"))
            << shown[0].text.toStdString();
        EXPECT_EQ(FProfile, nullptr);
        EXPECT_EQ(Disk(), before);
    }
    MessageBox::TakeShown();
    EXPECT_TRUE(AddNamed("First"));
    EXPECT_EQ(Names(), std::vector<QString>{"First"});
}

TEST_F(ProfileManagerTest, DuplicateNamesAreRefusedInAnyMixOfAToZCase) {
    MakeProfile("p1", "[profile]\r\nname=Bob Smith\r\n");
    // Without a byte order mark the game's files are in the Windows code page: C4 is Ä.
    MakeProfile("p2", "[profile]\r\nname=\xc4nne\r\n");
    OpenManager();
    const auto before = Disk();
    for (const QString& typed : {QString("Bob Smith"), QString("bOB sMITH"), QString("BOB SMITH"),
                                 QString::fromUtf8("\xc3\x84NNE")}) {
        SCOPED_TRACE(typed.toStdString());
        EXPECT_TRUE(AddNamed(typed));
        EXPECT_EQ(Texts(), std::vector<QString>{"Cannot create this profile because there "
                                                "already exists profile with this name"});
        EXPECT_EQ(Disk(), before);
    }
    for (const QString& typed : {QString::fromUtf8("\xc3\xa4nne"), QString("Bob  Smith"),
                                 QString::fromUtf8("\u65e5\u672c")}) {
        SCOPED_TRACE(typed.toStdString());
        EXPECT_TRUE(AddNamed(typed));
        EXPECT_TRUE(Texts().empty());
        EXPECT_TRUE(fs::exists(profiles / typed.toStdString() / "profile.prf"));
    }
    EXPECT_EQ(List().count(), 5);
}

TEST_F(ProfileManagerTest, TheNotFoundTextIsANameWhileSuchAProfileIsListed) {
    fs::create_directory(profiles / "Broken");
    OpenManager();
    EXPECT_TRUE(AddNamed("error - name NOT found"));
    EXPECT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Folders(), std::vector<QString>{"Broken"});

    fs::remove(profiles / "Broken");
    OpenManager();
    EXPECT_TRUE(AddNamed("Error - Name not found"));
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(Folders(), std::vector<QString>{"Error - Name not found"});
}

TEST_F(ProfileManagerTest, NameOfAnExistingFolderGetsANumberedFolderAndBothAreListed) {
    MakeProfile("Bob", "[profile]\r\nname=Robert\r\n");
    OpenManager();
    tmt::SetRandomSequenceForTesting({1234});
    EXPECT_TRUE(AddNamed("Bob"));
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(ReadFile(profiles / "Bob1234" / "profile.prf"),
              "[profile]\r\nname=Bob\r\nlogin=\r\nlocked=no\r\n");
    auto names = Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<QString>{"Bob", "Robert"}));
}

// Whatever was changed in the editor, the cancel button or Escape writes nothing.
TEST_F(ProfileManagerTest, CancelWritesNothingRebuildsAndSelectsTheFirst) {
    MakeProfile("a", "[profile]\r\nname=A\r\n");
    MakeProfile("b", "[profile]\r\nname=B\r\navatar=avatar.jpg\r\n");
    WriteFile(profiles / "b" / "avatar.jpg", Jpeg(20, 20));
    WriteFile(game / "red.jpg", Jpeg(30, 20));
    OpenManager();
    const auto before = Disk();
    for (const char* button : {"bAdd", "bModyfi"}) {
        SCOPED_TRACE(button);
        Select(Folders()[0] == "b" ? 0 : 1);
        fs::create_directory(profiles / (std::string("new-") + button));
        AnswerPictures({"C:\\Games\\TuneMora\\red.jpg"});
        EXPECT_TRUE(WithEditor([&] { Press(button); },
                               [&](TFProfile&, Editor& e) {
                                   e.eName->setText("Changed");
                                   e.cbLocked->setChecked(true);
                                   e.Button3->click();
                                   if (button == std::string("bAdd")) {
                                       QTest::keyClick(e.eName, Qt::Key_Escape);
                                   } else {
                                       e.Button1->click();
                                   }
                               }));
        EXPECT_EQ(Selected(), 0);
        EXPECT_EQ(List().count(), 3) << "the list was read again";
        fs::remove(profiles / (std::string("new-") + button));
    }
    EXPECT_EQ(Disk(), before);
}

TEST_F(ProfileManagerTest, ModifyFillsTheEditorAndWritesOnlyWhatItHolds) {
    MakeProfile("m", "[profile]\r\nname=Mia\r\nlogin=mia7\r\nlocked=YES\r\nextra=kept\r\n");
    MakeProfile("z", "[profile]\r\nname=Zoe\r\nlocked=yes\r\n");
    OpenManager();
    const int mia = Folders()[0] == "m" ? 0 : 1;
    Select(mia);
    EXPECT_TRUE(WithEditor([this] { DoubleClickList(); },
                           [](TFProfile& dialog, Editor& e) {
                               EXPECT_EQ(&dialog, FProfile);
                               EXPECT_EQ(e.eName->text(), "Mia");
                               EXPECT_EQ(e.eLogin->text(), "mia7");
                               EXPECT_FALSE(e.cbLocked->isChecked());
                               EXPECT_TRUE(dialog.SetAvatar.empty());
                               e.eName->setText("Zoe");
                               e.Button2->click();
                           }));
    EXPECT_EQ(ReadFile(profiles / "m" / "profile.prf"),
              "[profile]\r\nname=Zoe\r\nlogin=mia7\r\nlocked=no\r\nextra=kept\r\n");
    EXPECT_EQ(Names(), (std::vector<QString>{"Zoe", "Zoe"}));
    Select(1 - mia);
    EXPECT_TRUE(WithEditor([this] { Press("bModyfi"); },
                           [](TFProfile&, Editor& e) {
                               EXPECT_TRUE(e.cbLocked->isChecked());
                               EXPECT_TRUE(e.eLogin->text().isEmpty());
                               e.Button1->click();
                           }));
}

TEST_F(ProfileManagerTest, DeletionAsksWithTheFolderNameAndSelectsTheFollowingEntry) {
    for (const char* folder : {"f1", "f2", "f3", "f4"}) {
        MakeProfile(folder, std::string("[profile]\r\nname=N") + folder + "\r\nlocked=yes\r\n");
    }
    WriteFile(profiles / "f2" / "sub" / "replay.dat", "r");
    OpenManager();
    const auto order = Folders();
    Select(1);
    MessageBox::SetNextAnswer(tmt::ui::mrNo);
    Press("bDel");
    auto shown = Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Warning);
    EXPECT_EQ(shown[0].buttons, MessageBox::Yes | MessageBox::No);
    EXPECT_EQ(shown[0].defaultButton, MessageBox::Yes);
    EXPECT_EQ(shown[0].text, "Sure to delete profile \"" + order[1] +
                                 "\" from HDD ? This is cannot be undone! Be warned !");
    EXPECT_EQ(Folders(), order);

    MessageBox::SetNextAnswer(tmt::ui::mrYes);
    Press("bDel");
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_FALSE(fs::exists(profiles / order[1].toStdString()));
    EXPECT_EQ(Folders(), (std::vector<QString>{order[0], order[2], order[3]}));
    EXPECT_EQ(Selected(), 1);

    const std::pair<Qt::KeyboardModifiers, int> keys[] = {{Qt::ControlModifier, 1},
                                                          {Qt::ShiftModifier, 0}};
    for (const auto& [modifiers, expectedSelection] : keys) {
        Select(List().count() - 1);
        MessageBox::SetNextAnswer(tmt::ui::mrYes);
        QTest::keyClick(&List(), Qt::Key_Delete, modifiers);
        EXPECT_EQ(Shown().size(), 1u);
        EXPECT_EQ(Selected(), expectedSelection) << "after the last entry, the new last";
    }
    EXPECT_EQ(Folders(), std::vector<QString>{order[0]});
    EXPECT_TRUE(fs::exists(profiles / order[0].toStdString() / "profile.prf"));
}

// As in a Windows list box, no click or key in the list leaves it without a selected entry, so
// Modify and Delete always find a profile.
TEST_F(ProfileManagerTest, AnEntryStaysSelectedWhateverIsClickedOrPressedInTheList) {
    MakeProfile("a", "[profile]\r\nname=Ann\r\n");
    MakeProfile("b", "[profile]\r\nname=Bob\r\n");
    OpenManager();
    QWidget* viewport = List().viewport();
    const auto on = [this](int row) {
        return List().visualItemRect(List().item(row)).center();
    };
    const QPoint below(10, viewport->height() - 4);
    const struct {
        const char* what;
        int from;
        std::function<void()> act;
        int selected;
    } cases[] = {
        {"Ctrl+click on the selected entry", 0,
         [&] { QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, on(0)); }, 0},
        {"Ctrl+click on another entry", 0,
         [&] { QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, on(1)); }, 1},
        {"Ctrl+Space", 1, [&] { QTest::keyClick(&List(), Qt::Key_Space, Qt::ControlModifier); }, 1},
        {"a click below the entries", 1,
         [&] { QTest::mouseClick(viewport, Qt::LeftButton, {}, below); }, 1},
        {"Ctrl+click below the entries", 0,
         [&] { QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, below); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Select(c.from);
        c.act();
        ASSERT_EQ(Selected(), c.selected);
        const QString name = Names()[static_cast<std::size_t>(c.selected)];
        const QString folder = Folders()[static_cast<std::size_t>(c.selected)];
        MessageBox::SetNextAnswer(tmt::ui::mrNo);
        Press("bDel");
        EXPECT_EQ(Texts(), std::vector<QString>{"Sure to delete profile \"" + folder +
                                                "\" from HDD ? This is cannot be undone! Be "
                                                "warned !"});
        Select(c.from);
        c.act();
        EXPECT_TRUE(WithEditor([this] { Press("bModyfi"); },
                               [&](TFProfile&, Editor& e) {
                                   EXPECT_EQ(e.eName->text(), name);
                                   e.Button1->click();
                               }));
        EXPECT_TRUE(Shown().empty());
    }
}

TEST_F(ProfileManagerTest, TheDeleteQuestionShowsTheFolderNameAsTheCharactersItHas) {
    MakeProfile("<b>Ann &amp; Co", "[profile]\r\nname=Ann\r\n");
    OpenManager();
    MessageBox::SetTestMode(false);
    const auto backToTestMode = qScopeGuard([] { MessageBox::SetTestMode(true); });
    const bool shown = tmt::test::WhileShown<QMessageBox>(
        [this] { Press("bDel"); },
        [](QMessageBox& box) {
            auto* label = box.findChild<QLabel*>("qt_msgbox_label");
            ASSERT_NE(label, nullptr);
            // The lines break at blanks; joined by blanks they give the question again.
            EXPECT_EQ(label->text().split(u'\n').join(u' '),
                      "Sure to delete profile \"<b>Ann &amp; Co\" from HDD ? This is cannot be "
                      "undone! Be warned !");
            EXPECT_TRUE(tmt::test::ShowsPlainText(*label));
        });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(fs::exists(profiles / "<b>Ann &amp; Co" / "profile.prf"));
}

TEST_F(ProfileManagerTest, FolderWhoseNameIsNotUtf8IsModifiedAndDeletedItself) {
    const std::string latin1 = "Caf\xe9";
    MakeProfile(latin1, "[profile]\r\nname=Cafe\r\n");
    MakeProfile("Caf\xef\xbf\xbd", "[profile]\r\nname=Decoy\r\n");
    OpenManager();
    const int cafe = Names()[0] == "Cafe" ? 0 : 1;
    Select(cafe);
    EXPECT_TRUE(WithEditor([this] { Press("bModyfi"); },
                           [](TFProfile&, Editor& e) {
                               EXPECT_EQ(e.eName->text(), "Cafe");
                               e.eLogin->setText("c");
                               e.Button2->click();
                           }));
    EXPECT_EQ(ReadFile(profiles / latin1 / "profile.prf"),
              "[profile]\r\nname=Cafe\r\nlogin=c\r\nlocked=no\r\n");
    Select(Names()[0] == "Cafe" ? 0 : 1);
    MessageBox::SetNextAnswer(tmt::ui::mrYes);
    Press("bDel");
    EXPECT_FALSE(fs::exists(profiles / latin1));
    EXPECT_EQ(Names(), std::vector<QString>{"Decoy"});
}

// The store says why a name can have no folder, for every separator and dot; the window shows
// that in a plain box.
TEST_F(ProfileManagerTest, RefusedNamesShowTheReasonAndWriteNothing) {
    OpenManager();
    const auto before = Disk();
    const std::pair<QString, const char*> refused[] = {
        {"..\\..\\X", tmt::kSeparatorInName},
        {".secret", tmt::kDotInFront},
    };
    for (const auto& [typed, reason] : refused) {
        SCOPED_TRACE(typed.toStdString());
        EXPECT_TRUE(AddNamed(typed));
        const auto shown = Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, MessageBox::Kind::Plain);
        EXPECT_EQ(shown[0].text.toStdString(), reason);
        EXPECT_EQ(Disk(), before);
        EXPECT_FALSE(fs::exists(game.parent_path() / "X"));
    }
}

// The editor stays open with everything typed, so the player can change what the file cannot hold
// rather than type it all again.
TEST_F(ProfileManagerTest, TextTheProfileFileCannotHoldIsReportedInTheOpenEditor) {
    const std::string prf = "[profile]\r\nname=Bob\r\nlogin=bob\r\nlocked=no\r\n";
    MakeProfile("Bob", prf);
    OpenManager();
    const QString typed = QString::fromUtf8("B\u00f3b \u0141o\u015b");
    std::vector<MessageBox::Shown> shown;
    EXPECT_TRUE(WithEditor([this] { Press("bModyfi"); },
                           [&](TFProfile& editor, Editor& e) {
                               e.eName->setText(typed);
                               e.eLogin->setText("robert");
                               e.cbLocked->setChecked(true);
                               e.Button2->click();
                               shown = Shown();
                               EXPECT_TRUE(editor.isVisible());
                               EXPECT_EQ(e.eName->text(), typed);
                               EXPECT_EQ(e.eLogin->text(), "robert");
                               EXPECT_TRUE(e.cbLocked->isChecked());
                               EXPECT_EQ(ReadFile(profiles / "Bob" / "profile.prf"), prf);

                               // What the file holds is saved at the next press.
                               e.eName->setText(QString::fromUtf8("B\u00f3b"));
                               e.Button2->click();
                           }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Error);
    EXPECT_EQ(shown[0].text.toStdString(),
              "C:\\Games\\TuneMora\\Profiles\\Bob\\profile.prf cannot store these characters: "
              "\u0141 \u015b.");
    EXPECT_EQ(ReadFile(profiles / "Bob" / "profile.prf"), "[profile]\r\nname=B\xF3"
                                                          "b\r\nlogin=robert\r\nlocked=yes\r\n");
}

// An add of which nothing could be written leaves no folder behind, then tells the user.
TEST_F(ProfileManagerTest, WriteFailuresReachTheUserAfterTheCleanUp) {
    struct Case {
        const char* label;
        QString typed;
        bool profilesFolder;
        bool diskFull;
        std::string file;
    };
    const Case cases[] = {
        // The first key's file is renamed into place; that is the write that fails.
        {"disk full", "Bob", true, true, "C:\\Games\\TuneMora\\Profiles\\Bob\\profile.prf"},
        {"Profiles missing", "Bob", false, false,
         "C:\\Games\\TuneMora\\Profiles\\Bob\\profile.prf"},
        {"name Windows cannot hold", "Bob?", true, false,
         "C:\\Games\\TuneMora\\Profiles\\Bob?\\profile.prf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(profiles);
        if (c.profilesFolder) {
            fs::create_directory(profiles);
        }
        OpenManager();
        {
            std::optional<tmt::test::FailNthCall> fault;
            if (c.diskFull) {
                fault.emplace(tmt::platform::fileops::Call::Rename, 1, ENOSPC);
            }
            EXPECT_TRUE(AddNamed(c.typed));
        }
        const auto shown = Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, MessageBox::Kind::Error);
        EXPECT_EQ(shown[0].text.toStdString(), "Unable to write to " + c.file + ".");
        EXPECT_EQ(FProfile, nullptr);
        EXPECT_EQ(List().count(), 0);
        EXPECT_TRUE(!fs::exists(profiles) || fs::is_empty(profiles));
    }
}

TEST_F(ProfileManagerTest, PictureThatCannotBeCopiedIsReportedAndDropped) {
    WriteFile(game / "pick.jpg", Jpeg(30, 30));
    AnswerPictures({"C:\\Games\\TuneMora\\pick.jpg"});
    OpenManager();
    EXPECT_TRUE(WithEditor([this] { Press("bAdd"); },
                           [this](TFProfile&, Editor& e) {
                               e.eName->setText("Ann");
                               e.Button3->click();
                               fs::remove(game / "pick.jpg");
                               e.Button2->click();
                           }));
    EXPECT_EQ(Texts(), std::vector<QString>{"Cannot copy avatar file to profile folder!"});
    EXPECT_FALSE(
        tmt::IniFile(tmt::ProfileFilePath(kInstallDir, "Ann")).ValueExists("profile", "avatar"));
}

// A stored avatar is shown fitted to its box; one that cannot be shown, missing or undecodable
// (which bytes are, the decoder's tests say), gives "Cannot load avatar." and the profile counts
// as having none.
TEST_F(ProfileManagerTest, AvatarsLoadOrAreReportedWithoutHarm) {
    const std::string good = Jpeg(300, 150);
    struct Case {
        const char* label;
        std::optional<std::string> bytes; // nothing: the file is missing
        QSize shown;                      // empty: cannot be loaded
    };
    const Case cases[] = {
        {"fitted", good, QSize(100, 50)},
        {"missing", std::nullopt, QSize()},
        {"cut", good.substr(0, good.size() / 2), QSize()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(profiles / "Bob");
        MakeProfile("Bob", "[profile]\r\nname=Bob\r\navatar=me.jpg\r\n");
        if (c.bytes) {
            WriteFile(profiles / "Bob" / "me.jpg", *c.bytes);
        }
        OpenManager();
        QSize shownSize;
        EXPECT_TRUE(WithEditor([this] { Press("bModyfi"); },
                               [&](TFProfile& dialog, Editor& e) {
                                   shownSize = e.iAvatar->pixmap().size();
                                   EXPECT_EQ(dialog.SetAvatar.empty(), c.shown.isEmpty());
                                   EXPECT_EQ(dialog.AvatarPath.empty(), c.shown.isEmpty());
                                   e.Button2->click();
                               }));
        EXPECT_EQ(shownSize, c.shown.isEmpty() ? QSize(0, 0) : c.shown);
        const std::vector<QString> expectedTexts = c.shown.isEmpty()
                                                       ? std::vector<QString>{"Cannot load avatar."}
                                                       : std::vector<QString>{};
        EXPECT_EQ(Texts(), expectedTexts);
        const tmt::IniFile prf(tmt::ProfileFilePath(kInstallDir, "Bob"));
        EXPECT_EQ(prf.ValueExists("profile", "avatar"), !c.shown.isEmpty());
        EXPECT_EQ(fs::exists(profiles / "Bob" / "me.jpg"), c.bytes.has_value())
            << "the file the profile named stays";
        if (!c.shown.isEmpty()) {
            EXPECT_EQ(ReadFile(profiles / "Bob" / "avatar.jpg"), *c.bytes);
        }
    }
}

} // namespace
