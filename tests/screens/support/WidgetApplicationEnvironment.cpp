// Linked into a screen test program whose tests need a QApplication before anything else
// touches Qt.

#include "screens/support/Screenshots.h"

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

class WidgetApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ensureWidgetApplication(); }
};

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new WidgetApplicationEnvironment);

}  // namespace
}  // namespace tarnik::testing
