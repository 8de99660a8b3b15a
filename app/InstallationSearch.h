#pragma once

#include "platform/Installations.h"

#include <QObject>

#include <string>
#include <thread>
#include <vector>

// Looks for the game's installations on a thread of its own, so that the main window is on
// screen while a home with hundreds of prefixes is searched. Finished() comes on the thread the
// object lives on. Destroying the object ends the search early and waits for its thread.
class InstallationSearch : public QObject {
    Q_OBJECT

public:
    explicit InstallationSearch(std::string keyPath, QObject* parent = nullptr);
    ~InstallationSearch() override;

    bool Running() const { return running_; }
    // What the search found, once Finished() came; raises the error that ended the search.
    const std::vector<tmt::platform::Installation>& Found() const;

signals:
    void Finished();

private:
    std::vector<tmt::platform::Installation> found_;
    std::string failure_;
    bool running_ = true;
    std::jthread thread_;
};
