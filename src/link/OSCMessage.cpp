#include "link/OSCMessage.h"

#include "foundation/TextRules.h"
#include "link/OSCTextCoding.h"

#include <QVarLengthArray>
#include <QtEndian>

#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>

namespace tarnik {

namespace {

constexpr qsizetype largestBlob = qsizetype(1) << 31;

// A field of n bytes followed by at least one NUL, padded to a multiple of 4.
constexpr qsizetype paddedFieldSize(qsizetype n) { return (n + 4) & ~qsizetype(3); }

constexpr char typeTag(const OSCArgument &argument) {
  switch (argument.value.index()) {
    case 0:
      return 'i';
    case 1:
      return 'f';
    case 2:
      return 's';
    case 3:
      return std::get<bool>(argument.value) ? 'T' : 'F';
    default:
      return 'b';
  }
}

// How a text is sized and written: ascii texts take one byte per UTF-16 unit.
struct TextPlan {
  qsizetype utf8Size = 0;
  bool ascii = true;
};

// Console traffic is nearly all ASCII. The optimistic pass sizes every text as ASCII and
// checks that while writing it, so each text is read once; only a text that proves
// otherwise sends the message through the exact pass, which measures UTF-8 first.
enum class TextSizing { assumeAscii, exact };

// Measures a text for the exact pass; false when it holds U+0000.
bool planText(QStringView text, TextPlan &plan) {
  switch (textShape(text)) {
    case TextShape::holdsNul:
      return false;
    case TextShape::ascii:
      plan = {text.size(), true};
      return true;
    case TextShape::other:
      plan = {utf8Size(text), false};
      return true;
  }
  return false;
}

// Writes the text, its NUL and padding; nothing when a text planned as ASCII is not.
char *writePaddedText(QStringView text, const TextPlan &plan, char *out) {
  const qsizetype field = paddedFieldSize(plan.utf8Size);
  // Clear the last word first: it holds the NUL and all padding.
  std::memset(out + field - 4, 0, 4);
  if (!plan.ascii) {
    writeUtf8(text, out);
  } else if (!narrowAscii(text, out)) {
    return nullptr;
  }
  return out + field;
}

char *writeWord(quint32 word, char *out) {
  qToBigEndian(word, out);
  return out + 4;
}

// Widens eight bytes to eight UTF-16 units.
void widenWord(quint64 word, char16_t *out) {
#if defined(__SSE2__)
  const __m128i bytes = _mm_cvtsi64_si128(qint64(word));
  _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
#else
  for (int i = 0; i < 8; ++i) out[i] = char16_t((word >> (8 * i)) & 0xFF);
#endif
}

// Scans the padded field that starts at cursor: finds the NUL that ends its content, notes
// whether the content is plain ASCII, and checks that the padding fits and is all zero.
// With widen, the content is also widened into widenInto as it is scanned, one unit per byte;
// whole words are written, so up to seven units past the NUL may be overwritten (never
// more than the bytes that remain after cursor).
template <bool widen = false>
bool scanPaddedField(QByteArrayView bytes, qsizetype cursor, qsizetype &length, bool &ascii,
                     char16_t *widenInto = nullptr) {
  if (cursor >= bytes.size()) return false;
  const char *start = bytes.data() + cursor;
  const qsizetype available = bytes.size() - cursor;
  // Eight bytes at a time until a word holds a zero byte; the lowest flagged byte of that
  // word is the first NUL (flags above it may be false alarms, the lowest never is).
  constexpr quint64 ones = 0x0101010101010101u, highBits = 0x8080808080808080u;
  quint64 seen = 0;
  qsizetype i = 0;
  bool found = false;
  for (; i + 8 <= available; i += 8) {
    const quint64 word = qFromLittleEndian<quint64>(start + i);
    if constexpr (widen) widenWord(word, widenInto + i);
    const quint64 zeros = (word - ones) & ~word & highBits;
    if (zeros != 0) {
      const int offset = std::countr_zero(zeros) / 8;
      if (offset > 0) seen |= word & (~quint64(0) >> (64 - 8 * offset));
      i += offset;
      found = true;
      break;
    }
    seen |= word;
  }
  if (!found) {
    for (; i < available && start[i] != 0; ++i) {
      seen |= static_cast<unsigned char>(start[i]);
      if constexpr (widen) widenInto[i] = static_cast<unsigned char>(start[i]);
    }
    if (i == available) return false;
  }
  const qsizetype field = paddedFieldSize(i);
  if (field > available) return false;
  for (qsizetype k = i + 1; k < field; ++k) {
    if (start[k] != 0) return false;
  }
  length = i;
  ascii = (seen & highBits) == 0;
  return true;
}

// A text that is not plain ASCII; QString::fromUtf8 would quietly replace malformed
// sequences, so they are refused first.
bool readUtf8(const char *start, qsizetype length, QString &text) {
  if (!isValidUtf8(start, length)) return false;
  text = QString::fromUtf8(start, length);
  return true;
}

bool readText(QByteArrayView bytes, qsizetype &cursor, QString &text) {
  qsizetype length = 0;
  bool ascii = false;
  if (!scanPaddedField(bytes, cursor, length, ascii)) return false;
  const char *start = bytes.data() + cursor;
  if (ascii) {
    text = QString(length, Qt::Uninitialized);
    char16_t *units = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < length; ++i) units[i] = static_cast<unsigned char>(start[i]);
  } else if (!readUtf8(start, length, text)) {
    return false;
  }
  cursor += paddedFieldSize(length);
  return true;
}

bool readWord(QByteArrayView bytes, qsizetype &cursor, quint32 &word) {
  if (bytes.size() - cursor < 4) return false;
  word = qFromBigEndian<quint32>(bytes.data() + cursor);
  cursor += 4;
  return true;
}

bool readBlobField(QByteArrayView bytes, qsizetype &cursor, QByteArray &blob) {
  qsizetype at = cursor;
  quint32 size = 0;
  if (!readWord(bytes, at, size) || size >= largestBlob) return false;
  const qsizetype padding = -qsizetype(size) & 3;
  if (qsizetype(size) + padding > bytes.size() - at) return false;
  const char *data = bytes.data() + at;
  for (qsizetype i = 0; i < padding; ++i) {
    if (data[size + i] != 0) return false;
  }
  blob = QByteArray(data, size);
  cursor = at + size + padding;
  return true;
}

// Every tag known, and the data left long enough for the least each tag reads (4 bytes for
// "i", "f", "s" and "b"): checked before any argument is made, so a packet of a million
// tags and no data is refused as cheaply as it was read, not after a million allocations.
bool tagsFitTheData(QByteArrayView tags, qsizetype dataSize) {
  qsizetype least = 0;
  for (const char tag : tags) {
    switch (tag) {
      case 'i':
      case 'f':
      case 's':
      case 'b':
        least += 4;
        break;
      case 'T':
      case 'F':
        break;
      default:
        return false;
    }
  }
  return least <= dataSize;
}

// The ASCII texts of one decoded message (nearly all of them) share one allocation: each
// QString holds a reference to the block and points at its own NUL-terminated stretch, so
// a message costs one allocation for all its texts rather than one per text. Qt's
// copy-on-write treats a shared block like any shared string, so changing one of the
// texts later copies it out first. Texts that are not ASCII get their own QString, and so
// do the texts of a packet too large for the block to be worth its waste.
class SharedTextBlock {
 public:
  explicit SharedTextBlock(QByteArrayView packet) {
    // One unit per packet byte is always enough: a text takes fewer units than its field.
    if (packet.size() <= largestSharedPacket) {
      block_ = QString(packet.size(), Qt::Uninitialized);
      next_ = block_.data_ptr().data();
    }
  }

