#include "support/EosConsoleShow.h"

#include "foundation/NumberRules.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <random>

namespace tarnik::testing {

namespace {

constexpr int universeSize = 512;
constexpr int highestUniverse = 63999;
constexpr int highestChannel = 999999;

OSCArgument text(const QString &value) { return OSCArgument::fromString(value); }
OSCArgument integer(qint32 value) { return OSCArgument::fromInt(value); }

bool isChannel(int number) { return number >= 1 && number <= highestChannel; }

// A cue number's place in index order: its decimal value, read in the C locale.
double cueOrder(const QString &number) { return parseDecimal(number).value_or(0); }

}  // namespace

QString ConsolePatchPart::text(Field field) const {
  const auto *value = std::get_if<QString>(&fields[field].value);
  return value ? *value : QString();
}

void ConsolePatchPart::setText(Field field, const QString &value) {
  fields[field] = OSCArgument::fromString(value);
}

ConsolePatchPart ConsolePatchPart::dimmer(int channel, int part, int absoluteAddress,
                                          int footprint) {
  ConsolePatchPart dimmer{.channel = channel, .part = part};
  const bool addressed = absoluteAddress > 0;
  dimmer.setText(uid, QStringLiteral("%1.%2").arg(channel).arg(part));
  dimmer.setText(label, QString());
  dimmer.setText(manufacturer, QStringLiteral("Generic"));
  dimmer.setText(model, QStringLiteral("Dimmer"));
  dimmer.setText(startAddress, addressed ? consoleAddressText(absoluteAddress) : QString());
  dimmer.setText(intensityAddress, dimmer.text(startAddress));
  dimmer.setText(endAddress,
                 addressed ? consoleAddressText(absoluteAddress + footprint - 1) : QString());
  return dimmer;
}

QString consoleAddressText(int absoluteAddress) {
  return QStringLiteral("%1/%2")
      .arg((absoluteAddress - 1) / universeSize + 1)
      .arg((absoluteAddress - 1) % universeSize + 1);
}

std::optional<int> consoleAbsoluteAddress(const QString &value) {
  const QStringList pieces = value.split(u'/');
  if (pieces.size() != 2) return std::nullopt;
  const auto universe = parseStrictInteger<int>(pieces[0].trimmed());
  const auto address = parseStrictInteger<int>(pieces[1].trimmed());
  if (!universe || !address || *universe < 1 || *universe > highestUniverse || *address < 1 ||
      *address > universeSize) {
    return std::nullopt;
  }
  return (*universe - 1) * universeSize + *address;
}

QList<ConsolePatchPart> ConsoleShow::channelParts(int channel) const {
  QList<ConsolePatchPart> parts;
  auto it = std::lower_bound(patch.begin(), patch.end(), channel,
                             [](const ConsolePatchPart &p, int c) { return p.channel < c; });
  for (; it != patch.end() && it->channel == channel; ++it) parts.append(*it);
  return parts;
}

ConsolePatchPart *ConsoleShow::patchPart(int channel, int part) {
  const auto it = std::lower_bound(patch.begin(), patch.end(), std::pair(channel, part),
                                   [](const ConsolePatchPart &p, std::pair<int, int> key) {
                                     return std::pair(p.channel, p.part) < key;
                                   });
  return it != patch.end() && it->channel == channel && it->part == part ? &*it : nullptr;
}

void ConsoleShow::setPatchPart(ConsolePatchPart part) {
  if (ConsolePatchPart *existing = patchPart(part.channel, part.part)) {
    *existing = std::move(part);
    return;
  }
  const auto it = std::upper_bound(
      patch.begin(), patch.end(), part, [](const ConsolePatchPart &a, const ConsolePatchPart &b) {
        return std::pair(a.channel, a.part) < std::pair(b.channel, b.part);
      });
  patch.insert(it, std::move(part));
}

void ConsoleShow::removeChannel(int channel) {
  patch.removeIf([channel](const ConsolePatchPart &p) { return p.channel == channel; });
}

void ConsoleShow::setCue(int list, ConsoleCue cue) {
  QList<ConsoleCue> &cues = cueLists[list];
  for (ConsoleCue &existing : cues) {
    if (existing.number == cue.number) {
      existing = std::move(cue);
      return;
    }
  }
  const double order = cueOrder(cue.number);
  const auto it = std::upper_bound(cues.begin(), cues.end(), order,
                                   [](double o, const auto &c) { return o < cueOrder(c.number); });
  cues.insert(it, std::move(cue));
}

bool ConsoleShow::removeCue(int list, const QString &number) {
  const auto found = cueLists.find(list);
  if (found == cueLists.end()) return false;
  return found->second.removeIf([&](const ConsoleCue &c) { return c.number == number; }) > 0;
}

QList<OSCMessage> slicedRecord(const QString &addressPrefix, QList<OSCArgument> fields,
                               qint32 index, const RecordSlicing &slicing, quint32 recordSeed,
                               qsizetype totalCount) {
  if (fields.isEmpty()) return {};
  fields[0] = integer(index);
  const qsizetype count = fields.size();
  const qsizetype runs = std::clamp<qsizetype>(slicing.slices, 1, count);
  QList<OSCMessage> messages;
  messages.reserve(runs);
  for (qsizetype run = 0; run < runs; ++run) {
    const qsizetype end = (run + 1) * count / runs;
    const qsizetype start = std::max<qsizetype>(0, run * count / runs - slicing.overlap);
    messages.append({addressPrefix + QString::number(start) + u'/' + QString::number(totalCount),
                     fields.sliced(start, end - start)});
  }
  if (slicing.shuffled) {
    std::mt19937 random(slicing.seed * 2654435761u + recordSeed);
    std::shuffle(messages.begin(), messages.end(), random);
  }
  return messages;
}

namespace {

// The channels whose parts changed get their part count field renewed.
void renewPartCounts(ConsoleShow &show, int channel) {
  const auto parts = show.channelParts(channel);
  for (const ConsolePatchPart &part : parts) {
    show.patchPart(channel, part.part)->fields[ConsolePatchPart::partCount] =
        integer(qint32(parts.size()));
  }
}

int footprintOf(const ConsolePatchPart &part, const QHash<QString, int> &footprints) {
  return std::max(1, footprints.value(part.text(ConsolePatchPart::model), 1));
}

// Puts one part at an absolute address, keeping its type, or makes a dimmer part there.
void addressPart(ConsoleShow &show, int channel, int partNumber, int address,
                 const QHash<QString, int> &footprints) {
  ConsolePatchPart part = show.patchPart(channel, partNumber)
                              ? *show.patchPart(channel, partNumber)
                              : ConsolePatchPart::dimmer(channel, partNumber, 0);
  const int footprint = footprintOf(part, footprints);
  part.setText(ConsolePatchPart::startAddress, consoleAddressText(address));
  part.setText(ConsolePatchPart::intensityAddress, consoleAddressText(address));
  part.setText(ConsolePatchPart::endAddress, consoleAddressText(address + footprint - 1));
  show.setPatchPart(std::move(part));
}

std::optional<int> number(const QString &digits) { return parseStrictInteger<int>(digits); }

std::optional<int> address(const QString &universe, const QString &address) {
  return consoleAbsoluteAddress(universe + u'/' + address);
}

}  // namespace

std::optional<QList<int>> applyPatchLine(ConsoleShow &show, const QString &line,
                                         const QHash<QString, int> &footprints) {
  static const QRegularExpression single(
      QRegularExpression::anchoredPattern(R"((\d+) At (\d+) / (\d+) Enter)"));
  static const QRegularExpression range(
      QRegularExpression::anchoredPattern(R"((\d+) Thru (\d+) At (\d+) / (\d+) Enter)"));
  static const QRegularExpression dimmer(
      QRegularExpression::anchoredPattern(R"((\d+) At (\d+) / (\d+) Thru (\d+) / (\d+) Enter)"));
  static const QRegularExpression part(
      QRegularExpression::anchoredPattern(R"((\d+) Part (\d+) At (\d+) / (\d+) Enter)"));
  static const QRegularExpression type(
      QRegularExpression::anchoredPattern(R"((\d+) Type (\S+) (\S+) Enter)"));

  if (const auto m = single.match(line); m.hasMatch()) {
    const auto channel = number(m.captured(1));
    const auto at = address(m.captured(2), m.captured(3));
    if (!channel || !isChannel(*channel) || !at) return std::nullopt;
    addressPart(show, *channel, 1, *at, footprints);
    renewPartCounts(show, *channel);
    return QList<int>{*channel};
  }
  if (const auto m = range.match(line); m.hasMatch()) {
    const auto first = number(m.captured(1));
    const auto last = number(m.captured(2));
    const auto at = address(m.captured(3), m.captured(4));
    if (!first || !last || !isChannel(*first) || !isChannel(*last) || *last < *first || !at)
      return std::nullopt;
    QList<int> channels;
    int next = *at;
    for (int channel = *first; channel <= *last; ++channel) {
      addressPart(show, channel, 1, next, footprints);
      next += footprintOf(*show.patchPart(channel, 1), footprints);
      renewPartCounts(show, channel);
      channels.append(channel);
    }
    return channels;
  }
  if (const auto m = dimmer.match(line); m.hasMatch()) {
    const auto channel = number(m.captured(1));
    const auto from = address(m.captured(2), m.captured(3));
    const auto to = address(m.captured(4), m.captured(5));
    if (!channel || !isChannel(*channel) || !from || !to || *to < *from) return std::nullopt;
    show.removeChannel(*channel);
    for (int at = *from; at <= *to; ++at) {
      show.setPatchPart(ConsolePatchPart::dimmer(*channel, at - *from + 1, at));
    }
    renewPartCounts(show, *channel);
    return QList<int>{*channel};
  }
  if (const auto m = part.match(line); m.hasMatch()) {
    const auto channel = number(m.captured(1));
    const auto partNumber = number(m.captured(2));
    const auto at = address(m.captured(3), m.captured(4));
    if (!channel || !isChannel(*channel) || !partNumber || *partNumber < 1 || !at)
      return std::nullopt;
    addressPart(show, *channel, *partNumber, *at, footprints);
    renewPartCounts(show, *channel);
    return QList<int>{*channel};
  }
  if (const auto m = type.match(line); m.hasMatch()) {
    const auto channel = number(m.captured(1));
    if (!channel || !isChannel(*channel)) return std::nullopt;
    ConsolePatchPart typed = show.patchPart(*channel, 1) ? *show.patchPart(*channel, 1)
                                                         : ConsolePatchPart::dimmer(*channel, 1, 0);
    typed.setText(ConsolePatchPart::manufacturer, m.captured(2).replace(u'_', u' '));
    typed.setText(ConsolePatchPart::model, m.captured(3).replace(u'_', u' '));
    if (const auto start = consoleAbsoluteAddress(typed.text(ConsolePatchPart::startAddress))) {
      typed.setText(ConsolePatchPart::endAddress,
                    consoleAddressText(*start + footprintOf(typed, footprints) - 1));
    }
    show.setPatchPart(std::move(typed));
    renewPartCounts(show, *channel);
    return QList<int>{*channel};
  }
  return std::nullopt;
}

namespace {

// Draws the varied field values of a generated show.
class ShowRandom {
 public:
  explicit ShowRandom(quint32 seed) : random_(seed) {}

