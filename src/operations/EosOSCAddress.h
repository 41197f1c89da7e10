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
// --- app addresses ---

}  // namespace tarnik::EosOSCAddress