  // Reads the padded text field at cursor, widening it into the block as it is scanned.
  bool read(QByteArrayView bytes, qsizetype &cursor, QString &target) {
    if (block_.isNull()) return readText(bytes, cursor, target);
    qsizetype length = 0;
    bool ascii = false;
    if (!scanPaddedField<true>(bytes, cursor, length, ascii, next_)) return false;
    const char *start = bytes.data() + cursor;
    if (ascii) {
      next_[length] = u'\0';
      QStringPrivate &shared = block_.data_ptr();
      shared.d_ptr()->ref();
      target = QString(QStringPrivate(shared.d_ptr(), next_, length));
      next_ += length + 1;
    } else if (!readUtf8(start, length, target)) {
      return false;
    }
    cursor += paddedFieldSize(length);
    return true;
  }

 private:
  static constexpr qsizetype largestSharedPacket = 4096;

  QString block_;
  char16_t *next_ = nullptr;
};

// The packet; nothing when the optimistic pass met a text that is not ASCII; empty when
// the message cannot be written.
std::optional<QByteArray> encodeMessage(const OSCMessage &message, TextSizing sizing) {
  // Exact plans, in the order of the texts: the address, then each string argument.
  QVarLengthArray<TextPlan, 32> plans;
  const auto addText = [&](const QString &text, qsizetype &size) {
    TextPlan plan{text.size(), true};
    if (sizing == TextSizing::exact) {
      if (!planText(text, plan)) return false;
      plans.append(plan);
    }
    size += paddedFieldSize(plan.utf8Size);
    return true;
  };
  const TextPlan *nextPlan = nullptr;
  const auto writeText = [&](const QString &text, char *out) {
    return writePaddedText(
        text, sizing == TextSizing::exact ? *nextPlan++ : TextPlan{text.size(), true}, out);
  };

  const QList<OSCArgument> &arguments = message.arguments;
  const qsizetype tagField = paddedFieldSize(1 + arguments.size());
  qsizetype size = tagField;
  if (!addText(message.address, size)) return QByteArray();
  for (const OSCArgument &argument : arguments) {
    switch (argument.value.index()) {
      case 0:
      case 1:
        size += 4;
        break;
      case 2:
        if (!addText(std::get<QString>(argument.value), size)) return QByteArray();
        break;
      case 3:
        break;
      default: {
        const qsizetype blobSize = std::get<QByteArray>(argument.value).size();
        if (blobSize >= largestBlob) return QByteArray();
        size += 4 + ((blobSize + 3) & ~qsizetype(3));
      }
    }
  }

  QByteArray packet(size, Qt::Uninitialized);
  nextPlan = plans.data();
  char *out = writeText(message.address, packet.data());
  if (!out) return std::nullopt;
  std::memset(out + tagField - 4, 0, 4);
  out[0] = ',';
  for (qsizetype i = 0; i < arguments.size(); ++i) out[1 + i] = typeTag(arguments[i]);
  out += tagField;

  for (const OSCArgument &argument : arguments) {
    switch (argument.value.index()) {
      case 0:
        out = writeWord(quint32(std::get<qint32>(argument.value)), out);
        break;
      case 1:
        out = writeWord(std::bit_cast<quint32>(std::get<float>(argument.value)), out);
        break;
      case 2:
        out = writeText(std::get<QString>(argument.value), out);
        if (!out) return std::nullopt;
        break;
      case 3:
        break;
      default: {
        const QByteArray &blob = std::get<QByteArray>(argument.value);
        out = writeWord(quint32(blob.size()), out);
        const qsizetype padding = -blob.size() & 3;
        if (!blob.isEmpty()) std::memcpy(out, blob.constData(), blob.size());
        std::memset(out + blob.size(), 0, padding);
        out += blob.size() + padding;
      }
    }
  }
  return packet;
}

}  // namespace

