#pragma once

#include <QCoreApplication>
#include <QThreadPool>

namespace tarnik::testing {

// Lets every job on the shared pool end and hands its result over on the GUI thread, so a
// test reads what a flow does once work it moved off the GUI thread (a keychain store) is in.
inline void settleBackgroundWork() {
  QThreadPool::globalInstance()->waitForDone();
  QCoreApplication::sendPostedEvents();
}

}  // namespace tarnik::testing
