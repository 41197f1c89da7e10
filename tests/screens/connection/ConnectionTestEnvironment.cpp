// Every connection page test may build widgets and save settings: the whole program runs
// with a temporary home and the widget application made first.

#include "screens/support/TemporaryHomeEnvironment.h"

namespace tarnik::testing {
namespace {

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new TemporaryHomeEnvironment);

}  // namespace
}  // namespace tarnik::testing
