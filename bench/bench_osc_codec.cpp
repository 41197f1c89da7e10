// Encodes and decodes traffic shaped like a console session (command-line echoes, cue and
// patch replies with many texts, pings, nested bundles) with Tarnik's codec, liblo and
// oscpack. Every decoder hands out what a consumer would keep: the address and each
// argument value copied into owned storage. Every encoder produces the packet bytes from
// its library's own message form.

#include "RatioReporting.h"
#include "link/OSCMessage.h"
#include "link/OSCPacket.h"

#include <QtEndian>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <lo/lo.h>
#include <osc/OscOutboundPacketStream.h>
#include <osc/OscReceivedElements.h>
#include <string>
#include <variant>
#include <vector>

namespace {

using tarnik::OSCArgument;
using tarnik::OSCMessage;
using tarnik::OSCPacket;

// ---------------------------------------------------------------- the corpus

OSCArgument i(qint32 v) { return OSCArgument::fromInt(v); }
OSCArgument f(float v) { return OSCArgument::fromFloat(v); }
OSCArgument s(const char *v) { return OSCArgument::fromString(QString::fromUtf8(v)); }
OSCArgument b(bool v) { return OSCArgument::fromBool(v); }

QList<OSCMessage> consoleMessages() {
  QList<OSCMessage> messages{
      {"/eos/ping", {}},
      {"/eos/out/ping", {s("tarnik")}},
      {"/eos/newcmd", {s("Chan 1 Thru 10 Full#")}},
      {"/eos/key/go_0", {}},
      {"/eos/wheel/intens", {f(0.25f)}},
      {"/eos/out/cmd", {s("LIVE: Cue 1 : Chan 1 Thru 10 Full #")}},
      {"/eos/out/user/1/cmd", {s("LIVE: Cue 1 : Chan 1 Thru 10 At Full #")}},
      {"/eos/out/active/chan", {s("1-10 [100] Source Four LED Series 2 Lustr")}},
      {"/eos/out/active/wheel/1", {s("Intensity  [100]"), i(1), f(100.0f)}},
      {"/eos/out/active/wheel/2", {s("Pan  [-12.5]"), i(2), f(-12.5f)}},
      {"/eos/out/get/version", {s("3.2.5.17")}},
      {"/eos/out/get/cue/1/count", {i(312)}},
      {"/eos/out/get/cue/1/2/0/list/0/28",
       {i(0),
        s("A6C2E1F0-3B7D-4E0A-9C55-1F2E3D4C5B6A"),
        s("Blue wash — stage left"),
        i(5000),
        i(0),
        i(3000),
        i(0),
        i(-1),
        i(-1),
        i(-1),
        i(-1),
        i(-1),
        i(-1),
        s(""),
        s(""),
        i(0),
        s("Q"),
        b(false),
        b(false),
        s(""),
        i(0),
        s("Preset 3"),
        s(""),
        b(false),
        s("Act 1"),
        b(false),
        i(0),
        s("5/3"),
        s("")}},
      {"/eos/out/get/patch/101/1/list/0/20",
       {i(0),
        s("0F7A55E2-91C4-4B3C-8E61-77D0A2B4C9E1"),
        s("Front wash 1"),
        s("ETC"),
        s("Source Four LED Series 2 Lustr"),
        i(101),
        i(3),
        i(1),
        s("R80"),
        s(""),
        s("Mode 1"),
        s("FOH truss"),
        s(""),
        s(""),
        s(""),
        s(""),
        s(""),
        s(""),
        s(""),
        i(0)}},
      {"/eos/out/softkey/3", {s("Sneak")}},
      {"/eos/out/show/name", {s("Tarnik rehearsal show")}},
      {"/eos/out/event/cue/1/2/fire", {}},
      {"/eos/out/pantilt", {f(0.0f), f(540.0f), f(-135.0f), f(135.0f), f(12.5f), f(-4.25f)}},
  };
  return messages;
}

QByteArray bundleOf(const QList<QByteArray> &elements) {
  QByteArray bytes("#bundle\0\0\0\0\0\0\0\0\1", 16);
  for (const QByteArray &element : elements) {
    char size[4];
    qToBigEndian(quint32(element.size()), size);
    bytes += QByteArray(size, 4) + element;
  }
  return bytes;
}

// Every message as its own packet, plus a bundle nesting a bundle, as consoles send for
// fast-changing state.
QList<QByteArray> consolePackets(const QList<OSCMessage> &messages) {
  QList<QByteArray> packets;
  for (const OSCMessage &message : messages) packets += message.encoded();
  packets += bundleOf({bundleOf({packets[5], packets[7]}), packets[8], packets[9], packets[16]});
  return packets;
}

// ---------------------------------------------------------------- plain consumer form

using PlainArgument = std::variant<int32_t, float, std::string, bool, std::vector<char>>;
struct PlainMessage {
  std::string address;
  std::vector<PlainArgument> arguments;
};

std::vector<PlainMessage> plainMessages(const QList<OSCMessage> &messages) {
  std::vector<PlainMessage> plain;
  for (const OSCMessage &message : messages) {
    PlainMessage &p = plain.emplace_back();
    p.address = message.address.toStdString();
    for (const OSCArgument &argument : message.arguments) {
      switch (argument.value.index()) {
        case 0:
          p.arguments.emplace_back(std::get<qint32>(argument.value));
          break;
        case 1:
          p.arguments.emplace_back(std::get<float>(argument.value));
          break;
        case 2:
          p.arguments.emplace_back(std::get<QString>(argument.value).toStdString());
          break;
        case 3:
          p.arguments.emplace_back(std::get<bool>(argument.value));
          break;
        default: {
          const QByteArray &blob = std::get<QByteArray>(argument.value);
          p.arguments.emplace_back(std::vector<char>(blob.begin(), blob.end()));
        }
      }
    }
  }
  return plain;
}

bool operator==(const PlainMessage &lhs, const PlainMessage &rhs) {
  return lhs.address == rhs.address && lhs.arguments == rhs.arguments;
}

// ---------------------------------------------------------------- liblo

lo_message libloMessage(const PlainMessage &plain) {
  lo_message message = lo_message_new();
  for (const PlainArgument &argument : plain.arguments) {
    switch (argument.index()) {
      case 0:
        lo_message_add_int32(message, std::get<int32_t>(argument));
        break;
      case 1:
        lo_message_add_float(message, std::get<float>(argument));
        break;
      case 2:
        lo_message_add_string(message, std::get<std::string>(argument).c_str());
        break;
      case 3:
        std::get<bool>(argument) ? lo_message_add_true(message) : lo_message_add_false(message);
        break;
      default: {
        const auto &bytes = std::get<std::vector<char>>(argument);
        lo_blob blob = lo_blob_new(int32_t(bytes.size()), bytes.data());
        lo_message_add_blob(message, blob);
        lo_blob_free(blob);
      }
    }
  }
  return message;
}

bool libloAppendMessage(const char *data, size_t size, std::vector<PlainMessage> &out) {
  int result = 0;
  lo_message message = lo_message_deserialise(const_cast<char *>(data), size, &result);
  if (!message) return false;
  PlainMessage &plain = out.emplace_back();
  plain.address = lo_get_path(const_cast<char *>(data), ssize_t(size));
  const char *types = lo_message_get_types(message);
  lo_arg **argv = lo_message_get_argv(message);
  const int count = lo_message_get_argc(message);
  plain.arguments.reserve(count);
  for (int k = 0; k < count; ++k) {
    switch (types[k]) {
      case 'i':
        plain.arguments.emplace_back(argv[k]->i);
        break;
      case 'f':
        plain.arguments.emplace_back(argv[k]->f);
        break;
      case 's':
        plain.arguments.emplace_back(std::string(&argv[k]->s));
        break;
      case 'T':
        plain.arguments.emplace_back(true);
        break;
      case 'F':
        plain.arguments.emplace_back(false);
        break;
      case 'b': {
        const char *bytes = &argv[k]->blob.data;
        plain.arguments.emplace_back(std::vector<char>(bytes, bytes + argv[k]->blob.size));
        break;
      }
      default:
        lo_message_free(message);
        return false;
    }
  }
  lo_message_free(message);
  return true;
}

// liblo has no public bundle reader (its server takes bundles apart internally), so the
// bundle framing is walked here and each message handed to liblo.
bool libloAppendPacket(const char *data, size_t size, std::vector<PlainMessage> &out) {
  if (size >= 16 && std::memcmp(data, "#bundle", 8) == 0) {
    size_t cursor = 16;
    while (cursor + 4 <= size) {
      const size_t length = qFromBigEndian<quint32>(data + cursor);
      cursor += 4;
      if (length == 0 || length > size - cursor) return false;
      if (!libloAppendPacket(data + cursor, length, out)) return false;
      cursor += length;
    }
    return cursor == size;
  }
  return libloAppendMessage(data, size, out);
}

// ---------------------------------------------------------------- oscpack

void oscpackAppendMessage(const osc::ReceivedMessage &message, std::vector<PlainMessage> &out) {
  PlainMessage &plain = out.emplace_back();
  plain.address = message.AddressPattern();
  plain.arguments.reserve(message.ArgumentCount());
  for (auto argument = message.ArgumentsBegin(); argument != message.ArgumentsEnd(); ++argument) {
    switch (argument->TypeTag()) {
      case 'i':
        plain.arguments.emplace_back(int32_t(argument->AsInt32Unchecked()));
        break;
      case 'f':
        plain.arguments.emplace_back(argument->AsFloatUnchecked());
        break;
      case 's':
        plain.arguments.emplace_back(std::string(argument->AsStringUnchecked()));
        break;
      case 'T':
        plain.arguments.emplace_back(true);
        break;
      case 'F':
        plain.arguments.emplace_back(false);
        break;
      case 'b': {
        const void *bytes = nullptr;
        osc::osc_bundle_element_size_t size = 0;
        argument->AsBlobUnchecked(bytes, size);
        const auto *begin = static_cast<const char *>(bytes);
        plain.arguments.emplace_back(std::vector<char>(begin, begin + size));
        break;
      }
      default:
        throw osc::WrongArgumentTypeException();
    }
  }
}

void oscpackAppendBundle(const osc::ReceivedBundle &bundle, std::vector<PlainMessage> &out) {
  for (auto element = bundle.ElementsBegin(); element != bundle.ElementsEnd(); ++element) {
    if (element->IsBundle()) {
      oscpackAppendBundle(osc::ReceivedBundle(*element), out);
    } else {
      oscpackAppendMessage(osc::ReceivedMessage(*element), out);
    }
  }
}

bool oscpackAppendPacket(const char *data, size_t size, std::vector<PlainMessage> &out) {
  try {
    const osc::ReceivedPacket packet(data, osc::osc_bundle_element_size_t(size));
    if (packet.IsBundle()) {
      oscpackAppendBundle(osc::ReceivedBundle(packet), out);
    } else {
      oscpackAppendMessage(osc::ReceivedMessage(packet), out);
    }
    return true;
  } catch (const osc::Exception &) {
    return false;
  }
}

size_t oscpackEncode(const PlainMessage &plain, char *buffer, size_t capacity) {
  osc::OutboundPacketStream stream(buffer, capacity);
  stream << osc::BeginMessage(plain.address.c_str());
  for (const PlainArgument &argument : plain.arguments) {
    switch (argument.index()) {
      case 0:
        stream << osc::int32(std::get<int32_t>(argument));
        break;
      case 1:
        stream << std::get<float>(argument);
        break;
      case 2:
        stream << std::get<std::string>(argument).c_str();
        break;
      case 3:
        stream << std::get<bool>(argument);
        break;
      default: {
        const auto &bytes = std::get<std::vector<char>>(argument);
        stream << osc::Blob(bytes.data(), osc::osc_bundle_element_size_t(bytes.size()));
      }
    }
  }
  stream << osc::EndMessage;
  return stream.Size();
}

// ---------------------------------------------------------------- shared fixtures

struct Corpus {
  QList<OSCMessage> messages = consoleMessages();
  std::vector<PlainMessage> plain = plainMessages(messages);
  std::vector<lo_message> liblo;
  QList<QByteArray> packets = consolePackets(messages);

