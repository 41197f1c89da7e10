// Every test here may build widgets, so the QApplication comes first.

#include "screens/support/Screenshots.h"

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

class LiveTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ensureWidgetApplication(); }
};

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new LiveTestEnvironment);

}  // namespace
}  // namespace tarnik::testing
