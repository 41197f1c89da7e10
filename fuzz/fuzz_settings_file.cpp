// Feeds arbitrary bytes as a settings file. Whatever is read must be written and read again
// to the same keys and, for the kinds the program stores (texts, lists of texts, byte
// arrays), the same values. A record laid over whatever a key holds, as a saved connection
// is, must leave a list that holds it, with a value that was no list of records kept aside
// under a key that held nothing else.
#include "app/SettingsChanges.h"
#include "app/SettingsFileText.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tarnik;

namespace {

// A text a settings object writes and reads back as it was: a lone surrogate has no UTF-8
// form, and a byte order mark where the reader's decoding of a value starts is passed over.
bool comesBack(QStringView text) { return text.isValidUtf16() && !text.contains(QChar(0xFEFF)); }

// A value the program could have stored and expects back as it was: texts and bytes.
bool isStoredKind(const QVariant &value) {
  switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::QByteArray:
      return true;
    case QMetaType::QString:
      return comesBack(value.toString());
    case QMetaType::QStringList:
      return std::ranges::all_of(value.toStringList(), comesBack);
    default:
      return false;
  }
}

void layRecordOver(const SettingsValues &read, const QString &key) {
  const QString aside = key + QStringLiteral(".aside");
  const QJsonObject record{{QStringLiteral("id"), QStringLiteral("X")}};
  SettingsValues values = read;
  const std::optional<SettingsListSetAside> setAside =
      layOver(values, {}, key,
              {.replacesValue = false,
               .list = {.asideKey = aside},
               .records = {{.id = QStringLiteral("x"), .value = record}}});
  const QJsonDocument list = QJsonDocument::fromJson(values.value(key).toByteArray());
  if (!list.isArray() || !list.array().contains(record)) std::abort();
  // What was set aside is the value as read, and no other key lost what it held.
  if (setAside && !sameSettingsValue(values.value(setAside->asideKey), read.value(key))) {
    std::abort();
  }
  for (auto held = read.cbegin(); held != read.cend(); ++held) {
    if (held.key() != key && !sameSettingsValue(values.value(held.key()), *held)) std::abort();
  }
}

bool sameValue(const QVariant &read, const QVariant &again) {
  switch (read.typeId()) {
    case QMetaType::UnknownType:
      return !again.isValid();
    case QMetaType::QByteArray:
      return again.typeId() == QMetaType::QByteArray && again.toByteArray() == read.toByteArray();
    case QMetaType::QStringList:
      return again.toStringList() == read.toStringList();
    default:
      return again.typeId() == QMetaType::QString && again.toString() == read.toString();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const SettingsValues read =
      settingsFromFileContent(QByteArrayView(reinterpret_cast<const char *>(data), size));
  const SettingsValues again = settingsFromFileContent(settingsFileContent(read));
  // A key a settings object would not take as it stands may be written as another, and so
  // is a group named "general" in another case: it writes "[%General]" for each.
  for (const QString &key : read.keys()) {
    if (key.isEmpty() || key != normalizedSettingsKey(key)) return 0;
    const QStringView group = QStringView(key).first(std::max<qsizetype>(key.indexOf(u'/'), 0));
    if (group.compare(u"general", Qt::CaseInsensitive) == 0 && group != u"General") return 0;
  }
  if (again.keys() != read.keys()) std::abort();
  for (auto value = read.cbegin(); value != read.cend(); ++value) {
    if (isStoredKind(*value) && !sameValue(*value, again.value(value.key()))) std::abort();
  }
  if (!read.isEmpty()) layRecordOver(read, read.firstKey());
  return 0;
}
