#include "app/ScreenFit.h"

#include "platform/qt/WindowPosition.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace tmt::ui {

namespace {

// Moves the window's controls and layout into a scrolling area, all but `staysInView`, which
// goes below it. The controls keep the order in which they were made, which some windows read,
// and the window keeps its tab order.
QScrollArea& ScrollContents(QWidget& window, QWidget* staysInView) {
    QLayout* layout = window.layout();
    const QMargins margins = layout->contentsMargins();
    if (staysInView != nullptr) {
        layout->removeWidget(staysInView);
    }
    const QObjectList made = window.children();

    auto* scroller = new QScrollArea(&window);
    scroller->setObjectName(QStringLiteral("screenFitScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("screenFitContent"));
    // Inside the window before the controls move in, so that they never leave it and keep their
    // places in its tab order.
    scroller->setWidget(content);
    // The layout takes its controls along in the order of its rows, and the rest follow;
    // raising each in the order of making restores that order among the content's children.
    content->setLayout(layout);
    for (QObject* child : made) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control == nullptr || control == staysInView || control->isWindow()) {
            continue;
        }
        control->setParent(content);
        control->raise();
    }
    layout->activate();
    content->resize(content->sizeHint());

    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(scroller);
    if (staysInView != nullptr) {
        auto* below = new QVBoxLayout;
        below->setContentsMargins(margins.left(), 0, margins.right(), margins.bottom());
        below->addWidget(staysInView);
        outer->addLayout(below);
    }
    return *scroller;
}

} // namespace

void FitOnScreen(QWidget& window, QWidget* staysInView) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || window.layout() == nullptr) {
        return;
    }
    window.layout()->activate();
    window.adjustSize();
    // The frame is known once the system has made the window, before it is shown.
    window.winId();
    const QSize room = screen->availableGeometry().marginsRemoved(FrameMargins(window)).size();
    const QSize needed = window.size();
    if (needed.width() <= room.width() && needed.height() <= room.height()) {
        CentreOnScreen(window);
        return;
    }

    const QScrollArea& scroller = ScrollContents(window, staysInView);
    const QSize content = scroller.widget()->size();
    const QSize fixed = staysInView != nullptr ? window.layout()->itemAt(1)->sizeHint() : QSize();
    const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                scroller.verticalScrollBar());
    // Each scroll bar takes room of its own, so one may make the other needed.
    bool down = content.height() + fixed.height() > room.height();
    const bool across = std::max(content.width() + (down ? bar : 0), fixed.width()) > room.width();
    down = down || (across && content.height() + bar + fixed.height() > room.height());
    const int width = std::max(content.width() + (down ? bar : 0), fixed.width());
    const int height = content.height() + (across ? bar : 0) + fixed.height();
    window.setFixedSize(std::min(width, room.width()), std::min(height, room.height()));
    CentreOnScreen(window);
}

} // namespace tmt::ui
