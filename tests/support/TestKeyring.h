#pragma once

// Locks, unlocks and searches the throwaway GNOME Keyring that tests/support/with-keyring.sh
// starts, so that tests can hold a locked keyring in their hands and count what an
// application left in it. All go straight over D-Bus, past
// libsecret, so that libsecret's own caches see the change only the way an application
// would. Only meaningful inside that wrapper.

#include <QHash>
#include <QString>

namespace tarnik::testing {

// Locks every collection; the Secret Service locks without asking anyone.
bool lockTestKeyring();

// Unlocks the login collection with the wrapper's password. The Secret Service's own unlock
// opens a prompt that nobody can answer in a test, so this takes GNOME Keyring's
// password call instead.
bool unlockTestKeyring();

// How many items, locked or not, carry these attributes; -1 when the search fails.
int testKeyringItemCount(const QHash<QString, QString> &attributes);

}  // namespace tarnik::testing