QByteArray OSCMessage::encodePaddedString(const QString &text) {
  // Written byte for byte, as the encoder does; a NUL inside the text is the caller's
  // business here (encoded() refuses such texts).
  const TextPlan plan = textShape(text) == TextShape::ascii ? TextPlan{text.size(), true}
                                                            : TextPlan{utf8Size(text), false};
  QByteArray out(paddedFieldSize(plan.utf8Size), Qt::Uninitialized);
  writePaddedText(text, plan, out.data());
  return out;
}

QByteArray OSCMessage::encoded() const {
  if (std::optional<QByteArray> packet = encodeMessage(*this, TextSizing::assumeAscii))
    return *std::move(packet);
  return encodeMessage(*this, TextSizing::exact).value_or(QByteArray());
}

std::optional<OSCMessage> OSCMessage::decode(QByteArrayView bytes) {
  // The address must begin with "/"; checking the first byte rejects most garbage early.
  if (bytes.isEmpty() || bytes[0] != '/') return std::nullopt;
  OSCMessage message;
  qsizetype cursor = 0;
  SharedTextBlock texts(bytes);
  if (!texts.read(bytes, cursor, message.address)) return std::nullopt;

  // The tag string is read as raw bytes: any byte outside the six known letters fails, so
  // a tag string that is not valid UTF-8 fails as well.
  qsizetype tagCount = 0;
  bool asciiTags = false;
  if (!scanPaddedField(bytes, cursor, tagCount, asciiTags) || tagCount < 1 ||
      bytes[cursor] != ',') {
    return std::nullopt;
  }
  const char *tags = bytes.data() + cursor + 1;
  const qsizetype argumentCount = tagCount - 1;
  cursor += paddedFieldSize(tagCount);
  if (!tagsFitTheData(QByteArrayView(tags, argumentCount), bytes.size() - cursor))
    return std::nullopt;

  // Allocated at its exact size once, then filled in place.
  message.arguments = QList<OSCArgument>(argumentCount);
  OSCArgument *arguments = message.arguments.data();
  for (qsizetype i = 0; i < argumentCount; ++i) {
    auto &value = arguments[i].value;
    quint32 word = 0;
    switch (tags[i]) {
      case 'i':
        if (!readWord(bytes, cursor, word)) return std::nullopt;
        value = qint32(word);
        break;
      case 'f':
        if (!readWord(bytes, cursor, word)) return std::nullopt;
        value = std::bit_cast<float>(word);
        break;
      case 's':
        if (!texts.read(bytes, cursor, value.emplace<QString>())) return std::nullopt;
        break;
      case 'T':
        value = true;
        break;
      case 'F':
        value = false;
        break;
      case 'b':
        if (!readBlobField(bytes, cursor, value.emplace<QByteArray>())) return std::nullopt;
        break;
      default:
        return std::nullopt;
    }
  }
  if (cursor != bytes.size()) return std::nullopt;
  return message;
}

std::optional<QString> OSCMessage::readPaddedString(QByteArrayView bytes, qsizetype &cursor) {
  QString text;
  if (cursor < 0 || !readText(bytes, cursor, text)) return std::nullopt;
  return text;
}

std::optional<quint32> OSCMessage::readInt32(QByteArrayView bytes, qsizetype &cursor) {
  quint32 word = 0;
  if (cursor < 0 || !readWord(bytes, cursor, word)) return std::nullopt;
  return word;
}

std::optional<QByteArray> OSCMessage::readBlob(QByteArrayView bytes, qsizetype &cursor) {
  QByteArray blob;
  if (cursor < 0 || !readBlobField(bytes, cursor, blob)) return std::nullopt;
  return blob;
}

bool operator==(const OSCMessage &lhs, const OSCMessage &rhs) {
  return lhs.arguments.size() == rhs.arguments.size() &&
         canonicallyEqual(lhs.address, rhs.address) &&
         std::equal(lhs.arguments.begin(), lhs.arguments.end(), rhs.arguments.begin());
}

}  // namespace tarnik
