#pragma once

// A test program's environment that lets its tests run only on D-Bus buses a wrapper script
// made for this run. Each wrapper that gives a run a bus of its own (a private bus, or an
// address that points nowhere) names it in TARNIK_THROWAWAY_SYSTEM_BUS or
// TARNIK_THROWAWAY_SESSION_BUS. A bus address that is not the one named, or no address at
// all (the machine's default), would let a test reach the machine's own logind or the
// user's keyring: then no test runs and the program fails.

#include <QByteArray>

#include <gtest/gtest.h>

namespace tarnik::testing {

class ThrowawayBusesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const bool system = isThrowaway("DBUS_SYSTEM_BUS_ADDRESS", "TARNIK_THROWAWAY_SYSTEM_BUS");
    const bool session = isThrowaway("DBUS_SESSION_BUS_ADDRESS", "TARNIK_THROWAWAY_SESSION_BUS");
    if (!system || !session)
      GTEST_FAIL() << "these tests run only inside the wrapper scripts their CTest slices name";
  }

 private:
  static bool isThrowaway(const char *address, const char *madeForThisRun) {
    const QByteArray bus = qgetenv(address);
    if (!bus.isEmpty() && bus == qgetenv(madeForThisRun)) return true;
    ADD_FAILURE() << address << " is \"" << bus.toStdString() << "\", not a bus of this test run";
    return false;
  }
};

}  // namespace tarnik::testing
