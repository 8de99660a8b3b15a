#pragma once

class QWidget;

namespace tmt::ui {

inline constexpr char kGameRunningQuestion[] =
    "TuneMora is running. It may overwrite this change when it exits. Close the game first, or "
    "continue anyway?";

// Asked right before the program changes the game's files: the game keeps its config.ini and its
// profile in memory and writes them back when it exits, and holds its temporary files open, so a
// change made under it would be lost without a word. True when the game of the installation in
// use is not running, or when the user continues anyway; false leaves everything as it was.
bool MayChangeWhileGameRuns(QWidget* owner);

} // namespace tmt::ui
