#pragma once

#include <QString>
#include <QStringView>

namespace tarnik {

// Removes Unicode white space and line breaks (categories Z*, U+0009 to U+000D, U+0085)
// from both ends.
QString trimmedText(const QString &text);

// True when both texts are canonically equivalent ("é" precomposed equals "e" + U+0301).
bool canonicallyEqual(const QString &lhs, const QString &rhs);

// Orders texts by Unicode code point after canonical composition, so characters outside
// the Basic Multilingual Plane sort after U+FFFF rather than among the surrogates.
// Returns a negative number, zero or a positive number.
int compareByCodePoint(const QString &lhs, const QString &rhs);
bool codePointLess(const QString &lhs, const QString &rhs);

// Number of user-perceived characters (extended grapheme clusters).
qsizetype characterCount(const QString &text);

// True when any code point is a control or format character (general categories Cc and
// Cf). Format characters count because they are invisible on screen yet reach the
// console's command line; the zero-width joiner is one of them.
bool containsControlCharacter(const QString &text);

// The text as a sentence of its own, trimmed: a full stop is added unless it already ends
// in one, or in "!" or "?", so that texts joined as sentences never read "..". An empty
// text stays empty.
QString endedSentence(const QString &text);

// A count and its noun: "1 session", "2 sessions".
QString countedText(qint64 count, const QString &one, const QString &many);

}  // namespace tarnik
