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

bool isAscii(QStringView text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
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

// Per ASCII character: what the search fold keeps (its lower case), or 0 for a separator.
constexpr auto searchFoldTable = [] {
  std::array<char, 128> table{};
  for (int c = '0'; c <= '9'; ++c) table[c] = char(c);
  for (int c = 'a'; c <= 'z'; ++c) table[c] = char(c);
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = char(c + 32);
  return table;
}();

// Per ASCII character: its lower case in an identity, or wordBreak where words break ("_"
// and white space).
constexpr char16_t wordBreak = 0xFFFF;
constexpr auto identityTable = [] {
  std::array<char16_t, 128> table{};
  for (int c = 0; c < 128; ++c) table[c] = (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : char16_t(c);
  for (const char c : {'_', ' ', '\t', '\n', '\v', '\f', '\r'}) table[uchar(c)] = wordBreak;
  return table;
}();

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

// The search fold of ASCII text straight into the buffer, which grows by at most the text
// and one blank. False, with the buffer as it was, at the first character beyond ASCII.
template <class Char>
bool appendAsciiSearchText(QByteArray &utf8, const Char *text, qsizetype size) {
  const qsizetype start = utf8.size();
  utf8.resize(start + size + 1);
  char *const begin = utf8.data() + start;
  char *out = begin;
  bool pendingBlank = start > 0;
  for (qsizetype i = 0; i < size; ++i) {
    const auto u = std::make_unsigned_t<Char>(text[i]);
    if (u >= 0x80) {
      utf8.truncate(start);
      return false;
    }
    const char kept = searchFoldTable[u];
    if (kept == 0) {
      pendingBlank = true;
      continue;
    }
    if (pendingBlank && (out != begin || start > 0)) *out++ = ' ';
    pendingBlank = false;
    *out++ = kept;
  }
  utf8.truncate(start + (out - begin));
  return true;
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
// (room for `size` characters); returns the end of what was written.
template <class Out, class Char>
Out *asciiIdentityWords(Out *out, const Char *text, qsizetype size) {
  Out *const begin = out;
  bool pendingBlank = false;
  for (qsizetype i = 0; i < size; ++i) {
    const auto kept = identityTable[std::make_unsigned_t<Char>(text[i])];
    if (kept == wordBreak) {
      pendingBlank = true;
      continue;
    }
    if (pendingBlank && out != begin) *out++ = Out(' ');
    pendingBlank = false;
    *out++ = Out(kept);
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
  if (!isAscii(text)) return unicodeIdentityWords(text);
  QString words(text.size(), Qt::Uninitialized);
  char16_t *const begin = reinterpret_cast<char16_t *>(words.data());
  words.truncate(asciiIdentityWords(begin, text.utf16(), text.size()) - begin);
  return words;
}

void appendIdentityWords(QByteArray &utf8, QByteArrayView text) {
  if (!std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; })) {
    utf8.append(unicodeIdentityWords(QString::fromUtf8(text)).toUtf8());
    return;
  }
  const qsizetype start = utf8.size();
  utf8.resize(start + text.size());
  char *const begin = utf8.data() + start;
  utf8.truncate(start + (asciiIdentityWords(begin, text.data(), text.size()) - begin));
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
