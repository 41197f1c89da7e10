#pragma once

// The GoogleTest main makes no application object, yet sockets, timers, Avahi's poll and
// queued hand-backs need the event dispatcher that only one installs. Tests wait by
// turning that event loop until a condition holds, never by sleeping.

#include <QCoreApplication>
#include <QTest>

namespace tarnik::testing {

inline void ensureCoreApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "tarnik_tests";
  static char *argv[] = {name, nullptr};
  new QCoreApplication(argc, argv);
}

// False when the time runs out first.
template <typename Condition>
bool waitUntil(Condition condition, int milliseconds = 10000) {
  return QTest::qWaitFor(condition, milliseconds);
}

}  // namespace tarnik::testing
