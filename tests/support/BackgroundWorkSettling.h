#pragma once

#include "foundation/BackgroundWork.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace tarnik::testing {

// Lets every job on the shared pool and every call on the keychain's and the file writes'
// threads end and hands their results over on the GUI thread, so a test reads what a flow
// does once work it moved off the GUI thread (a keychain store, a snapshot write) is in. A
// result handed over may start the next job (a code read, then stored): that one too.
inline void settleBackgroundWork() {
  const auto waitForThreads = [] {
    return keychainThread().waitForDone() + fileWriteThread().waitForDone();
  };
  std::size_t calls = 0;
  do {
    QThreadPool::globalInstance()->waitForDone();
    calls = waitForThreads();
    QCoreApplication::sendPostedEvents();
  } while (QThreadPool::globalInstance()->activeThreadCount() > 0 || waitForThreads() != calls);
}

}  // namespace tarnik::testing
