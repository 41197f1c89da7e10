#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <optional>
#include <utility>

namespace tarnik {

// Text rules shared by both catalogs: the search fold, the identity words behind command
// identities and alias keys, and the small validity tests of the catalog headers.

// Appends the case- and diacritic-insensitive fold of `text` to `utf8`: lower-case letters,
// marks and numbers, every run of anything else turned into one blank, none at either end,
// and one blank between it and what `utf8` already held. "  Moving-Head (Spot) 16ch "
// folds to "moving head spot 16ch". Folded texts are kept and compared as UTF-8.
void appendSearchText(QByteArray &utf8, QStringView text);
// The same for a text given as UTF-8.
void appendSearchText(QByteArray &utf8, QByteArrayView text);
QString normalizedSearchText(QStringView text);
// The fold of ASCII `text` written at `out`, which has room for its size and one more
// byte, after one joining blank when `join`; the end of what was written, or null when the
// text is not ASCII (which appendSearchText then folds).
char *writeAsciiSearchText(char *out, bool join, QByteArrayView text);

// The folded query split at blanks, empty pieces dropped, as UTF-8.
QList<QByteArray> searchTokens(QStringView query);

// "_" read as a blank, case folded (accents kept), lower-cased, the words joined by one
// blank: "Acme_Lights  Co" becomes "acme lights co".
QString identityWords(QStringView text);
// The search fold of an ASCII text at `searchOut` (as writeAsciiSearchText) and its
// identity words at `identityOut` (room for its size), in one pass; the two ends, or none
// when the text is not ASCII.
std::optional<std::pair<char *, char *>> writeAsciiSearchTextAndIdentityWords(char *searchOut,
                                                                              bool join,
                                                                              char *identityOut,
                                                                              QByteArrayView text);

// Four "."-separated pieces, each non-empty and made only of numeric characters.
bool isLibraryVersion(QStringView text);

// Exactly 64 characters, each 0-9 or a-f (callers lower-case first).
bool isLowerHexDigest(QStringView text);

// Well-formed UTF-8 without overlong forms, surrogates or code points above U+10FFFF.
bool isStrictUtf8(const char *bytes, std::size_t count);

// The text of UTF-8 already proven valid.
QString utf8Text(QByteArrayView utf8);

}  // namespace tarnik
