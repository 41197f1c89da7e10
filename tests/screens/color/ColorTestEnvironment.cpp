// The colour card's tests need a QApplication before anything else touches Qt.

#include "screens/support/Screenshots.h"

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

class ColorTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ensureWidgetApplication(); }
};

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new ColorTestEnvironment);

}  // namespace
}  // namespace tarnik::testing
