#pragma once

namespace tmt::test {

// The program starts the game detached: a child of it starts the game and leaves, so the game is
// nobody's child and would be adopted by init. While an object of this class lives, this process
// adopts such programs instead, so a test can wait until every program started so far has ended,
// and has written whatever it writes, rather than wait a while and hope.
class StartedPrograms {
public:
    StartedPrograms();
    ~StartedPrograms();
    StartedPrograms(const StartedPrograms&) = delete;
    StartedPrograms& operator=(const StartedPrograms&) = delete;

    // Returns once every program started since the object was made has ended.
    void WaitUntilAllEnded() const;
};

} // namespace tmt::test
