#pragma once

#include <QString>
#include <QStringView>

namespace tarnik {

// Text conversions of the OSC codec, kept cheap for the common all-ASCII text.

enum class TextShape { ascii, other, holdsNul };

// ascii: every character is U+0001 to U+007F (or the text is empty); holdsNul: some
// character is U+0000; other: anything else.
TextShape textShape(QStringView text);

// The UTF-8 size of the text; an unpaired surrogate counts as the one byte "?" that Qt's
// own conversion writes for it.
qsizetype utf8Size(QStringView text);

// Writes each UTF-16 unit as one byte; false when some unit is outside U+0001 to U+007F
// (the bytes written are then of no use).
bool narrowAscii(QStringView text, char *out);
// Writes the UTF-8 form of the text (utf8Size(text) bytes).
void writeUtf8(QStringView text, char *out);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF).
bool isValidUtf8(const char *bytes, qsizetype size);

}  // namespace tarnik
