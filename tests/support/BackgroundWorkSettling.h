#pragma once

#include "foundation/BackgroundWork.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace tarnik::testing {

// Lets every job on the shared pool and every call on the keychain's thread end and hands
// their results over on the GUI thread, so a test reads what a flow does once work it moved
// off the GUI thread (a keychain store) is in. A result handed over may start the next job
// (a code read, then stored): that one too.
inline void settleBackgroundWork() {
  std::size_t keychainCalls = 0;
  do {
    QThreadPool::globalInstance()->waitForDone();
    keychainCalls = keychainThread().waitForDone();
    QCoreApplication::sendPostedEvents();
  } while (QThreadPool::globalInstance()->activeThreadCount() > 0 ||
           keychainThread().waitForDone() != keychainCalls);
}

}  // namespace tarnik::testing
