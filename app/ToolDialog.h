#pragma once

#include <QDialog>
#include <QLayout>

#include <memory>

// What every tool window shares: its frame, its controls built from its form, its place in the
// middle of the screen, and Cancel as the result of every way of cancelling it.
class ToolDialog : public QDialog {
    Q_OBJECT

public:
    // Escape, the close box and reject() end the window with mrCancel, as on a Windows form.
    void reject() override;

protected:
    // The frame of most tool windows: a title with a close box, and a size the user cannot
    // change.
    static constexpr Qt::WindowFlags kFixedFrame = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

    ToolDialog(QWidget* owner, Qt::WindowFlags frame);

    // The window's controls, made from its form. A window with a fixed-size frame takes the size
    // its layout asks for, now and whenever its contents change.
    template <typename Form> std::unique_ptr<Form> Build() {
        auto form = std::make_unique<Form>();
        form->setupUi(this);
        if (windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint)) {
            layout()->setSizeConstraint(QLayout::SetFixedSize);
        }
        return form;
    }

    // The last step of the window's creation: it takes its size at once and stands in the middle
    // of the screen, where it stays when it is shown. Where the screen is too small for it, its
    // controls scroll, all but `staysInView`.
    void Place(QWidget* staysInView = nullptr);
};
