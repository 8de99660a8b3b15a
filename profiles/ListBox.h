#pragma once

#include <QListWidget>

namespace tmt::ui {

// A single-selection list as a Windows list box is: once an entry is selected, one stays
// selected. A click selects the entry under the mouse, with or without Ctrl, and a click below
// the last entry or Ctrl+Space changes nothing, where Qt's list would drop the selection.
class ListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
};

} // namespace tmt::ui
