// The double's show: counts, records in slices, changes and show events.

#include "foundation/NumberRules.h"
#include "support/EosConsoleDouble.h"

#include <QtEndian>

#include <bit>

namespace tarnik::testing {

namespace {

OSCArgument integer(qint32 value) { return OSCArgument::fromInt(value); }

// A list index or number as written in a request: digits without sign or leading zero.
std::optional<int> canonicalNumber(const QString &digits) {
  const auto number = parseStrictInteger<int>(digits);
  if (!number || *number < 0 || QString::number(*number) != digits) return std::nullopt;
  return number;
}

QString cuePrefix(int list, const QString &number) {
  return QStringLiteral("/eos/out/get/cue/%1/%2/0/list/").arg(list).arg(number);
}

QString patchPrefix(int channel, int part) {
  return QStringLiteral("/eos/out/get/patch/%1/%2/list/").arg(channel).arg(part);
}

QList<QByteArray> packetsOf(const QList<OSCMessage> &messages) {
  QList<QByteArray> packets;
  packets.reserve(messages.size());
  for (const OSCMessage &message : messages) packets.append(message.encoded());
  return packets;
}

// The message encoded with argument `at` written as a raw argument of the given type tag and
// payload, which the codec itself never writes.
QByteArray encodedWithRawArgument(const OSCMessage &message, qsizetype at, char tag,
                                  const QByteArray &payload) {
  // The type tags: the comma, a letter per argument and at least one NUL, padded to 4.
  const auto tagBytes = [](qsizetype count) { return (count + 2 + 3) / 4 * 4; };
  const qsizetype addressBytes = OSCMessage{message.address, {}}.encoded().size() - 4;
  const auto payloadOf = [&](const QList<OSCArgument> &arguments) {
    return OSCMessage{message.address, arguments}.encoded().sliced(addressBytes +
                                                                   tagBytes(arguments.size()));
  };
  const QByteArray whole = message.encoded();
  QByteArray tags = whole.sliced(addressBytes, 1 + message.arguments.size());
  tags[1 + at] = tag;
  tags.append(QByteArray(tagBytes(message.arguments.size()) - tags.size(), '\0'));
  return whole.first(addressBytes) + tags + payloadOf(message.arguments.first(at)) + payload +
         payloadOf(message.arguments.sliced(at + 1));
}

// The slices of a record with one field (wherever a slice carries it) as a raw argument the
// codec cannot decode, so every packet that carries it is dropped by the receiver.
QList<QByteArray> packetsWithUndecodableField(const QList<OSCMessage> &slices,
                                              EosConsoleDouble::RecordFault fault) {
  const bool label = fault == EosConsoleDouble::RecordFault::labelNotUTF8;
  const qsizetype field = label ? 2 : 7;
  const char tag = label ? 's' : 'd';
  QByteArray payload;
  if (label) {
    payload = QByteArray("caf\xE9\0\0\0\0", 8);
  } else {
    payload.resize(8);
    qToBigEndian(std::bit_cast<quint64>(2.5), payload.data());
  }
  QList<QByteArray> packets;
  for (const OSCMessage &slice : slices) {
    const qsizetype at = field - slice.address.section(u'/', -2, -2).toLongLong();
    packets.append(at >= 0 && at < slice.arguments.size()
                       ? encodedWithRawArgument(slice, at, tag, payload)
                       : slice.encoded());
  }
  return packets;
}

}  // namespace

void EosConsoleDouble::registerShowAnswers() {
  setHandler(QStringLiteral("/eos/get/patch/count"), [this](const OSCMessage &) {
    return QList<OSCMessage>{
        {QStringLiteral("/eos/out/get/patch/count"), {integer(qint32(show_.patch.size()))}}};
  });
}

QList<OSCMessage> EosConsoleDouble::showAnswer(const OSCMessage &request,
                                               const QStringList &components, Asker &asker) {
  if (!request.arguments.isEmpty() || components.size() < 5) return {};
  if (components[3] == u"cue") {
    const auto list = canonicalNumber(components[4]);
    if (!list) return {};
    const auto cues = show_.cueLists.find(*list);
    const qsizetype count = cues == show_.cueLists.end() ? 0 : cues->second.size();
    if (components.size() == 6 && components[5] == u"count") {
      return {{QStringLiteral("/eos/out/get/cue/%1/count").arg(*list), {integer(qint32(count))}}};
    }
    const auto index = components.size() == 7 && components[5] == u"index"
                           ? canonicalNumber(components[6])
                           : std::nullopt;
    if (index && *index < count) asker.replyPackets(cueRecordPackets(*list, *index));
    return {};
  }
  if (components[3] != u"patch") return {};
  // Every part of a channel, each with this index field.
  const auto everyPart = [this](int channel, qint32 index) {
    QList<OSCMessage> answer;
    for (const ConsolePatchPart &part : show_.channelParts(channel)) {
      answer += slicedRecord(patchPrefix(part.channel, part.part), part.fields, index,
                             recordSlicing, quint32(part.part), part.fields.size());
    }
    return answer;
  };
  if (components.size() == 6 && components[4] == u"index") {
    const auto index = canonicalNumber(components[5]);
    if (!index || *index >= show_.patch.size()) return {};
    if (patchIndexAnswersEveryPart) return everyPart(show_.patch[*index].channel, *index);
    asker.replyPackets(patchRecordPackets(*index));
    return {};
  }
  const auto channel = components.size() == 5 ? canonicalNumber(components[4]) : std::nullopt;
  if (!channel) return {};
  // A channel read: index field -1.
  return everyPart(*channel, -1);
}

QList<QByteArray> EosConsoleDouble::cueRecordPackets(int list, int index) {
  const ConsoleCue &cue = show_.cueLists.at(list)[index];
  if (const auto fault = cueFaults.constFind(index); fault != cueFaults.constEnd()) {
    switch (*fault) {
      case RecordFault::noAnswer:
        return {};
      case RecordFault::wrongCount:
        return packetsOf(slicedRecord(cuePrefix(list, cue.number), cue.fields, index, recordSlicing,
                                      quint32(index), cue.fields.size() + 1));
      case RecordFault::otherListOrPart:
        return packetsOf(slicedRecord(cuePrefix(list + 1, cue.number), cue.fields, index,
                                      recordSlicing, quint32(index), cue.fields.size()));
      case RecordFault::numberNotANumber:
        return packetsOf(slicedRecord(cuePrefix(list, u'A' + cue.number), cue.fields, index,
                                      recordSlicing, quint32(index), cue.fields.size()));
      case RecordFault::labelNotUTF8:
      case RecordFault::doubleField:
        return packetsWithUndecodableField(
            slicedRecord(cuePrefix(list, cue.number), cue.fields, index, recordSlicing,
                         quint32(index), cue.fields.size()),
            *fault);
    }
  }
  return encodedCues(list)[index];
}

const std::vector<QList<QByteArray>> &EosConsoleDouble::encodedCues(int list) {
  if (encodedShow_.slicing != recordSlicing) encodedShow_ = {recordSlicing, {}, std::nullopt};
  auto encoded = encodedShow_.cueLists.find(list);
  if (encoded == encodedShow_.cueLists.end()) {
    std::vector<QList<QByteArray>> packets;
    const QList<ConsoleCue> &cues = show_.cueLists.at(list);
    packets.reserve(cues.size());
    for (qsizetype i = 0; i < cues.size(); ++i) {
      packets.push_back(
          packetsOf(slicedRecord(cuePrefix(list, cues[i].number), cues[i].fields, qint32(i),
                                 recordSlicing, quint32(i), cues[i].fields.size())));
    }
    encoded = encodedShow_.cueLists.emplace(list, std::move(packets)).first;
  }
  return encoded->second;
}

QList<QByteArray> EosConsoleDouble::patchRecordPackets(int index) {
  const ConsolePatchPart &part = show_.patch[index];
  if (const auto fault = patchFaults.constFind(index); fault != patchFaults.constEnd()) {
    switch (*fault) {
      case RecordFault::noAnswer:
        return {};
      case RecordFault::wrongCount:
        return packetsOf(slicedRecord(patchPrefix(part.channel, part.part), part.fields, index,
                                      recordSlicing, quint32(index), part.fields.size() + 1));
      case RecordFault::otherListOrPart:
      case RecordFault::numberNotANumber:
        return packetsOf(slicedRecord(patchPrefix(part.channel, part.part + 1), part.fields, index,
                                      recordSlicing, quint32(index), part.fields.size()));
      case RecordFault::labelNotUTF8:
      case RecordFault::doubleField:
        return packetsWithUndecodableField(
            slicedRecord(patchPrefix(part.channel, part.part), part.fields, index, recordSlicing,
                         quint32(index), part.fields.size()),
            *fault);
    }
  }
  return encodedPatch()[index];
}

const std::vector<QList<QByteArray>> &EosConsoleDouble::encodedPatch() {
  if (encodedShow_.slicing != recordSlicing) encodedShow_ = {recordSlicing, {}, std::nullopt};
  if (!encodedShow_.patch) {
    std::vector<QList<QByteArray>> packets;
    packets.reserve(show_.patch.size());
    for (qsizetype i = 0; i < show_.patch.size(); ++i) {
      const ConsolePatchPart &p = show_.patch[i];
      packets.push_back(packetsOf(slicedRecord(patchPrefix(p.channel, p.part), p.fields, qint32(i),
                                               recordSlicing, quint32(i), p.fields.size())));
    }
    encodedShow_.patch = std::move(packets);
  }
  return *encodedShow_.patch;
}

void EosConsoleDouble::encodeShow() {
  encodedShow_ = {recordSlicing, {}, std::nullopt};
  for (const auto &[list, cues] : show_.cueLists) encodedCues(list);
  encodedPatch();
}

void EosConsoleDouble::setShow(ConsoleShow show) {
  show_ = std::move(show);
  showPath = show_.path;
  showName = show_.name;
  encodeShow();
}

void EosConsoleDouble::setCue(int list, ConsoleCue cue) {
  const QString number = cue.number;
  show_.setCue(list, std::move(cue));
  encodedShow_.cueLists.erase(list);
  notify(QStringLiteral("/eos/out/notify/cue/%1").arg(list), {OSCArgument::fromString(number)});
}

void EosConsoleDouble::removeCue(int list, const QString &number) {
  if (!show_.removeCue(list, number)) return;
  encodedShow_.cueLists.erase(list);
  notify(QStringLiteral("/eos/out/notify/cue/%1").arg(list), {OSCArgument::fromString(number)});
}

void EosConsoleDouble::setPatchPart(ConsolePatchPart part) {
  const int channel = part.channel;
  show_.setPatchPart(std::move(part));
  encodedShow_.patch.reset();
  notify(QStringLiteral("/eos/out/notify/patch"), {integer(channel)});
}

void EosConsoleDouble::removePatchChannel(int channel) {
  show_.removeChannel(channel);
  encodedShow_.patch.reset();
  notify(QStringLiteral("/eos/out/notify/patch"), {integer(channel)});
}

void EosConsoleDouble::notify(const QString &address, const QList<OSCArgument> &arguments,
                              Asker *asker) {
  if (asker) {  // behind the answers of the request that made the change
    asker->sendToSubscribers({{address, arguments}});
    return;
  }
  const QList<QByteArray> packets = encoded({{address, arguments}});
  for (Connection *connection : connections()) {
    if (connection->subscribed) deliver(*connection, packets, std::chrono::milliseconds(0));
  }
}

void EosConsoleDouble::sendShowEvent(const QString &kind) {
  const QList<QByteArray> packets = encoded(
      {{QStringLiteral("/eos/out/event/show/") + kind, {OSCArgument::fromString(showPath)}}});
  for (Connection *connection : connections()) {
    deliver(*connection, packets, std::chrono::milliseconds(0));
  }
}

}  // namespace tarnik::testing
