#include "link/OSCTextCoding.h"

#include <QChar>

namespace tarnik {

TextShape textShape(QStringView text) {
  const char16_t *units = text.utf16();
  // A unit outside U+0001 to U+007F sets a bit at 0x80 or above, either in itself or, for
  // U+0000 alone, in its predecessor (0xFFFF). One OR per unit keeps the loop vectorised.
  char16_t all = 0;
  for (qsizetype i = 0; i < text.size(); ++i) all |= units[i] | char16_t(units[i] - 1);
  if (all < 0x80) return TextShape::ascii;
  return text.contains(QChar(0)) ? TextShape::holdsNul : TextShape::other;
}

qsizetype utf8Size(QStringView text) {
  const char16_t *units = text.utf16();
  const qsizetype count = text.size();
  qsizetype size = 0;
  for (qsizetype i = 0; i < count; ++i) {
    const char16_t unit = units[i];
    if (unit < 0x80) {
      size += 1;
    } else if (unit < 0x800) {
      size += 2;
    } else if (QChar::isHighSurrogate(unit) && i + 1 < count &&
               QChar::isLowSurrogate(units[i + 1])) {
      size += 4;
      ++i;
    } else if (QChar::isSurrogate(unit)) {
      size += 1;
    } else {
      size += 3;
    }
  }
  return size;
}

bool narrowAscii(QStringView text, char *out) {
  const char16_t *units = text.utf16();
  // The same one-OR test as textShape, fused with the copy.
  char16_t all = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    all |= units[i] | char16_t(units[i] - 1);
    out[i] = static_cast<char>(units[i]);
  }
  return all < 0x80;
}

void writeUtf8(QStringView text, char *out) {
  const char16_t *units = text.utf16();
  const qsizetype count = text.size();
  auto *bytes = reinterpret_cast<unsigned char *>(out);
  for (qsizetype i = 0; i < count; ++i) {
    const char16_t unit = units[i];
    if (unit < 0x80) {
      *bytes++ = static_cast<unsigned char>(unit);
    } else if (unit < 0x800) {
      *bytes++ = 0xC0 | (unit >> 6);
      *bytes++ = 0x80 | (unit & 0x3F);
    } else if (QChar::isHighSurrogate(unit) && i + 1 < count &&
               QChar::isLowSurrogate(units[i + 1])) {
      const char32_t point = QChar::surrogateToUcs4(unit, units[++i]);
      *bytes++ = 0xF0 | (point >> 18);
      *bytes++ = 0x80 | ((point >> 12) & 0x3F);
      *bytes++ = 0x80 | ((point >> 6) & 0x3F);
      *bytes++ = 0x80 | (point & 0x3F);
    } else if (QChar::isSurrogate(unit)) {
      *bytes++ = '?';
    } else {
      *bytes++ = 0xE0 | (unit >> 12);
      *bytes++ = 0x80 | ((unit >> 6) & 0x3F);
      *bytes++ = 0x80 | (unit & 0x3F);
    }
  }
}

bool isValidUtf8(const char *text, qsizetype size) {
  const auto *bytes = reinterpret_cast<const unsigned char *>(text);
  qsizetype i = 0;
  while (i < size) {
    const unsigned char lead = bytes[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The second byte's range depends on the lead byte (this excludes overlong forms,
    // surrogates and code points above U+10FFFF); later bytes are 0x80 to 0xBF.
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (size - i < length) return false;
    if (bytes[i + 1] < low || bytes[i + 1] > high) return false;
    for (qsizetype k = 2; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace tarnik
