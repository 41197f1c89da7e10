// Feeds arbitrary argument lists, as the console's list replies could carry them, to the
// argument readers, the record builders, the fragment accumulator and the show orderings.
// Besides surviving every input, the accumulator must leave a refused slice without trace
// and complete only with every field, and a sorted cue list must be in order.
#include "app/CueReplyFields.h"
#include "app/FragmentAccumulator.h"
#include "app/PatchPartReply.h"
#include "app/ReplyArguments.h"
#include "app/ShowOrderings.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <span>

using namespace tarnik;
using namespace Qt::StringLiterals;

namespace {

class Input {
 public:
  explicit Input(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool empty() const { return bytes_.empty(); }

  std::uint8_t byte() {
    if (bytes_.empty()) return 0;
    const std::uint8_t value = bytes_.front();
    bytes_ = bytes_.subspan(1);
    return value;
  }

  template <class T>
  T raw() {
    std::array<std::uint8_t, sizeof(T)> buffer{};
    for (std::uint8_t &b : buffer) b = byte();
    return std::bit_cast<T>(buffer);
  }

  template <class T, std::size_t N>
  const T &pick(const std::array<T, N> &choices) {
    return choices[byte() % N];
  }

  QString text() {
    const std::uint8_t length = byte();
    if (length == 255) return QString(20000, QChar(u'9'));  // a very long text
    QByteArray utf8;
    for (std::uint8_t k = 0; k < length && !bytes_.empty(); ++k) utf8.append(char(byte()));
    return QString::fromUtf8(utf8);
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

constexpr float infinity = std::numeric_limits<float>::infinity();
constexpr std::array<qint32, 9> edgeInts{
    std::numeric_limits<qint32>::min(), -1, 0, 1, 512, 513, 1000, 1500,
    std::numeric_limits<qint32>::max()};
constexpr std::array<float, 11> edgeFloats{std::numeric_limits<float>::quiet_NaN(),
                                           infinity,
                                           -infinity,
                                           -0.0f,
                                           0x1p63f,
                                           -0x1p63f,
                                           std::numeric_limits<float>::max(),
                                           std::numeric_limits<float>::denorm_min(),
                                           0.5f,
                                           1.5f,
                                           12.345f};
constexpr std::array<qint64, 6> edgeInt64s{
    std::numeric_limits<qint64>::min(),     std::numeric_limits<qint64>::min() + 1, -1, 0,
    std::numeric_limits<qint64>::max() - 1, std::numeric_limits<qint64>::max()};
const std::array<QString, 12> edgeTexts{u"-1"_s,
                                        u"0"_s,
                                        u"1"_s,
                                        u"9223372036854775807"_s,
                                        u"9223372036854775808"_s,
                                        u"-9223372036854775808"_s,
                                        u" 1025 "_s,
                                        u"2/101"_s,
                                        u"TRUE"_s,
                                        u"nan"_s,
                                        u"1e999"_s,
                                        u"1.0"_s};

OSCArgument argument(Input &input) {
  switch (input.byte() % 7) {
    case 0:
      return OSCArgument::fromInt(input.raw<qint32>());
    case 1:
      return OSCArgument::fromInt(input.pick(edgeInts));
    case 2:
      return OSCArgument::fromFloat(input.raw<float>());
    case 3:
      return OSCArgument::fromFloat(input.pick(edgeFloats));
    case 4:
      return OSCArgument::fromString(input.text());
    case 5:
      return OSCArgument::fromString(input.pick(edgeTexts));
    default:
      return input.byte() % 2 ? OSCArgument::fromBool(input.byte() % 2)
                              : OSCArgument::fromBlob(input.text().toUtf8());
  }
}

qint64 int64(Input &input) {
  return input.byte() % 2 ? input.pick(edgeInt64s) : input.raw<qint64>();
}

void readEach(const QList<OSCArgument> &arguments) {
  for (qsizetype index = 0; index < arguments.size(); ++index) {
    const OSCArgument &argument = arguments[index];
    integerArgument(argument);
    flagArgument(argument);
    cueTimeText(argument);
    cueNumberText(argument);
    addressFieldText(arguments, index);
  }
  sceneFields(arguments);
}

void accumulate(Input &input, const QList<OSCArgument> &arguments) {
  FragmentAccumulator accumulator{.totalFieldCount =
                                      input.byte() % 2 ? int64(input) : qint64(input.byte() % 40)};
  for (int slice = input.byte() % 8; slice > 0 && !input.empty(); --slice) {
    const qint64 start = input.byte() % 2 ? int64(input) : qint64(input.byte() % 40);
    const qsizetype from = input.byte() % (arguments.size() + 1);
    const qsizetype length = input.byte() % (arguments.size() - from + 1);
    const auto before = accumulator.fields.size();
    if (!accumulator.insert(start, arguments.sliced(from, length)) &&
        accumulator.fields.size() != before)
      std::abort();
  }
  if (const auto fields = accumulator.completedFields()) {
    if (fields->size() !=
        std::min(accumulator.totalFieldCount, FragmentAccumulator::keptFieldCount))
      std::abort();
    readEach(*fields);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  Input input(std::span(data, size));
  QList<OSCArgument> arguments;
  for (int count = input.byte() % 40; count > 0 && !input.empty(); --count)
    arguments.append(argument(input));

  readEach(arguments);
  addressTextFromString(input.text());
  absoluteAddressText(int64(input));
  accumulate(input, arguments);

  QList<Cue> cues;
  QList<PatchPart> rows;
  for (int record = input.byte() % 6; record > 0 && !input.empty(); --record) {
    const QString number = input.byte() % 2 ? input.pick(edgeTexts) : input.text();
    if (auto cue = makeCue(arguments, number)) cues.append(*cue);
    cues.append(Cue{.number = number});
    if (auto row = makePatchPart(arguments, int64(input), int64(input))) rows.append(*row);
  }

  sortByCueNumber(cues);
  const QCollator collator = cueNumberCollator();
  for (qsizetype k = 1; k < cues.size(); ++k) {
    if (cueNumberOrder(cues[k], cues[k - 1], collator)) std::abort();
  }
  const Channel channel = makeChannel(1, rows, 0);
  if (channel.parts.size() != rows.size()) std::abort();
  return 0;
}
