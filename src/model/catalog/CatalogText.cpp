#include "model/catalog/CatalogText.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>

namespace tarnik {
namespace {

// Calls `visit` with each Unicode scalar; a lone surrogate is passed on as it stands.
template <class Visit>
void forEachScalar(QStringView text, Visit visit) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar unit = text[i];
    if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      visit(QChar::surrogateToUcs4(unit, text[i + 1]));
      ++i;
    } else {
      visit(char32_t(unit.unicode()));
    }
  }
}

bool isLetterMarkOrNumber(char32_t codePoint) {
  switch (QChar::category(codePoint)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
      return true;
    default:
      return false;
  }
}

// Per byte: what the search fold keeps of an ASCII character (its lower case), a blank
// for a separator, or beyondAscii.
constexpr char beyondAscii = char(0x80);
constexpr auto searchFoldTable = [] {
  std::array<char, 256> table{};
  table.fill(' ');
  for (int c = '0'; c <= '9'; ++c) table[c] = char(c);
  for (int c = 'a'; c <= 'z'; ++c) table[c] = char(c);
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = char(c + 32);
  for (int c = 0x80; c < 0x100; ++c) table[c] = beyondAscii;
  return table;
}();

// Per byte: an ASCII character's lower case in an identity, a blank where words break
// ("_" and white space), or beyondAscii.
constexpr auto identityTable = [] {
  std::array<char, 256> table{};
  for (int c = 0; c < 128; ++c) table[c] = char((c >= 'A' && c <= 'Z') ? c + 32 : c);
  for (const char c : {'_', ' ', '\t', '\n', '\v', '\f', '\r'}) table[uchar(c)] = ' ';
  for (int c = 0x80; c < 0x100; ++c) table[c] = beyondAscii;
  return table;
}();

// The table entry of a UTF-16 unit or a byte; everything beyond ASCII reads as the
// entry of 0x80.
template <class Table, class Char>
auto entryOf(const Table &table, Char c) {
  const auto u = std::make_unsigned_t<Char>(c);
  if constexpr (sizeof(Char) == 1) {
    return table[u];
  } else {
    return table[u < 0x80 ? u : 0x80];
  }
}

// Appends kept scalars as UTF-8, turning each run of dropped ones into a single blank; a
// run before the first kept scalar and one after the last leave nothing behind.
class SeparatedText {
 public:
  explicit SeparatedText(QByteArray &utf8) : utf8_(utf8), pendingBlank_(!utf8.isEmpty()) {}
  void keep(char32_t codePoint) {
    if (pendingBlank_ && !utf8_.isEmpty()) utf8_.append(' ');
    pendingBlank_ = false;
    const char32_t scalar[] = {codePoint};
    utf8_.append(QString::fromUcs4(scalar, 1).toUtf8());
  }
  void separate() { pendingBlank_ = true; }

 private:
  QByteArray &utf8_;
  bool pendingBlank_;
};

// Decomposes, drops the combining diacritics, recomposes, then folds case.
QString foldCaseAndDiacritics(QStringView text) {
  QString decomposed = text.toString().normalized(QString::NormalizationForm_D);
  decomposed.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
  return decomposed.normalized(QString::NormalizationForm_C).toCaseFolded().toLower();
}

}  // namespace

namespace {

// Writes kept characters with one blank for each run of separators between them, and
// before the first one when joining text that precedes. Catalogs hold half a million
// names, so this runs without branches on the kind of character: every character is
// stored, a separator as a blank, but the end only moves past kept characters and, just
// before the next kept one, past a blank that is due. Nothing is stored beyond the place
// after the last kept character.
template <class Out>
class WordJoiner {
 public:
  WordJoiner(Out *out, bool join) : started_(join), blankDue_(join) {
    if (join) *out = Out(' ');
  }

  // `c` is a kept character, or a blank for a separator.
  Out *put(Out *__restrict out, Out c) {
    const bool keep = c != Out(' ');
    out += blankDue_ & keep;
    *out = c;
    out += keep;
    blankDue_ = (!keep) & (blankDue_ | started_);
    started_ |= keep;
    return out;
  }

 private:
  bool started_;
  bool blankDue_;
};

// The search fold of ASCII text written at `out` (room for size + 1 bytes), after one
// joining blank when `join` and anything is kept; the end of what was written, or null at
// the first character beyond ASCII.
template <class Char>
char *foldAscii(char *out, bool join, const Char *__restrict text, qsizetype size) {
  WordJoiner<char> joiner(out, join);
  for (qsizetype i = 0; i < size; ++i) {
    const char folded = entryOf(searchFoldTable, text[i]);
    if (folded == beyondAscii) return nullptr;
    out = joiner.put(out, folded);
  }
  return out;
}

// Straight into the buffer, which grows by at most the text and one blank. False, with the
// buffer as it was, when the text is not ASCII.
template <class Char>
bool appendAsciiSearchText(QByteArray &utf8, const Char *text, qsizetype size) {
  const qsizetype start = utf8.size();
  utf8.resize(start + size + 1);
  char *const end = foldAscii(utf8.data() + start, start > 0, text, size);
  utf8.truncate(end ? end - utf8.constData() : start);
  return end != nullptr;
}

void appendUnicodeSearchText(QByteArray &utf8, QStringView text) {
  SeparatedText result(utf8);
  const QString folded = foldCaseAndDiacritics(text);
  forEachScalar(folded, [&result](char32_t codePoint) {
    if (isLetterMarkOrNumber(codePoint)) {
      result.keep(codePoint);
    } else {
      result.separate();
    }
  });
}

}  // namespace

