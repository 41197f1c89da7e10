// The cue screens' tests need a QApplication before anything else touches Qt, and shown
// times in one zone whatever the machine's.

#include "screens/support/Screenshots.h"

#include <QByteArray>

#include <ctime>
#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

class CuesTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("TZ", "UTC");
    tzset();
    ensureWidgetApplication();
  }
};

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new CuesTestEnvironment);

}  // namespace
}  // namespace tarnik::testing