  int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }

  QString label(const char *kind, int index) {
    static const std::array<QString, 5> texts{
        QString::fromUtf8("Opening \"Sunrise\" "), QString::fromUtf8("Szene Ä – Übergang "),
        QString::fromUtf8("Solo 🎤 spot "), QString::fromUtf8("Façade wash "),
        QStringLiteral("Plain ")};
    return texts[below(5)] + QLatin1String(kind) + u' ' + QString::number(index);
  }

  QString pick(std::initializer_list<const char *> texts) {
    return QString::fromLatin1(texts.begin()[below(int(texts.size()))]);
  }

  OSCArgument time() {
    switch (below(6)) {
      case 0:
        return integer(1000 * (1 + below(10)));  // whole seconds
      case 1:
        return integer(100 + below(30000));  // fractional seconds
      case 2:
        return OSCArgument::fromFloat(float(below(40)) / 4);
      case 3:
        return text(pick({"0", "-1", "3", "1:30"}));
      case 4:
        return integer(0);
      default:
        return integer(-1);
    }
  }

  OSCArgument flag() {
    switch (below(6)) {
      case 0:
        return integer(below(2));
      case 1:
        return OSCArgument::fromFloat(float(below(2)));
      case 2:
        return text(pick({"1", "true", "YES", "0", "no", "false"}));
      case 3:
        return OSCArgument::fromBool(below(2) == 1);
      case 4:
        return OSCArgument::fromBlob(QByteArray(1, char(below(2))));
      default:
        return OSCArgument::fromFloat(-0.0f);
    }
  }