void appendSearchText(QByteArray &utf8, QStringView text) {
  // Catalog names are mostly ASCII and need no Unicode table.
  if (!appendAsciiSearchText(utf8, text.utf16(), text.size())) appendUnicodeSearchText(utf8, text);
}

char *writeAsciiSearchText(char *out, bool join, QByteArrayView text) {
  return foldAscii(out, join, text.data(), text.size());
}

void appendSearchText(QByteArray &utf8, QByteArrayView text) {
  if (!appendAsciiSearchText(utf8, text.data(), text.size()))
    appendUnicodeSearchText(utf8, QString::fromUtf8(text));
}

QString normalizedSearchText(QStringView text) {
  QByteArray utf8;
  appendSearchText(utf8, text);
  return QString::fromUtf8(utf8);
}

QList<QByteArray> searchTokens(QStringView query) {
  QByteArray folded;
  appendSearchText(folded, query);
  if (folded.isEmpty()) return {};
  return folded.split(' ');  // folding leaves no empty pieces between blanks
}

namespace {

// Lower case, words joined by single blanks, for ASCII text written straight into `out`
// (room for `size` characters); returns the end of what was written, or null at the first
// character beyond ASCII.
template <class Out, class Char>
Out *asciiIdentityWords(Out *out, const Char *__restrict text, qsizetype size) {
  WordJoiner<Out> joiner(out, false);
  for (qsizetype i = 0; i < size; ++i) {
    const char word = entryOf(identityTable, text[i]);
    if (word == beyondAscii) return nullptr;
    out = joiner.put(out, Out(word));
  }
  return out;
}

QString unicodeIdentityWords(QStringView text) {
  QString folded = text.toString();
  folded.replace(u'_', u' ');
  return folded.toCaseFolded().toLower().simplified();
}

}  // namespace

QString identityWords(QStringView text) {
  QString words(text.size(), Qt::Uninitialized);
  char16_t *const begin = reinterpret_cast<char16_t *>(words.data());
  char16_t *const end = asciiIdentityWords(begin, text.utf16(), text.size());
  if (!end) return unicodeIdentityWords(text);
  words.truncate(end - begin);
  return words;
}

std::optional<std::pair<char *, char *>> writeAsciiSearchTextAndIdentityWords(char *searchOut,
                                                                              bool join,
                                                                              char *identityOut,
                                                                              QByteArrayView text) {
  // The two loops above in one pass, so their chains of dependent steps run side by side.
  WordJoiner<char> search(searchOut, join);
  WordJoiner<char> identity(identityOut, false);
  for (const char c : text) {
    const char folded = entryOf(searchFoldTable, c);
    if (folded == beyondAscii) return std::nullopt;
    searchOut = search.put(searchOut, folded);
    identityOut = identity.put(identityOut, entryOf(identityTable, c));
  }
  return std::pair{searchOut, identityOut};
}

bool isLibraryVersion(QStringView text) {
  qsizetype pieces = 0;
  for (const QStringView piece : text.tokenize(u'.')) {
    if (++pieces > 4 || piece.isEmpty()) return false;
    bool numeric = true;
    forEachScalar(
        piece, [&numeric](char32_t codePoint) { numeric = numeric && QChar::isNumber(codePoint); });
    if (!numeric) return false;
  }
  return pieces == 4;
}

bool isLowerHexDigest(QStringView text) {
  return text.size() == 64 && std::all_of(text.begin(), text.end(), [](QChar c) {
           const char16_t u = c.unicode();
           return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f');
         });
}

QString utf8Text(QByteArrayView utf8) {
  const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return uchar(c) < 0x80; });
  return ascii ? QString::fromLatin1(utf8) : QString::fromUtf8(utf8);
}

bool isStrictUtf8(const char *bytes, std::size_t count) {
  const auto *p = reinterpret_cast<const unsigned char *>(bytes);
  const unsigned char *end = p + count;
  while (p < end) {
    // Eight ASCII bytes at a time: catalog texts are mostly ASCII.
    while (end - p >= 8) {
      quint64 word;
      std::memcpy(&word, p, 8);
      if (word & 0x8080808080808080ULL) break;
      p += 8;
    }
    if (p == end) break;
    const unsigned char lead = *p;
    if (lead < 0x80) {
      ++p;
      continue;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;   // overlong
      if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;   // overlong
      if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
      return false;
    }
    if (std::size_t(end - p) < length) return false;
    if (p[1] < low || p[1] > high) return false;
    for (std::size_t i = 2; i < length; ++i) {
      if (p[i] < 0x80 || p[i] > 0xBF) return false;
    }
    p += length;
  }
  return true;
}

}  // namespace tarnik
