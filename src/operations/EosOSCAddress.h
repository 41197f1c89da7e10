#pragma once

#include "link/OSCMessage.h"

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

}  // namespace tarnik::EosOSCAddress
