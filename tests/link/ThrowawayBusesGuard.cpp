// The relay takes logind's locks on the system bus and the pairing code lives in the
// Secret Service: no test here may reach the machine's own system bus or the user's keyring.

#include "support/ThrowawayBusesEnvironment.h"

namespace tarnik::testing {
namespace {

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new ThrowawayBusesEnvironment);

}  // namespace
}  // namespace tarnik::testing