  OSCArgument numberField() {
    switch (below(5)) {
      case 0:
        return integer(below(120) - 10);
      case 1:
        return OSCArgument::fromFloat(float(below(20)) / 2);
      case 2:
        return text(pick({"0", "-1", "5", "12.5"}));
      case 3:
        return OSCArgument::fromBool(below(2) == 1);
      default:
        return integer(0);
    }
  }

  OSCArgument address(int absolute) {
    switch (below(3)) {
      case 0:
        return integer(absolute);
      case 1:
        return text(consoleAddressText(absolute));
      default:
        return text(QStringLiteral(" %1 ").arg(absolute));
    }
  }

  OSCArgument filler() {
    switch (below(3)) {
      case 0:
        return integer(below(1000));
      case 1:
        return OSCArgument::fromFloat(float(below(1000)) / 8);
      default:
        return text(u'x' + QString::number(below(1000)));
    }
  }

 private:
  std::mt19937 random_;
};

ConsoleCue generatedCue(ShowRandom &random, int index) {
  // Whole numbers with a decimal cue after each: 1, 1.x, 2, 2.x, ...
  const int whole = index / 2 + 1;
  ConsoleCue cue{.number = index % 2 == 0
                               ? QString::number(whole)
                               : QStringLiteral("%1.%2").arg(whole).arg(1 + random.below(9)),
                 .fields = {}};
  const bool sceneBreak = random.below(8) == 0;
  QList<OSCArgument> &f = cue.fields;
  f.reserve(ConsoleCue::fieldCount);
  f.append(integer(0));
  for (int field = 1; field < ConsoleCue::fieldCount; ++field) {
    switch (field) {
      case 2:
        f.append(random.below(10) == 0 ? integer(7) : text(random.label("cue", index)));
        break;
      case 3:
      case 5:
      case 7:
      case 9:
      case 11:
      case 20:
      case 21:
        f.append(random.time());
        break;
      case 13:
      case 22:
        f.append(random.flag());
        break;
      case 14:
      case 15:
      case 19:
      case 23:
        f.append(random.numberField());
        break;
      case 16:
      case 17:
      case 18:
        f.append(text(random.below(2) ? QStringLiteral("M") : QString()));
        break;
      case 28:
        f.append(text(sceneBreak ? QStringLiteral("  ") + random.label("scene", index) + u'\n'
                                 : QString()));
        break;
      case 29:
        f.append(sceneBreak ? random.flag() : OSCArgument::fromBool(false));
        break;
      default:
        f.append(random.filler());
    }
  }
  return cue;
}

}  // namespace

