// Every connection page test may build widgets, so the QApplication comes first. The home
// and XDG folders point into a temporary folder for the whole program, so nothing a test
// does can reach the real settings.

#include "screens/support/Screenshots.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

class ConnectionTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home_.path() + QStringLiteral("/.cache")).toUtf8());
    ensureWidgetApplication();
  }

 private:
  QTemporaryDir home_;
};

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new ConnectionTestEnvironment);

}  // namespace
}  // namespace tarnik::testing
