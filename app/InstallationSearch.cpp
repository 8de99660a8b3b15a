#include "app/InstallationSearch.h"

#include <utility>

InstallationSearch::InstallationSearch(std::string keyPath, QObject* parent)
    : QObject(parent), thread_([this, keyPath = std::move(keyPath)](const std::stop_token& stop) {
          auto found = tmt::platform::FindInstallations(keyPath, stop);
          // Handed over on the object's own thread; dropped with the object if it goes first.
          QMetaObject::invokeMethod(
              this,
              [this, found = std::move(found)]() mutable {
                  found_ = std::move(found);
                  running_ = false;
                  emit Finished();
              },
              Qt::QueuedConnection);
      }) {}

InstallationSearch::~InstallationSearch() {
    thread_.request_stop();
    thread_.join();
}
