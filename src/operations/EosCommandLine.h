#pragma once

#include "link/OSCMessage.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

// Reading the console's command-line echoes, "/eos/out/user/<N>/cmd" with a text and a
// status number (0 for an ordinary line). Pure text routines: nothing here sends or keeps
// state. Comparisons are exact (case-sensitive) unless a routine says otherwise.
namespace tarnik::EosCommandLine {

struct Echo {
  QString text;
  qint32 status = 0;
  friend bool operator==(const Echo &, const Echo &) = default;
};

// The text's tokens, split at every run of Unicode white space (code point by code point,
// so a combining mark after a blank does not hide it), joined with single blanks.
QString normalize(QStringView text);

// A cue number as the console shows it: one or two "/"-separated parts, each one or two
// "."-separated runs of ASCII digits ("5", "1/5", "5.5", "1.2/3.4"; not "/5", "5." or "5a").
bool isChannelNumberToken(QStringView token);

// Does the (already normalised) echo acknowledge `expected`? Never with a non-zero status.
// It does when it reads "Patch Channel: " or "LIVE: " followed by `expected`, or, while a cue
// is active, "LIVE: Cue <n> : " followed by the tokens of `expected` (split at single blanks).
bool matchesEcho(QStringView echo, qint32 status, QStringView expected);

// The user number N of "/eos/out/user/<N>/cmd" (empty parts between slashes are ignored), or
// nothing. N is any decimal integer: callers compare it with the user they were given.
std::optional<int> commandAddressUser(QStringView address);

// The text and status of a message with exactly a string and an int argument, or nothing.
std::optional<Echo> commandLineArguments(const OSCMessage &message);

// Is the user's Live command line empty: "LIVE:", or "LIVE: Cue <one token> :" while a cue
// is active, in any letter case and with any white space. Never with a non-zero status.
bool isEmptyLiveEcho(QStringView text, qint32 status);

// As isEmptyLiveEcho, and also an empty "Patch Channel:" line in any letter case.
bool isEmptyEcho(QStringView text, qint32 status);

}  // namespace tarnik::EosCommandLine
