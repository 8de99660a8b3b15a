#include "tests/app/EveryWindow.h"

#include <QAccessible>
#include <QLabel>
#include <gtest/gtest.h>

#include <string>

namespace {

class AccessibleNameTest : public tmt::test::EveryWindowTest,
                           public ::testing::WithParamInterface<std::string> {};

// What a screen reader would say for a control: the name its accessible interface gives.
QString SpokenName(QWidget& widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

bool ShowsSomething(const QWidget& widget) {
    const auto* label = qobject_cast<const QLabel*>(&widget);
    return label != nullptr && (!label->text().isEmpty() || !label->pixmap().isNull());
}

TEST_P(AccessibleNameTest, EveryFocusableControlAndEveryShowingLabelHasAName) {
    QWidget& window = Open(GetParam());
    int checked = 0;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) ||
            (widget->focusPolicy() == Qt::NoFocus && !ShowsSomething(*widget))) {
            continue;
        }
        ++checked;
        EXPECT_FALSE(SpokenName(*widget).trimmed().isEmpty())
            << NameOf(*widget).toStdString() << " (" << widget->metaObject()->className() << ")";
    }
    EXPECT_GT(checked, 1);
    EXPECT_FALSE(SpokenName(window).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, AccessibleNameTest,
                         ::testing::ValuesIn(tmt::test::EveryWindowName()),
                         [](const auto& testInfo) { return testInfo.param; });

} // namespace
