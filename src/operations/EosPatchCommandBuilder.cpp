#include "foundation/TextRules.h"
#include "foundation/UuidText.h"
#include "operations/EosPatchCommands.h"

#include <QMap>
#include <QRegularExpression>

#include <set>

namespace tarnik::EosPatchCommands {

namespace {

constexpr qsizetype maximumLabelCharacters = 256;
constexpr qsizetype maximumTokenBytes = 512;

const QString libraryMismatchText =
    QStringLiteral("Choose a fixture from the library matching this Eos console.");
const QString dimmerReaddressText = QStringLiteral(
    "An existing dimmer patch can be readdressed with the same part count. Changing its type or "
    "number of parts needs Eos.");

QString number(qint64 value) { return QString::number(value); }

QString addressPiece(const EosDMXRange &range) {
  return number(range.universe) + QStringLiteral(" / ") + number(range.start);
}

QString newAddressLine(qint64 channel, const EosDMXRange &range) {
  return number(channel) + QStringLiteral(" At ") + addressPiece(range) + QStringLiteral(" Enter");
}

QString partAddressLine(const PatchPlannedPart &part) {
  return number(part.channelNumber) + QStringLiteral(" Part ") + number(part.partNumber) +
         QStringLiteral(" At ") + addressPiece(part.occupiedRange) + QStringLiteral(" Enter");
}

using PartsByChannel = QMap<qint64, QList<EosPatchPart>>;

std::expected<QStringList, Rejection> dimmerRangeCommands(const PatchPlan &plan,
                                                          const PartsByChannel &existing) {
  const PatchPlannedPart &first = plan.parts.first();
  const PatchPlannedPart &last = plan.parts.last();
  const qint64 channel = first.channelNumber;
  const QList<EosPatchPart> onChannel = existing.value(channel);
  if (onChannel.isEmpty()) {
    if (last.occupiedRange.start == first.occupiedRange.start) {
      return QStringList{newAddressLine(channel, first.occupiedRange)};
    }
    return QStringList{number(channel) + QStringLiteral(" At ") +
                       addressPiece(first.occupiedRange) + QStringLiteral(" Thru ") +
                       addressPiece(last.occupiedRange) + QStringLiteral(" Enter")};
  }
  std::set<EosPatchPart::ID> existingIds;
  for (const EosPatchPart &part : onChannel) {
    if (!isGenericDimmer(part)) return std::unexpected(Rejection{dimmerReaddressText});
    existingIds.insert(part.id());
  }
  std::set<EosPatchPart::ID> plannedIds;
  for (const PatchPlannedPart &part : plan.parts) plannedIds.insert(part.id());
  if (onChannel.size() != plan.parts.size() || existingIds != plannedIds) {
    return std::unexpected(Rejection{dimmerReaddressText});
  }
  QStringList lines;
  for (const PatchPlannedPart &part : plan.parts) lines.append(partAddressLine(part));
  return lines;
}

std::expected<QStringList, Rejection> channelRangeCommands(const PatchPlan &plan,
                                                           const PartsByChannel &existing) {
  const PatchPlannedPart &first = plan.parts.first();
  const PatchPlannedPart &last = plan.parts.last();
  const bool anyExisting = std::any_of(
      plan.parts.cbegin(), plan.parts.cend(),
      [&](const PatchPlannedPart &part) { return existing.contains(part.channelNumber); });
  if (!anyExisting) {
    if (first.channelNumber == last.channelNumber) {
      return QStringList{newAddressLine(first.channelNumber, first.occupiedRange)};
    }
    return QStringList{number(first.channelNumber) + QStringLiteral(" Thru ") +
                       number(last.channelNumber) + QStringLiteral(" At ") +
                       addressPiece(first.occupiedRange) + QStringLiteral(" Enter")};
  }
  for (const PatchPlannedPart &part : plan.parts) {
    const auto found = existing.constFind(part.channelNumber);
    if (found == existing.cend()) continue;
    const QList<EosPatchPart> &parts = *found;
    if (parts.size() != 1 || parts.first().partNumber != 1 || !isGenericDimmer(parts.first())) {
      return std::unexpected(Rejection{
          QStringLiteral("Channel ") + number(part.channelNumber) +
          QStringLiteral(" is not a single-part dimmer. Use the Fixture operation to change its "
                         "type.")});
    }
  }
  QStringList lines;
  for (const PatchPlannedPart &part : plan.parts) {
    lines.append(existing.contains(part.channelNumber)
                     ? partAddressLine(part)
                     : newAddressLine(part.channelNumber, part.occupiedRange));
  }
  return lines;
}

std::expected<QStringList, Rejection> fixtureCommands(
    const PatchDraft &draft, const PatchPlan &plan, const PartsByChannel &existing,
    const std::optional<QString> &fixtureLibraryVersion) {
  const std::optional<PatchFixtureChoice> &choice = draft.fixture;
  if (!choice || !fixtureLibraryVersion || choice->version != *fixtureLibraryVersion ||
      !choice->nativeTypeName || !isCommandToken(choice->manufacturer) ||
      !isCommandToken(*choice->nativeTypeName) || !parseUuidText(choice->id)) {
    return std::unexpected(Rejection{libraryMismatchText});
  }
  if (choice->cellCount != 0) {
    return std::unexpected(Rejection{QStringLiteral(
        "Multicell modes can be inspected here; authoring their child channels still needs "
        "Eos.")});
  }
  const PatchPlannedPart &part = plan.parts.first();
  const QList<EosPatchPart> onChannel = existing.value(part.channelNumber);
  if (onChannel.size() > 1) {
    return std::unexpected(Rejection{QStringLiteral(
        "Changing a multipart fixture type is not supported. Edit its individual parts on "
        "Eos.")});
  }
  if (onChannel.size() == 1 && onChannel.first().partNumber != 1) {
    return std::unexpected(Rejection{QStringLiteral(
        "This fixture uses a nonstandard part number. Edit it on Eos to preserve its parts.")});
  }
  return QStringList{number(part.channelNumber) + QStringLiteral(" Type ") + choice->manufacturer +
                         QStringLiteral(" ") + *choice->nativeTypeName + QStringLiteral(" Enter"),
                     partAddressLine(part)};
}

}  // namespace

bool isCommandToken(const QString &text) {
  // Anchored: a plain "^...$" also matches before a final line break, which would let the
  // break reach the console's command line.
  static const QRegularExpression pattern(
      QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_().,+/&%'-]+")));
  return !text.isEmpty() && text.toUtf8().size() <= maximumTokenBytes &&
         pattern.match(text).hasMatch();
}

std::expected<QStringList, Rejection> makeCommands(
    const PatchDraft &draft, const PatchPlan &plan, const QList<EosPatchPart> &existingParts,
    const std::optional<QString> &fixtureLibraryVersion) {
  if (!plan.issues.isEmpty()) return std::unexpected(Rejection{plan.issues.first().message()});
  if (plan.parts.isEmpty()) {
    return std::unexpected(Rejection{QStringLiteral("Review the patch fields.")});
  }
  if (characterCount(draft.label) > maximumLabelCharacters ||
      containsControlCharacter(draft.label)) {
    return std::unexpected(Rejection{QStringLiteral(
        "Labels must be at most 256 characters and contain no control characters.")});
  }
  PartsByChannel existing;
  for (const EosPatchPart &part : existingParts) existing[part.channelNumber].append(part);

  switch (draft.operation) {
    case PatchOperation::dimmerAddressRange:
      return dimmerRangeCommands(plan, existing);
    case PatchOperation::channelRange:
      return channelRangeCommands(plan, existing);
    case PatchOperation::fixture:
      return fixtureCommands(draft, plan, existing, fixtureLibraryVersion);
  }
  return std::unexpected(Rejection{QStringLiteral("Review the patch fields.")});
}

bool isGenericDimmer(const EosPatchPart &part) {
  return part.manufacturer.compare(u"Generic", Qt::CaseInsensitive) == 0 &&
         part.model.compare(u"Dimmer", Qt::CaseInsensitive) == 0;
}

}  // namespace tarnik::EosPatchCommands
