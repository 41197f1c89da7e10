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

using Attributes = std::unique_ptr<GHashTable, HashTableRelease>;
using Value = std::unique_ptr<SecretValue, ValueRelease>;
using ErrorHandle = std::unique_ptr<GError, ErrorRelease>;

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

SecretServiceKeychain::Error errorFrom(GError *raw) {
  const ErrorHandle error(raw);
  return {error->code, QString::fromUtf8(error->message)};
}

}  // namespace

std::expected<std::optional<QByteArray>, SecretServiceKeychain::Error> SecretServiceKeychain::load(
    const Query &query) {
  const Attributes attributes = attributesOf(query);
  GError *error = nullptr;
  // The value API hands back the raw bytes; the password API would assume they are text.
  const Value value(
      secret_service_lookup_sync(nullptr, nullptr, attributes.get(), nullptr, &error));
  if (error) {
    return std::unexpected(errorFrom(error));
  }
  if (!value) {
    return std::optional<QByteArray>{};
  }
  gsize length = 0;
  const gchar *bytes = secret_value_get(value.get(), &length);
  return std::optional<QByteArray>(QByteArray(bytes, static_cast<qsizetype>(length)));
}

std::expected<void, SecretServiceKeychain::Error> SecretServiceKeychain::store(
    const Query &query, const QByteArray &value, const QString &label) {
  const Attributes attributes = attributesOf(query);
  const Value secret(secret_value_new(value.constData(), value.size(), "text/plain"));
  GError *error = nullptr;
  // The service replaces the value of an item with the same attributes in the default
  // collection instead of adding a second one.
  secret_service_store_sync(nullptr, nullptr, attributes.get(), nullptr, label.toUtf8().constData(),
                            secret.get(), nullptr, &error);
  if (error) {
    return std::unexpected(errorFrom(error));
  }
  return {};
}

}  // namespace tarnik