ConsoleShow generateConsoleShow(int cueCount, int patchPartCount, quint32 seed) {
  ShowRandom random(seed);
  ConsoleShow show;
  show.path = QStringLiteral("/shows/generated-%1.esf").arg(seed);
  show.name = QStringLiteral("Generated %1").arg(seed);
  QList<ConsoleCue> &cues = show.cueLists[1];
  cues.reserve(cueCount);
  for (int index = 0; index < cueCount; ++index) cues.append(generatedCue(random, index));

  static const std::array<std::pair<const char *, const char *>, 4> types{
      {{"Generic", "Dimmer"}, {"Acme Stage", "Beam 300 Mode 2"}, {"Lumen", "Wash RGBW"}, {"", ""}}};
  show.patch.reserve(patchPartCount);
  int channel = 0;
  int nextAddress = 1;
  while (show.patch.size() < patchPartCount) {
    channel += 1 + random.below(3);
    const int parts = std::min<int>(1 + random.below(3), patchPartCount - show.patch.size());
    const auto &[maker, model] = types[random.below(int(types.size()))];
    for (int partNumber = 1; partNumber <= parts; ++partNumber) {
      const int footprint = 1 + random.below(24);
      ConsolePatchPart part{.channel = channel, .part = partNumber, .fields = {}};
      QList<OSCArgument> &f = part.fields;
      f.reserve(ConsolePatchPart::fieldCount);
      f.append(integer(0));
      for (int field = 1; field < ConsolePatchPart::fieldCount; ++field) {
        switch (field) {
          case ConsolePatchPart::uid:
            f.append(text(QStringLiteral("%1.%2.%3").arg(seed).arg(channel).arg(partNumber)));
            break;
          case ConsolePatchPart::label:
            f.append(text(random.below(4) == 0 ? QString() : random.label("ch", channel)));
            break;
          case ConsolePatchPart::manufacturer:
            f.append(text(QString::fromUtf8(maker)));
            break;
          case ConsolePatchPart::model:
            f.append(text(QString::fromUtf8(model)));
            break;
          case ConsolePatchPart::startAddress:
          case ConsolePatchPart::intensityAddress:
            f.append(random.address(nextAddress));
            break;
          case ConsolePatchPart::level:
            f.append(integer(std::array{0, 55, 100, 140, -5}[random.below(5)]));
            break;
          case ConsolePatchPart::partCount:
            f.append(integer(parts));
            break;
          case ConsolePatchPart::endAddress:
            f.append(random.address(nextAddress + footprint - 1));
            break;
          default:
            f.append(random.filler());
        }
      }
      show.patch.append(std::move(part));
      nextAddress += footprint;
    }
  }
  return show;
}

}  // namespace tarnik::testing