  Corpus() {
    for (const PlainMessage &message : plain) liblo.push_back(libloMessage(message));
  }
  ~Corpus() {
    for (lo_message message : liblo) lo_message_free(message);
  }
};

const Corpus &corpus() {
  static const Corpus instance;
  return instance;
}

// Before timing anything, every library must turn the corpus into the same bytes and the
// same values, so that no contender is measured doing less.
bool contendersAgree() {
  const Corpus &c = corpus();
  std::vector<char> buffer(65536);
  for (size_t k = 0; k < c.plain.size(); ++k) {
    const QByteArray ours = c.messages[qsizetype(k)].encoded();
    size_t size = 0;
    void *theirs = lo_message_serialise(c.liblo[k], c.plain[k].address.c_str(), nullptr, &size);
    const bool libloSame =
        size == size_t(ours.size()) && std::memcmp(theirs, ours.data(), size) == 0;
    std::free(theirs);
    const size_t oscpackSize = oscpackEncode(c.plain[k], buffer.data(), buffer.size());
    const bool oscpackSame = oscpackSize == size_t(ours.size()) &&
                             std::memcmp(buffer.data(), ours.data(), oscpackSize) == 0;
    if (!libloSame || !oscpackSame) {
      std::fprintf(stderr, "encoders disagree on %s\n", c.plain[k].address.c_str());
      return false;
    }
  }
  std::vector<PlainMessage> ours, liblo, oscpack;
  for (const QByteArray &packet : c.packets) {
    ours = plainMessages(OSCPacket::decode(packet).value());
    liblo.clear();
    oscpack.clear();
    if (!libloAppendPacket(packet.data(), size_t(packet.size()), liblo) ||
        !oscpackAppendPacket(packet.data(), size_t(packet.size()), oscpack) || ours != liblo ||
        ours != oscpack) {
      std::fprintf(stderr, "decoders disagree on a packet of %lld bytes\n",
                   static_cast<long long>(packet.size()));
      return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------- hostile tag lists

// A message of the largest size the decoder takes, with the address "/x", the given tag
// letters and the given data.
QByteArray largestMessage(char tag, qsizetype tagCount, const QByteArray &data) {
  QByteArray packet("/x\0\0,", 5);
  packet += QByteArray(tagCount, tag);
  packet += QByteArray(4 - (packet.size() % 4), '\0');
  return packet + data;
}

struct TagLists {
  // A million tags and no data behind them: refused, and no dearer than a valid message.
  QByteArray unknownTags = largestMessage('x', OSCPacket::maximumPacketSize - 12, {});
  QByteArray intsWithoutData = largestMessage('i', OSCPacket::maximumPacketSize - 12, {});
  // The valid message of the same size whose every tag carries its four bytes.
  QByteArray ints = largestMessage('i', intCount, QByteArray(4 * intCount, '\1'));

  static constexpr qsizetype intCount = (OSCPacket::maximumPacketSize - 12) / 5;
};

const TagLists &tagLists() {
  static const TagLists instance;
  return instance;
}

void decodeHostileTagsPass() {
  benchmark::DoNotOptimize(OSCPacket::decode(tagLists().unknownTags));
  benchmark::DoNotOptimize(OSCPacket::decode(tagLists().intsWithoutData));
}

void decodeValidTagsPass() {
  for (int i = 0; i < 2; ++i) benchmark::DoNotOptimize(OSCPacket::decode(tagLists().ints));
}

bool tagListsAsExpected() {
  const TagLists &t = tagLists();
  const bool sized = t.unknownTags.size() <= OSCPacket::maximumPacketSize &&
                     t.intsWithoutData.size() <= OSCPacket::maximumPacketSize &&
                     t.ints.size() <= OSCPacket::maximumPacketSize &&
                     t.ints.size() >= OSCPacket::maximumPacketSize - 8;
  const auto valid = OSCPacket::decode(t.ints);
  return sized && !OSCPacket::decode(t.unknownTags) && !OSCPacket::decode(t.intsWithoutData) &&
         valid && valid->first().arguments.size() == TagLists::intCount;
}

// ---------------------------------------------------------------- benchmarks

// One pass of each contender over the whole corpus.
void encodeTarnikPass() {
  for (const OSCMessage &message : corpus().messages) {
    QByteArray packet = message.encoded();
    benchmark::DoNotOptimize(packet.data());
  }
}

// liblo's own send path serialises into a fresh allocation, as Tarnik's encoder does.
void encodeLibloPass() {
  const Corpus &c = corpus();
  for (size_t k = 0; k < c.liblo.size(); ++k) {
    size_t size = 0;
    void *packet = lo_message_serialise(c.liblo[k], c.plain[k].address.c_str(), nullptr, &size);
    benchmark::DoNotOptimize(packet);
    std::free(packet);
  }
}

// oscpack writes into a caller's buffer; reusing one stack buffer is its intended use.
void encodeOscpackPass() {
  char buffer[4096];
  for (const PlainMessage &message : corpus().plain) {
    benchmark::DoNotOptimize(oscpackEncode(message, buffer, sizeof buffer));
    benchmark::ClobberMemory();
  }
}

void decodeTarnikPass() {
  for (const QByteArray &packet : corpus().packets) {
    auto messages = OSCPacket::decode(packet);
    benchmark::DoNotOptimize(messages);
  }
}

void decodeLibloPass() {
  for (const QByteArray &packet : corpus().packets) {
    std::vector<PlainMessage> messages;
    benchmark::DoNotOptimize(libloAppendPacket(packet.data(), size_t(packet.size()), messages));
    benchmark::DoNotOptimize(messages);
  }
}

void decodeOscpackPass() {
  for (const QByteArray &packet : corpus().packets) {
    std::vector<PlainMessage> messages;
    benchmark::DoNotOptimize(oscpackAppendPacket(packet.data(), size_t(packet.size()), messages));
    benchmark::DoNotOptimize(messages);
  }
}

template <void (*pass)()>
void passes(benchmark::State &state) {
  for (auto _ : state) pass();
}

void encodeTarnik(benchmark::State &state) { passes<encodeTarnikPass>(state); }
void encodeLiblo(benchmark::State &state) { passes<encodeLibloPass>(state); }
void encodeOscpack(benchmark::State &state) { passes<encodeOscpackPass>(state); }
void decodeTarnik(benchmark::State &state) { passes<decodeTarnikPass>(state); }
void decodeLiblo(benchmark::State &state) { passes<decodeLibloPass>(state); }
void decodeOscpack(benchmark::State &state) { passes<decodeOscpackPass>(state); }

BENCHMARK(encodeTarnik);
BENCHMARK(encodeLiblo);
BENCHMARK(encodeOscpack);
BENCHMARK(decodeTarnik);
BENCHMARK(decodeLiblo);
BENCHMARK(decodeOscpack);

}  // namespace

int main(int argc, char **argv) {
  tarnik::initializeRepeatedBenchmarks(argc, argv, 7, tarnik::BenchInterleaving::random);
  if (!contendersAgree()) return 1;
  if (!tagListsAsExpected()) {
    std::fprintf(stderr, "the tag-list packets are not what they should be\n");
    return 1;
  }
  tarnik::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // The ratios come from alternating rounds rather than from the medians above: one pass
  // takes microseconds, less than the slow spells of a shared machine.
  tarnik::printPairedRatio("osc_encode_vs_liblo", encodeTarnikPass, encodeLibloPass);
  tarnik::printPairedRatio("osc_decode_vs_liblo", decodeTarnikPass, decodeLibloPass);
  tarnik::printPairedRatio("osc_encode_vs_oscpack", encodeTarnikPass, encodeOscpackPass);
  tarnik::printPairedRatio("osc_decode_vs_oscpack", decodeTarnikPass, decodeOscpackPass);
  // Refusing a million tags without data costs at most what decoding a valid message of the
  // same size does.
  tarnik::printPairedRatio("osc_decode_hostile_vs_valid", decodeHostileTagsPass,
                           decodeValidTagsPass);
  benchmark::Shutdown();
  return 0;
}
