#pragma once

#include <QCoreApplication>
#include <QThreadPool>

namespace tarnik::testing {

// Lets every job on the shared pool end and hands its result over on the GUI thread, so a
// test reads what a flow does once work it moved off the GUI thread (a keychain store) is in.
// A result handed over may start the next job (a code read, then stored): that one too.
inline void settleBackgroundWork() {
  do {
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
  } while (QThreadPool::globalInstance()->activeThreadCount() > 0);
}

}  // namespace tarnik::testing
