// The editor's widgets need a QApplication before anything else touches Qt.

#include "screens/support/Screenshots.h"

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

class EditorTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ensureWidgetApplication(); }
};

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new EditorTestEnvironment);

}  // namespace
}  // namespace tarnik::testing
