#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

#include <memory>
#include <vector>

class QGridLayout;
class QRadioButton;

namespace tmt::ui {

// A framed set of mutually exclusive choices built from a list of captions, as the Windows radio
// group is: the items stand in `columns` columns, filled top to bottom one column after the other,
// and the choice is read and set by its index in the list. Items, columns and the index are
// properties, so a window definition can give all three.
class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int columns READ columns WRITE setColumns)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)

public:
    explicit RadioGroup(QWidget* parent = nullptr);
    ~RadioGroup() override;

    const QStringList& items() const { return items_; }
    // Replaces every item; afterwards no item is selected.
    void setItems(const QStringList& items);

    int columns() const { return columns_; }
    // Fewer than one column counts as one.
    void setColumns(int columns);

    // The selected item's index, or -1 when none is selected.
    int itemIndex() const;
    // -1 clears the selection; an index beyond either end selects nothing or the last item.
    void setItemIndex(int index);

private:
    void Arrange();

    QStringList items_;
    int columns_ = 1;
    QGridLayout* layout_;
    QButtonGroup group_;
    std::vector<std::unique_ptr<QRadioButton>> buttons_;
};

} // namespace tmt::ui
