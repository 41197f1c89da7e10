#include "foundation/TextRules.h"
#include "operations/EosPatchCommands.h"

#include <algorithm>
#include <set>

namespace tarnik::EosPatchCommands {

namespace {

QString partText(const EosPatchPart::ID &id) {
  return QStringLiteral("Channel ") + QString::number(id.channelNumber) +
         QStringLiteral(", part ") + QString::number(id.partNumber);
}

QString channelText(qint64 channel) {
  return QStringLiteral("Channel ") + QString::number(channel);
}

bool overlaps(const EosDMXRange &lhs, const EosDMXRange &rhs) {
  return lhs.universe == rhs.universe && lhs.end >= rhs.start && rhs.end >= lhs.start;
}

// Level moves with the show; every other field of a part the write did not target must stay.
QList<EosPatchPart> normalisedForComparison(QList<EosPatchPart> parts) {
  for (EosPatchPart &part : parts) part.level = 0;
  std::stable_sort(
      parts.begin(), parts.end(),
      [](const EosPatchPart &lhs, const EosPatchPart &rhs) { return lhs.id() < rhs.id(); });
  return parts;
}

// The console shows a fixture type's underscores as blanks.
QString asConsoleShowsIt(QString text) { return text.replace(QLatin1Char('_'), QLatin1Char(' ')); }

std::optional<QString> plannedPartMismatch(const PatchPlannedPart &planned,
                                           const QList<EosPatchPart> &observed) {
  const auto found =
      std::find_if(observed.cbegin(), observed.cend(),
                   [&](const EosPatchPart &part) { return part.id() == planned.id(); });
  if (found == observed.cend()) {
    return QStringLiteral("Eos did not return channel ") + QString::number(planned.channelNumber) +
           QStringLiteral(", part ") + QString::number(planned.partNumber) + QStringLiteral(".");
  }
  const std::optional<EosDMXRange> range = found->occupiedRange();
  if (!range || *range != planned.occupiedRange) {
    return partText(planned.id()) + QStringLiteral(" has a different address range on Eos.");
  }
  if (!canonicallyEqual(found->label, planned.label)) {
    return partText(planned.id()) + QStringLiteral(" has a different label on Eos.");
  }
  if (!planned.fixture || !planned.fixture->nativeTypeName) {
    if (isGenericDimmer(*found)) return std::nullopt;
    return channelText(planned.channelNumber) +
           QStringLiteral(" is not the requested Generic Dimmer on Eos.");
  }
  if (canonicallyEqual(asConsoleShowsIt(planned.fixture->manufacturer), found->manufacturer) &&
      canonicallyEqual(asConsoleShowsIt(*planned.fixture->nativeTypeName), found->model)) {
    return std::nullopt;
  }
  return channelText(planned.channelNumber) +
         QStringLiteral(" returned a different manufacturer or fixture mode on Eos.");
}

}  // namespace

std::optional<QString> verify(const QList<PatchPlannedPart> &plannedParts,
                              const QList<Channel> &channels,
                              const std::optional<QList<EosPatchPart>> &untouchedPartsBefore) {
  std::set<qint64> requestedChannels;
  std::set<EosPatchPart::ID> requestedIds;
  for (const PatchPlannedPart &part : plannedParts) {
    requestedChannels.insert(part.channelNumber);
    requestedIds.insert(part.id());
  }

  QList<EosPatchPart> untouched;
  QList<EosPatchPart> observed;
  for (const Channel &channel : channels) {
    for (const EosPatchPart &part : channel.parts) {
      if (!requestedIds.contains(part.id())) untouched.append(part);
      if (requestedChannels.contains(channel.number)) observed.append(part);
    }
  }

  for (const EosPatchPart &part : untouched) {
    if (trimmedText(part.address).isEmpty() && trimmedText(part.addressEnd).isEmpty()) continue;
    const std::optional<EosDMXRange> range = part.occupiedRange();
    if (!range) return partText(part.id()) + QStringLiteral(" has an unknown occupied range.");
    for (const PatchPlannedPart &planned : plannedParts) {
      if (overlaps(*range, planned.occupiedRange)) {
        return partText(part.id()) + QStringLiteral(" conflicts with the requested DMX addresses.");
      }
    }
  }

  if (untouchedPartsBefore &&
      normalisedForComparison(*untouchedPartsBefore) != normalisedForComparison(untouched)) {
    return QStringLiteral(
        "Other patch parts changed during this operation. Sync and inspect them before "
        "continuing.");
  }

  if (observed.size() != plannedParts.size()) {
    return QStringLiteral("Eos returned ") + QString::number(observed.size()) +
           QStringLiteral(" parts; ") + QString::number(plannedParts.size()) +
           QStringLiteral(" were requested.");
  }
  for (const PatchPlannedPart &planned : plannedParts) {
    if (std::optional<QString> mismatch = plannedPartMismatch(planned, observed)) return mismatch;
  }
  return std::nullopt;
}

}  // namespace tarnik::EosPatchCommands
