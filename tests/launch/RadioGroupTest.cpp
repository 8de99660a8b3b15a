#include "launch/RadioGroup.h"

#include <QGridLayout>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using tmt::ui::RadioGroup;
using Cell = std::pair<int, int>; // row, column

QStringList Numbered(int count) {
    QStringList items;
    for (int index = 0; index < count; ++index) {
        items << QString::number(index);
    }
    return items;
}

std::vector<Cell> Cells(const RadioGroup& group) {
    auto* grid = qobject_cast<QGridLayout*>(group.layout());
    std::vector<Cell> cells;
    for (const auto* button : group.findChildren<QRadioButton*>()) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(button), &row, &column, &rowSpan, &columnSpan);
        cells.emplace_back(row, column);
    }
    return cells;
}

TEST(RadioGroupTest, ItemsFillTheColumnsTopToBottom) {
    const struct {
        int count;
        int columns;
        std::vector<Cell> cells;
    } cases[] = {
        {7, 3, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}}},
        {6, 3, {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}}},
        {2, 3, {{0, 0}, {0, 1}}},
        {3, 1, {{0, 0}, {1, 0}, {2, 0}}},
        {3, 0, {{0, 0}, {1, 0}, {2, 0}}},
        {0, 3, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " items in " + std::to_string(c.columns));
        RadioGroup group;
        group.setItems(Numbered(c.count));
        group.setColumns(c.columns);
        EXPECT_EQ(Cells(group), c.cells);
        // The same arrangement when the columns are given first.
        RadioGroup columnsFirst;
        columnsFirst.setColumns(c.columns);
        columnsFirst.setItems(Numbered(c.count));
        EXPECT_EQ(Cells(columnsFirst), c.cells);
    }
}

TEST(RadioGroupTest, IndexSelectsOneItemAndIsClampedToTheList) {
    RadioGroup group;
    group.setItems({"a", "b", "c"});
    EXPECT_EQ(group.itemIndex(), -1);
    const struct {
        int set;
        int read;
    } cases[] = {{1, 1}, {2, 2}, {0, 0}, {7, 2}, {-1, -1}, {1, 1}, {-9, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        group.setItemIndex(c.set);
        EXPECT_EQ(group.itemIndex(), c.read);
        int checked = 0;
        for (const auto* button : group.findChildren<QRadioButton*>()) {
            checked += button->isChecked() ? 1 : 0;
        }
        EXPECT_EQ(checked, c.read >= 0 ? 1 : 0);
    }
}

TEST(RadioGroupTest, ClickingAnItemSelectsIt) {
    RadioGroup group;
    group.setItems({"a", "b", "c"});
    group.setColumns(3);
    group.setItemIndex(0);
    group.show();
    const auto buttons = group.findChildren<QRadioButton*>();
    QTest::mouseClick(buttons[2], Qt::LeftButton);
    EXPECT_EQ(group.itemIndex(), 2);
    EXPECT_FALSE(buttons[0]->isChecked());
}

TEST(RadioGroupTest, NewItemsDropTheSelectionNewColumnsKeepIt) {
    RadioGroup group;
    group.setItems({"a", "b", "c"});
    group.setItemIndex(1);
    group.setColumns(2);
    EXPECT_EQ(group.itemIndex(), 1);
    group.setItems({"x", "y"});
    EXPECT_EQ(group.itemIndex(), -1);
    EXPECT_EQ(group.findChildren<QRadioButton*>().size(), 2);
    EXPECT_EQ(group.findChildren<QRadioButton*>()[1]->text(), "y");
}

} // namespace
