// Runs against the private, unlocked GNOME Keyring that tests/support/with-keyring.sh
// starts; outside that wrapper these cases fail rather than touch a real keyring.
#include "platform/LibsecretInclude.h"
#include "platform/SecretServiceKeychain.h"

#include <QUuid>

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tarnik {
namespace {

constexpr auto service = "tarnik.test.keychain";

SecretServiceKeychain::Query freshQuery() {
  return {QString::fromLatin1(service), QUuid::createUuid().toString(QUuid::WithoutBraces)};
}

using AttributeTable = std::map<std::string, std::string>;

// The attribute table of every item the Secret Service holds under these two attributes.
// GNOME Keyring may tag an item with its generic schema on its own; that tag is not ours
// and is left out.
std::vector<AttributeTable> itemsMatching(const SecretServiceKeychain::Query &query) {
  GHashTable *attributes = g_hash_table_new(g_str_hash, g_str_equal);
  const QByteArray serviceText = query.service.toUtf8();
  const QByteArray accountText = query.account.toUtf8();
  g_hash_table_insert(attributes, const_cast<char *>("service"),
                      const_cast<char *>(serviceText.constData()));
  g_hash_table_insert(attributes, const_cast<char *>("account"),
                      const_cast<char *>(accountText.constData()));
  GError *error = nullptr;
  GList *items =
      secret_service_search_sync(nullptr, nullptr, attributes, SECRET_SEARCH_ALL, nullptr, &error);
  g_hash_table_unref(attributes);
  EXPECT_EQ(error, nullptr) << (error ? error->message : "");
  if (error) g_error_free(error);
  std::vector<AttributeTable> result;
  for (GList *node = items; node; node = node->next) {
    GHashTable *itemAttributes = secret_item_get_attributes(SECRET_ITEM(node->data));
    AttributeTable table;
    GHashTableIter iterator;
    gpointer key = nullptr;
    gpointer value = nullptr;
    g_hash_table_iter_init(&iterator, itemAttributes);
    while (g_hash_table_iter_next(&iterator, &key, &value)) {
      table.emplace(static_cast<const char *>(key), static_cast<const char *>(value));
    }
    g_hash_table_unref(itemAttributes);
    table.erase("xdg:schema");
    result.push_back(std::move(table));
  }
  g_list_free_full(items, g_object_unref);
  return result;
}

TEST(SecretServiceKeychainKeyringIntegration, StoresReadsBackAndReplacesInPlace) {
  const auto query = freshQuery();
  EXPECT_EQ(SecretServiceKeychain::load(query).value(), std::nullopt);

  ASSERT_TRUE(SecretServiceKeychain::store(query, "first", QStringLiteral("Test item")));
  EXPECT_EQ(SecretServiceKeychain::load(query).value(), QByteArray("first"));
  ASSERT_TRUE(SecretServiceKeychain::store(query, "second", QStringLiteral("Test item")));
  EXPECT_EQ(SecretServiceKeychain::load(query).value(), QByteArray("second"));

  const auto items = itemsMatching(query);
  ASSERT_EQ(items.size(), 1);
  const AttributeTable expected{{"service", query.service.toStdString()},
                                {"account", query.account.toStdString()}};
  EXPECT_EQ(items.front(), expected);

  // Another account under the same service is a different item.
  const SecretServiceKeychain::Query neighbour{query.service,
                                               query.account + QStringLiteral(".other")};
  EXPECT_EQ(SecretServiceKeychain::load(neighbour).value(), std::nullopt);
}

// The wrapper is only trustworthy as a test runner if a failing program fails the test.
TEST(SecretServiceKeychainKeyringIntegration, WrapperPassesOnTheProgramsExitStatus) {
  const QString wrapper =
      qEnvironmentVariable("TARNIK_SOURCE_DIR") + QStringLiteral("/tests/support/with-keyring.sh");
  for (int status : {0, 3}) {
    const QString command =
        QStringLiteral("'%1' sh -c 'exit %2' 2>/dev/null").arg(wrapper).arg(status);
    const int result = std::system(command.toLocal8Bit().constData());
    ASSERT_TRUE(WIFEXITED(result)) << command.toStdString();
    EXPECT_EQ(WEXITSTATUS(result), status);
  }
}

}  // namespace
}  // namespace tarnik
