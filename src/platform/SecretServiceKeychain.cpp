#include "platform/SecretServiceKeychain.h"

#include "platform/LibsecretInclude.h"

#include <memory>

namespace tarnik {

namespace {

struct HashTableRelease {
  void operator()(GHashTable *table) const { g_hash_table_unref(table); }
};
struct ValueRelease {
  void operator()(SecretValue *value) const { secret_value_unref(value); }
};
struct ErrorRelease {
  void operator()(GError *error) const { g_error_free(error); }
};
struct ObjectRelease {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct ItemListRelease {
  void operator()(GList *items) const { g_list_free_full(items, g_object_unref); }
};

using Attributes = std::unique_ptr<GHashTable, HashTableRelease>;
using Value = std::unique_ptr<SecretValue, ValueRelease>;
using ErrorHandle = std::unique_ptr<GError, ErrorRelease>;
using ItemList = std::unique_ptr<GList, ItemListRelease>;

using Cause = SecretServiceKeychain::Cause;
using Error = SecretServiceKeychain::Error;

// Exactly the two attributes and no schema name, so an item is found by (service, account)
// alone, whoever wrote it.
Attributes attributesOf(const SecretServiceKeychain::Query &query) {
  Attributes attributes(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
  g_hash_table_insert(attributes.get(), g_strdup("service"),
                      g_strdup(query.service.toUtf8().constData()));
  g_hash_table_insert(attributes.get(), g_strdup("account"),
                      g_strdup(query.account.toUtf8().constData()));
  return attributes;
}

bool isMissingService(const GError &error) {
  if (error.domain != G_DBUS_ERROR) {
    return false;
  }
  switch (error.code) {
    case G_DBUS_ERROR_SERVICE_UNKNOWN:
    case G_DBUS_ERROR_NAME_HAS_NO_OWNER:
    // The bus knows a program for the name but could not start it.
    case G_DBUS_ERROR_SPAWN_EXEC_FAILED:
    case G_DBUS_ERROR_SPAWN_FORK_FAILED:
    case G_DBUS_ERROR_SPAWN_CHILD_EXITED:
    case G_DBUS_ERROR_SPAWN_CHILD_SIGNALED:
    case G_DBUS_ERROR_SPAWN_FAILED:
    case G_DBUS_ERROR_SPAWN_SETUP_FAILED:
    case G_DBUS_ERROR_SPAWN_CONFIG_INVALID:
    case G_DBUS_ERROR_SPAWN_SERVICE_INVALID:
    case G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND:
    case G_DBUS_ERROR_SPAWN_PERMISSIONS_INVALID:
    case G_DBUS_ERROR_SPAWN_FILE_INVALID:
      return true;
    default:
      return false;
  }
}

// Takes the error. The D-Bus error name GLib puts in front of a remote message is for
// developers, not for the person reading the text.
Error errorFrom(GError *raw) {
  const ErrorHandle error(raw);
  g_dbus_error_strip_remote_error(error.get());
  Cause cause = Cause::other;
  if (isMissingService(*error)) {
    cause = Cause::noSecretService;
  } else if (g_error_matches(error.get(), SECRET_ERROR, SECRET_ERROR_IS_LOCKED)) {
    // Also what a dismissed unlock prompt leaves behind: the collection stays locked.
    cause = Cause::locked;
  }
  return {cause, QString::fromUtf8(error->message)};
}

// libsecret reaches the Secret Service through GLib's shared session bus; asking for that
// bus first is what tells a machine without one from a bus without the service.
std::optional<Error> sessionBusError() {
  GError *error = nullptr;
  const std::unique_ptr<GDBusConnection, ObjectRelease> bus(
      g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error));
  if (error) {
    Error result = errorFrom(error);
    result.cause = Cause::noSessionBus;
    return result;
  }
  return std::nullopt;
}

QByteArray bytesOf(SecretValue *value) {
  gsize length = 0;
  const gchar *bytes = secret_value_get(value, &length);
  return QByteArray(bytes, static_cast<qsizetype>(length));
}

}  // namespace

std::expected<std::optional<QByteArray>, Error> SecretServiceKeychain::load(const Query &query) {
  if (auto error = sessionBusError()) {
    return std::unexpected(*error);
  }
  const Attributes attributes = attributesOf(query);
  GError *error = nullptr;
  // Without SECRET_SEARCH_UNLOCK nothing is unlocked and nobody is asked; locked items come
  // back all the same, only without their secrets. The value API gives the raw bytes; the
  // password API would assume they are text.
  const ItemList items(secret_service_search_sync(
      nullptr, nullptr, attributes.get(),
      static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS), nullptr,
      &error));
  if (error) {
    return std::unexpected(errorFrom(error));
  }
  bool foundLocked = false;
  for (GList *node = items.get(); node != nullptr; node = node->next) {
    SecretItem *item = SECRET_ITEM(node->data);
    if (secret_item_get_locked(item)) {
      foundLocked = true;
      continue;
    }
    const Value value(secret_item_get_secret(item));
    if (!value) {
      return std::unexpected(Error{
          Cause::other, QStringLiteral("The Secret Service gave the item without its secret.")});
    }
    return std::optional<QByteArray>(bytesOf(value.get()));
  }
  if (foundLocked) {
    return std::unexpected(
        Error{Cause::locked, QStringLiteral("The keyring holding this item is locked.")});
  }
  return std::optional<QByteArray>{};
}

std::expected<void, Error> SecretServiceKeychain::store(const Query &query, const QByteArray &value,
                                                        const QString &label) {
  if (auto error = sessionBusError()) {
    return std::unexpected(*error);
  }
  const Attributes attributes = attributesOf(query);
  const Value secret(secret_value_new(value.constData(), value.size(), "text/plain"));
  GError *error = nullptr;
  // The service replaces the value of an item with the same attributes in the default
  // collection instead of adding a second one.
  const bool stored =
      secret_service_store_sync(nullptr, nullptr, attributes.get(), nullptr,
                                label.toUtf8().constData(), secret.get(), nullptr, &error);
  if (error) {
    return std::unexpected(errorFrom(error));
  }
  // libsecret ends a prompt the user dismissed with a plain "no" and no error.
  if (!stored) {
    return std::unexpected(
        Error{Cause::promptDismissed, QStringLiteral("The request to the keyring was dismissed.")});
  }
  return {};
}

}  // namespace tarnik
