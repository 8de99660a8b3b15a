#pragma once

#include <QPushButton>

namespace tmt::ui {

// A push button whose caption wraps onto several lines when it is wider than the button, as the
// main window's longer captions do; the caption text itself stays as given.
class WrapButton : public QPushButton {
    Q_OBJECT
public:
    explicit WrapButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect TextArea() const;
};

} // namespace tmt::ui
