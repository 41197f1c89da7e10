#pragma once

#include "link/OSCMessage.h"

#include <QString>
#include <QStringView>

#include <cmath>
#include <optional>
#include <utility>

// The address rules of the isolated sessions and the fixture store. Addresses are split at
// every "/" with empty components kept, so "/eos//out" is not "/eos/out"; numbers must be
// written in canonical decimal (the text equals the number printed back: no sign, no
// leading zero).
namespace tarnik::EosOSCAddress {

// The console's channel numbers.
inline constexpr int highestChannel = 999'999;
constexpr bool isChannel(qint64 number) { return number >= 1 && number <= highestChannel; }

// The user N (0 or more) of exactly "/eos/out/user/<N>/cmd".
std::optional<int> parseUser(QStringView address);

enum class ParamsForm {
  query,  // "/eos/get/params/<n>" or ".../emitters/<n>", without arguments
  reply,  // "/eos/out/get/params/<n>" or ".../emitters/<n>", any arguments
};
enum class ParamsKind { parameters, emitters };
struct ParamsAddress {
  ParamsKind kind = ParamsKind::parameters;
  int channel = 0;
  friend bool operator==(const ParamsAddress &, const ParamsAddress &) = default;
};
// The list and the channel (isChannel) a parameter or emitter query or reply is about.
std::optional<ParamsAddress> parseParamsReply(const OSCMessage &message, ParamsForm form);

// A write the Live session may carry: "/eos/chan/<n>/param/<name>" with one finite float
// (a name of at most 128 characters, none of them a control character), or
// "/eos/chan/<n>/color/hs" with a colour as hueSaturation reads it.
bool parseChannelHueSaturation(const OSCMessage &message);

// A float argument that is finite and within the bounds, widened.
std::optional<double> finiteFloatWithin(const OSCArgument &argument, double lowest = -HUGE_VAL,
                                        double highest = HUGE_VAL);
// Exactly two float arguments: a hue in 0...360 and a saturation in 0...100.
std::optional<std::pair<double, double>> hueSaturation(const QList<OSCArgument> &arguments);

// A channel number written canonically (isChannel).
std::optional<int> canonicalChannel(QStringView text);

// The console's addresses, each spelled once.
inline const QString subscribe = QStringLiteral("/eos/subscribe");
inline const QString ping = QStringLiteral("/eos/ping");
inline const QString pingReply = QStringLiteral("/eos/out/ping");
inline const QString user = QStringLiteral("/eos/user");
inline const QString userAuto = QStringLiteral("/eos/user/auto");
inline const QString userReply = QStringLiteral("/eos/out/user");
inline const QString newCommand = QStringLiteral("/eos/newcmd");
inline const QString clearCommandKey = QStringLiteral("/eos/key/clear_cmd");
inline const QString flashKey = QStringLiteral("/eos/key/flash");
inline const QString showPathRequest = QStringLiteral("/eos/get/show/path");
inline const QString showPathReply = QStringLiteral("/eos/out/get/show/path");
inline const QString showLoaded = QStringLiteral("/eos/out/event/show/loaded");
inline const QString showCleared = QStringLiteral("/eos/out/event/show/cleared");
inline const QString showSaved = QStringLiteral("/eos/out/event/show/saved");
inline const QString channelsRequest = QStringLiteral("/eos/get/chans");
inline const QString channelsReply = QStringLiteral("/eos/out/get/chans");
inline const QString activeChannelReply = QStringLiteral("/eos/out/active/chan");
inline const QString hueSaturationReply = QStringLiteral("/eos/out/color/hs");
inline const QString cueListStop = QStringLiteral("/eos/cues/1/stop");
inline const QString cueListFire = QStringLiteral("/eos/cues/1/fire");
// "/eos/out/user/<user>/cmd": the user's command line.
QString userCommandLine(int user);
// "/eos/user/<user>/wheel/<mode>/<parameter>": a wheel tick of the user.
QString userWheel(qint64 user, const QString &mode, const QString &parameter);
// "/eos/chan/<channel>": the channel's writes start here.
QString channel(int channel);
// "/eos/get/params/<channel>" or ".../emitters/<channel>".
QString paramsQuery(ParamsKind kind, int channel);
// "/eos/set/patch/<channel>/label".
QString patchLabel(qint64 channel);
// The show sync's questions and the single channel reads.
inline const QString versionRequest = QStringLiteral("/eos/get/version");
inline const QString versionReply = QStringLiteral("/eos/out/get/version");
inline const QString cueCountRequest = QStringLiteral("/eos/get/cue/1/count");
inline const QString cueCountReply = QStringLiteral("/eos/out/get/cue/1/count");
inline const QString patchCountRequest = QStringLiteral("/eos/get/patch/count");
inline const QString patchCountReply = QStringLiteral("/eos/out/get/patch/count");
inline const QString cueIndexRequestPrefix = QStringLiteral("/eos/get/cue/1/index/");
inline const QString patchIndexRequestPrefix = QStringLiteral("/eos/get/patch/index/");
inline const QString channelPatchRequestPrefix = QStringLiteral("/eos/get/patch/");
// What the console sends unasked: the show's name, the cues, the change notifications, and
// the Live-control session's replies that also reach the main connection.
inline const QString showNameReply = QStringLiteral("/eos/out/show/name");
inline const QString activeCueText = QStringLiteral("/eos/out/active/cue/text");
inline const QString pendingCueText = QStringLiteral("/eos/out/pending/cue/text");
inline const QString activeCuePrefix = QStringLiteral("/eos/out/active/cue/");
inline const QString pendingCuePrefix = QStringLiteral("/eos/out/pending/cue/");
inline const QString cueNotificationPrefix = QStringLiteral("/eos/out/notify/cue");
inline const QString patchNotificationPrefix = QStringLiteral("/eos/out/notify/patch");
inline const QString paramsReplyPrefix = QStringLiteral("/eos/out/get/params/");
inline const QString emittersReplyPrefix = QStringLiteral("/eos/out/get/emitters/");
// Commands: the command line, keys, and cue list 1's scenes and fire.
inline const QString command = QStringLiteral("/eos/cmd");
inline const QString keyPrefix = QStringLiteral("/eos/key/");
// "/eos/set/cue/1/<cue>/scene".
inline QString cueScene(const QString &cueNumber) {
  return QStringLiteral("/eos/set/cue/1/") + cueNumber + QLatin1StringView("/scene");
}
// "/eos/cue/1/<cue>/fire".
inline QString cueFire(const QString &cueNumber) {
  return QStringLiteral("/eos/cue/1/") + cueNumber + QLatin1StringView("/fire");
}

}  // namespace tarnik::EosOSCAddress
