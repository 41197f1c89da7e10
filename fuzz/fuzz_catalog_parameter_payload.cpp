// Feeds arbitrary bytes to the parameter catalog's payload parser and asks whatever parses
// for slot maps. The console texts to ask with are taken from length-prefixed texts in the
// input itself, where a real catalog keeps its aliases, so mutations of real catalogs reach
// the flattening of compound profiles, hostile nesting included; the slots of each mapping
// are then asked for in patched ranges up to the 64-bit limit.
#include "model/catalog/FixtureParameterCatalogDatabase.h"

#include <QByteArray>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>

using namespace tarnik;

namespace {

QStringList lengthPrefixedTexts(const QByteArray &bytes) {
  QStringList texts;
  for (qsizetype at = 0; at + 2 < bytes.size() && texts.size() < 64; ++at) {
    const quint16 length = qFromLittleEndian<quint16>(bytes.constData() + at);
    if (length == 0 || length > 64 || at + 2 + length > bytes.size()) continue;
    const QByteArray text = bytes.mid(at + 2, length);
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; })) {
      texts.append(QString::fromLatin1(text));
      at += 1 + length;
    }
  }
  return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  const auto database = FixtureParameterCatalogDatabase::parse(bytes);
  if (!database) {
    if (database.error().description().isEmpty()) std::abort();
    return 0;
  }
  // Patched ranges to turn offsets into slots with: the usual one, the top of the 64-bit
  // range, and whatever the input's last 16 bytes say.
  constexpr qint64 top = std::numeric_limits<qint64>::max();
  QList<std::pair<qint64, qint64>> bounds{{1, 512}, {top - 1, top}, {top, top}};
  if (bytes.size() >= 16) {
    bounds.append({qFromLittleEndian<qint64>(bytes.constData() + bytes.size() - 16),
                   qFromLittleEndian<qint64>(bytes.constData() + bytes.size() - 8)});
  }
  const std::optional<QString> version = database->metadata().libraryVersion;
  const QStringList texts = lengthPrefixedTexts(bytes);
  for (qsizetype i = 0; i + 1 < texts.size(); ++i) {
    const auto map = database->slotMap(version, texts[i], texts[i + 1]);
    if (!map) continue;
    for (const FixtureParameterSlotMapping &mapping : map->mappings) {
      for (const int offset : mapping.relativeOffsets) {
        if (offset < 1 || (map->totalFootprint && offset > *map->totalFootprint)) std::abort();
      }
      for (const auto &[start, end] : bounds) {
        const auto absolute = map->absoluteSlots(mapping.parameter.name, start, end);
        if (!absolute) continue;
        for (const qint64 slot : *absolute) {
          if (slot < start || slot > end) std::abort();
        }
      }
    }
  }
  return 0;
}
