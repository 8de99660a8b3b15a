#pragma once

#include "maintenance/UMaintenance.h"
#include "platform/qt/MessageBox.h"
#include "tests/support/GameWindowTest.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tmt::test {

// The maintenance window over the game's files, cleared as the player clears it.
class MaintenanceTest : public GameWindowTest {
protected:
    // Opens the window, ticks the given boxes, presses Clear and returns the texts shown, each in
    // a plain box.
    std::vector<QString> Clear(bool temp, bool cache) {
        window = std::make_unique<TFMaintenance>(main.get());
        window->show();
        window->findChild<QCheckBox*>("CheckBox1")->setChecked(temp);
        window->findChild<QCheckBox*>("CheckBox2")->setChecked(cache);
        QTest::mouseClick(window->findChild<QPushButton*>("bClear"), Qt::LeftButton);
        std::vector<QString> texts;
        for (const auto& shown : ui::MessageBox::TakeShown()) {
            EXPECT_EQ(shown.kind, ui::MessageBox::Kind::Plain);
            texts.push_back(shown.text);
        }
        return texts;
    }

    std::unique_ptr<TFMaintenance> window;
};

} // namespace tmt::test
