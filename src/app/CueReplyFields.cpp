#include "app/CueReplyFields.h"

#include "app/ReplyArguments.h"
#include "foundation/TextRules.h"

#include <array>
#include <charconv>
#include <cmath>
#include <variant>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

// printf's "%.3g" would follow the process locale, which Qt takes from the desktop, and
// write "1,5" on a German one; the console and every other screen say "1.5".
QString threeSignificantDigits(double value) {
  std::array<char, 32> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::general, 3);
  if (error != std::errc{}) return {};
  return QString::fromLatin1(buffer.data(), end - buffer.data());
}

QString shortestText(float value) {
  std::array<char, 64> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  if (error != std::errc{}) return {};
  return QString::fromLatin1(buffer.data(), end - buffer.data());
}

bool meansNoValue(const QString &text) { return text == "0"_L1 || text == "-1"_L1; }

// A positive float: whole numbers as integers, others through the given writer. A value
// that is not positive, not finite, or too large for a 64-bit integer gives no text.
template <class FractionWriter>
QString positiveFloatText(float value, FractionWriter writeFraction) {
  if (!(value > 0.0f)) return {};
  if (std::trunc(value) != value) return writeFraction(value);
  const std::optional<qint64> whole = integerTowardZero(value);
  return whole ? QString::number(*whole) : QString();
}

// Where the run of ASCII digits that starts at `from` ends: `from` itself when there is none.
qsizetype digitRunEnd(QStringView text, qsizetype from) {
  qsizetype end = from;
  while (end < text.size() && text[end] >= u'0' && text[end] <= u'9') ++end;
  return end;
}

}  // namespace

bool isCueNumber(QStringView text) {
  // Walked by hand: a sync checks thousands of numbers, and a pattern match costs more
  // than building the cue.
  const qsizetype whole = digitRunEnd(text, 0);
  if (whole == 0) return false;
  if (whole == text.size()) return true;
  if (text[whole] != u'.') return false;
  const qsizetype fraction = digitRunEnd(text, whole + 1);
  return fraction > whole + 1 && fraction == text.size();
}

QString cueTimeText(const OSCArgument &argument) {
  if (const qint32 *milliseconds = std::get_if<qint32>(&argument.value)) {
    if (*milliseconds <= 0) return {};
    if (*milliseconds % 1000 == 0) return QString::number(*milliseconds / 1000);
    return threeSignificantDigits(*milliseconds / 1000.0);
  }
  if (const float *seconds = std::get_if<float>(&argument.value))
    return positiveFloatText(*seconds, [](float value) { return threeSignificantDigits(value); });
  if (const QString *text = std::get_if<QString>(&argument.value))
    return meansNoValue(*text) ? QString() : *text;
  return {};
}

QString cueNumberText(const OSCArgument &argument) {
  if (const qint32 *value = std::get_if<qint32>(&argument.value))
    return *value > 0 ? QString::number(*value) : QString();
  if (const float *value = std::get_if<float>(&argument.value))
    return positiveFloatText(*value, shortestText);
  if (const QString *text = std::get_if<QString>(&argument.value))
    return meansNoValue(*text) ? QString() : *text;
  if (const bool *value = std::get_if<bool>(&argument.value)) return *value ? u"On"_s : QString();
  return {};
}

SceneFields sceneFields(const QList<OSCArgument> &fields) {
  SceneFields scene;
  if (fields.size() > 28) scene.label = trimmedText(textArgument(fields[28]));
  if (fields.size() > 29) scene.end = flagArgument(fields[29]);
  return scene;
}

std::optional<Cue> makeCue(const QList<OSCArgument> &fields, const QString &cueNumber) {
  if (fields.size() < cueReplyFieldCount) return std::nullopt;
  if (!isCueNumber(cueNumber)) return std::nullopt;

  Cue cue;
  cue.number = cueNumber;
  cue.label = textArgument(fields[2]);
  cue.upTime = cueTimeText(fields[3]);
  // The console reports -1 when the down time follows the up time.
  cue.downTime = integerArgument(fields[5]) == -1 ? cue.upTime : cueTimeText(fields[5]);
  cue.duration = cue.upTime.isEmpty() ? cue.downTime : cue.upTime;
  cue.focusTime = cueTimeText(fields[7]);
  cue.colorTime = cueTimeText(fields[9]);
  cue.beamTime = cueTimeText(fields[11]);
  cue.preheat = flagArgument(fields[13]) ? u"P"_s : QString();
  cue.curve = cueNumberText(fields[14]);
  cue.rate = cueNumberText(fields[15]);
  cue.mark = textArgument(fields[16]);
  cue.block = textArgument(fields[17]);
  cue.assert = textArgument(fields[18]);
  cue.link = cueNumberText(fields[19]);
  cue.follow = cueTimeText(fields[20]);
  cue.hang = cueTimeText(fields[21]);
  cue.allFade = flagArgument(fields[22]) ? u"AF"_s : QString();
  cue.loop = cueNumberText(fields[23]);
  const SceneFields scene = sceneFields(fields);
  cue.sceneLabel = scene.label;
  cue.sceneEnd = scene.end;
  return cue;
}

}  // namespace tarnik
