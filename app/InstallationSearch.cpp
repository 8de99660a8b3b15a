#include "app/InstallationSearch.h"

#include "core/Error.h"

#include <exception>
#include <utility>

InstallationSearch::InstallationSearch(std::string keyPath, QObject* parent)
    : QObject(parent), thread_([this, keyPath = std::move(keyPath)](const std::stop_token& stop) {
          std::vector<tmt::platform::Installation> found;
          std::string failure;
          // An error may not end the thread: it is told on the window's thread instead.
          try {
              found = tmt::platform::FindInstallations(keyPath, stop);
          } catch (const std::exception& error) {
              failure = error.what();
          }
          // Handed over on the object's own thread; dropped with the object if it goes first.
          QMetaObject::invokeMethod(
              this,
              [this, found = std::move(found), failure = std::move(failure)]() mutable {
                  found_ = std::move(found);
                  failure_ = std::move(failure);
                  running_ = false;
                  emit Finished();
              },
              Qt::QueuedConnection);
      }) {}

InstallationSearch::~InstallationSearch() {
    thread_.request_stop();
    thread_.join();
}

const std::vector<tmt::platform::Installation>& InstallationSearch::Found() const {
    if (!failure_.empty()) {
        throw tmt::Error(failure_);
    }
    return found_;
}
