#pragma once

#include "model/EosPatchPart.h"
#include "model/PatchFixtureChoice.h"
#include "model/PatchOperation.h"

#include <QString>

#include <optional>
#include <set>

namespace tarnik {

// The patch editor's request, before planning. Not stored.
struct PatchDraft {
  PatchOperation operation = PatchOperation::fixture;
  std::optional<qint64> channelStart{};
  std::optional<qint64> channelThru{};  // channel ranges: last channel, absent means channelStart
  QString label{};                      // copied to every planned part
  std::optional<PatchFixtureChoice> fixture{};
  std::optional<qint64> universe{};
  std::optional<qint64> addressStart{};
  std::optional<qint64> addressThru{};  // dimmer ranges: last address, absent means addressStart
  std::set<EosPatchPart::ID> partsToReplace{};  // existing parts the user agreed to replace

  friend bool operator==(const PatchDraft &, const PatchDraft &);
};

size_t qHash(const PatchDraft &draft, size_t seed = 0);

}  // namespace tarnik
