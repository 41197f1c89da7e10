#include "app/PatchPartReply.h"

#include "app/ReplyArguments.h"
#include "app/ShowOrderings.h"
#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"

#include <algorithm>
#include <variant>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

constexpr qint64 addressesPerUniverse = 512;

template <class Member>
QString firstNonEmpty(const QList<PatchPart> &rows, Member member) {
  const auto found = std::ranges::find_if(
      rows, [member](const PatchPart &row) { return !(row.*member).isEmpty(); });
  return found == rows.end() ? QString() : (*found).*member;
}

}  // namespace

QString absoluteAddressText(qint64 absoluteAddress) {
  if (absoluteAddress <= 0) return {};
  const qint64 offset = absoluteAddress - 1;
  return QString::number(offset / addressesPerUniverse + 1) + u'/' +
         QString::number(offset % addressesPerUniverse + 1);
}

QString addressTextFromString(const QString &text) {
  const QString trimmed = trimmedText(text);
  if (trimmed.isEmpty() || trimmed.contains(u'/')) return trimmed;
  if (const std::optional<qint64> absolute = parseStrictInteger<qint64>(trimmed))
    return absoluteAddressText(*absolute);
  return trimmed;
}

QString addressFieldText(const QList<OSCArgument> &fields, qsizetype index) {
  if (index < 0 || index >= fields.size()) return {};
  const OSCArgument &field = fields[index];
  if (const qint32 *absolute = std::get_if<qint32>(&field.value))
    return absoluteAddressText(*absolute);
  if (const float *absolute = std::get_if<float>(&field.value)) {
    const std::optional<qint64> truncated = integerTowardZero(*absolute);
    return truncated ? absoluteAddressText(*truncated) : QString();
  }
  if (const QString *text = std::get_if<QString>(&field.value)) return addressTextFromString(*text);
  return {};
}

std::optional<PatchPart> makePatchPart(const QList<OSCArgument> &fields, qint64 channelNumber,
                                       qint64 partNumber) {
  if (fields.size() < patchReplyFieldCount || channelNumber < 1) return std::nullopt;
  PatchPart part;
  part.channelNumber = channelNumber;
  part.partNumber = partNumber;
  part.uid = textArgument(fields[1]);
  part.label = textArgument(fields[2]);
  part.manufacturer = textArgument(fields[3]);
  part.model = textArgument(fields[4]);
  part.startAddress = addressFieldText(fields, 5);
  part.intensityAddress = addressFieldText(fields, 6);
  part.snapshotLevel = std::clamp<qint64>(integerArgument(fields[7]).value_or(0), 0, 100);
  part.partCount = integerArgument(fields[19]);
  part.endAddress = addressFieldText(fields, 20);
  return part;
}

Channel makeChannel(qint64 channelNumber, QList<PatchPart> rows, double now) {
  sortByPartNumber(rows);

  Channel channel;
  channel.number = channelNumber;
  channel.level = rows.isEmpty() ? 0 : rows.first().snapshotLevel;
  channel.label = firstNonEmpty(rows, &PatchPart::label);
  channel.address = firstNonEmpty(rows, &PatchPart::startAddress);
  const auto lastEnd = std::ranges::find_if(
      rows.crbegin(), rows.crend(), [](const PatchPart &row) { return !row.endAddress.isEmpty(); });
  if (lastEnd != rows.crend()) channel.addressEnd = lastEnd->endAddress;

  QStringList typeWords;
  for (const QString &word :
       {firstNonEmpty(rows, &PatchPart::manufacturer), firstNonEmpty(rows, &PatchPart::model)}) {
    if (!word.isEmpty()) typeWords.append(word);
  }
  channel.type = typeWords.join(u' ');

  channel.parts.reserve(rows.size());
  for (const PatchPart &row : rows) {
    channel.parts.append(EosPatchPart{
        .channelNumber = row.channelNumber,
        .partNumber = row.partNumber,
        .label = row.label,
        .manufacturer = row.manufacturer,
        .model = row.model,
        .address = row.startAddress,
        .addressEnd = row.endAddress,
        .partCount = row.partCount,
        .intensityAddress = row.intensityAddress,
        .uid = row.uid,
        .level = row.snapshotLevel,
    });
  }

  channel.sacnPriority = 100;
  channel.interfaceInfo = channel.address.contains(u'/') ? u"sACN"_s : u"DMX"_s;
  channel.output = 0;
  channel.levelSnapshotAt = now;
  return channel;
}

}  // namespace tarnik
