#include "launch/RadioGroup.h"

#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

namespace tmt::ui {

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), layout_(new QGridLayout(this)) {}

// The buttons go before the group box's own destructor would delete them as its children.
RadioGroup::~RadioGroup() = default;

void RadioGroup::setItems(const QStringList& items) {
    buttons_.clear();
    items_ = items;
    for (int index = 0; index < items_.size(); ++index) {
        auto button = std::make_unique<QRadioButton>(items_[index], this);
        group_.addButton(button.get(), index);
        buttons_.push_back(std::move(button));
    }
    Arrange();
}

void RadioGroup::setColumns(int columns) {
    columns_ = std::max(columns, 1);
    Arrange();
}

void RadioGroup::Arrange() {
    for (const auto& button : buttons_) {
        layout_->removeWidget(button.get());
    }
    for (int column = 0; column < layout_->columnCount(); ++column) {
        layout_->setColumnStretch(column, 0);
    }
    const int count = static_cast<int>(buttons_.size());
    const int rows = std::max((count + columns_ - 1) / columns_, 1);
    for (int index = 0; index < count; ++index) {
        layout_->addWidget(buttons_[index].get(), index % rows, index / rows);
    }
    // Equal columns across the whole width, also where a column stays empty.
    for (int column = 0; column < columns_; ++column) {
        layout_->setColumnStretch(column, 1);
    }
}

int RadioGroup::itemIndex() const {
    return group_.checkedId();
}

void RadioGroup::setItemIndex(int index) {
    index = std::min(std::max(index, -1), static_cast<int>(buttons_.size()) - 1);
    if (index >= 0) {
        buttons_[index]->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; unchecking needs the exclusivity lifted.
    if (QAbstractButton* checked = group_.checkedButton()) {
        group_.setExclusive(false);
        checked->setChecked(false);
        group_.setExclusive(true);
    }
}

} // namespace tmt::ui
