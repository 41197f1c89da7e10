#pragma once

#include "link/OSCMessage.h"

#include <QLatin1StringView>
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

// --- The main connection's addresses, as the application model sends and reads them ---

// Requests: the subscription, the show sync's questions and the single channel reads.
inline constexpr QLatin1StringView subscribe{"/eos/subscribe"};
inline constexpr QLatin1StringView getShowPath{"/eos/get/show/path"};
inline constexpr QLatin1StringView getVersion{"/eos/get/version"};
inline constexpr QLatin1StringView getCueCount{"/eos/get/cue/1/count"};
inline constexpr QLatin1StringView getPatchCount{"/eos/get/patch/count"};
inline constexpr QLatin1StringView getCueIndexPrefix{"/eos/get/cue/1/index/"};
inline constexpr QLatin1StringView getPatchIndexPrefix{"/eos/get/patch/index/"};
inline constexpr QLatin1StringView getChannelPatchPrefix{"/eos/get/patch/"};

// Commands: the command line, keys, and cue list 1's scenes and fire.
inline constexpr QLatin1StringView commandLine{"/eos/cmd"};
inline constexpr QLatin1StringView keyPrefix{"/eos/key/"};
inline constexpr QLatin1StringView flashKey{"/eos/key/flash"};
inline QString cueScene(const QString &cueNumber) {
  return QStringLiteral("/eos/set/cue/1/") + cueNumber + QLatin1StringView("/scene");
}
inline QString cueFire(const QString &cueNumber) {
  return QStringLiteral("/eos/cue/1/") + cueNumber + QLatin1StringView("/fire");
}

// What the console sends unasked or in reply.
inline constexpr QLatin1StringView outParamsPrefix{"/eos/out/get/params/"};
inline constexpr QLatin1StringView outEmittersPrefix{"/eos/out/get/emitters/"};
inline constexpr QLatin1StringView outVersion{"/eos/out/get/version"};
inline constexpr QLatin1StringView outUser{"/eos/out/user"};
inline constexpr QLatin1StringView outActiveCueText{"/eos/out/active/cue/text"};
inline constexpr QLatin1StringView outPendingCueText{"/eos/out/pending/cue/text"};
inline constexpr QLatin1StringView outActiveCuePrefix{"/eos/out/active/cue/"};
inline constexpr QLatin1StringView outPendingCuePrefix{"/eos/out/pending/cue/"};
inline constexpr QLatin1StringView outShowName{"/eos/out/show/name"};
inline constexpr QLatin1StringView outShowPath{"/eos/out/get/show/path"};
inline constexpr QLatin1StringView outShowCleared{"/eos/out/event/show/cleared"};
inline constexpr QLatin1StringView outShowSaved{"/eos/out/event/show/saved"};
inline constexpr QLatin1StringView outShowLoaded{"/eos/out/event/show/loaded"};
inline constexpr QLatin1StringView outCueCount{"/eos/out/get/cue/1/count"};
inline constexpr QLatin1StringView outPatchCount{"/eos/out/get/patch/count"};
inline constexpr QLatin1StringView outNotifyCuePrefix{"/eos/out/notify/cue"};
inline constexpr QLatin1StringView outNotifyPatchPrefix{"/eos/out/notify/patch"};

}  // namespace tarnik::EosOSCAddress
