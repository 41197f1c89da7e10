#pragma once

#include <QString>

// How the Live control session reads its own user's (normalised) command-line echoes. A
// console with an active cue shows every Live line as "LIVE: Cue <n> : ...", one without as
// "LIVE: ...": each test here accepts both.
namespace tarnik::EosLiveEchoLines {

// "LIVE:" alone, or exactly "LIVE: Cue <n> :" with n made of "0123456789./".
bool isEmptyLiveLine(const QString &text);
// An empty Live line, or the empty "Patch Channel:" line a user shows before it is in Live.
bool isEmptyBootstrapLine(const QString &text);
// "... : Chan <c> Flash #" or "LIVE: Chan <c> Flash #": the channel's flash is held.
bool isFlashLine(const QString &text, int channel);
// "... : Chan <c> #" or "LIVE: Chan <c> #": the channel alone is selected.
bool isSelectionLine(const QString &text, int channel);

}  // namespace tarnik::EosLiveEchoLines
