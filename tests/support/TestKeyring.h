#pragma once

// Locks and unlocks the throwaway GNOME Keyring that tests/support/with-keyring.sh starts,
// so that tests can hold a locked keyring in their hands. Both go straight over D-Bus, past
// libsecret, so that libsecret's own caches see the change only the way an application
// would. Only meaningful inside that wrapper.

namespace tarnik::testing {

// Locks every collection; the Secret Service locks without asking anyone.
bool lockTestKeyring();

// Unlocks the login collection with the wrapper's password. The Secret Service's own unlock
// opens a prompt that nobody can answer in a test, so this takes GNOME Keyring's
// password call instead.
bool unlockTestKeyring();

}  // namespace tarnik::testing
