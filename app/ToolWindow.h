#pragma once

#include <QScopeGuard>

#include <memory>

class QWidget;

// Every tool window is created anew for each opening, shown modally with the main window as
// owner, and destroyed when its modal display ends, also when that ends with an error. The
// window's module-level reference designates it for exactly that time.
template <typename Window> void ShowToolWindow(Window*& reference, QWidget* owner) {
    const auto forget = qScopeGuard([&reference] { reference = nullptr; });
    const auto window = std::make_unique<Window>(owner);
    reference = window.get();
    window->exec();
}
