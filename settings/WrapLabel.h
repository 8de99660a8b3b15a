#pragma once

#include <QLabel>

namespace tmt::ui {

// A word-wrapping label as a Windows form has it: its width is the design's, not the text's, and
// its text wraps inside that width as WrapLines breaks it (at blanks, a long path where the line
// is full), the height following the lines. A label limited in height shows the lines that fit,
// the last of them ending in "..." when more follow. The text itself stays as given.
class WrapLabel : public QLabel {
    Q_OBJECT
public:
    explicit WrapLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The lines shown at a width of the text area, within the label's maximum height.
    QStringList ShownLines(int textWidth) const;
    int TextHeight(int lineCount) const;
    QMargins Margins() const;
};

} // namespace tmt::ui
