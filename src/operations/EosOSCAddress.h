#pragma once

#include "link/OSCMessage.h"

#include <QStringView>

#include <optional>

// The address rules of the Live control session. Addresses are split at every "/" with empty
// components kept, so "/eos//out" is not "/eos/out"; numbers must be written in canonical
// decimal (the text equals the number printed back: no sign, no leading zero).
namespace tarnik::EosOSCAddress {

// The user N (0 or more) of exactly "/eos/out/user/<N>/cmd".
std::optional<int> parseUser(QStringView address);

enum class ParamsForm {
  query,  // "/eos/get/params/<n>" or ".../emitters/<n>", without arguments
  reply,  // "/eos/out/get/params/<n>" or ".../emitters/<n>", any arguments
};
// The channel (1...999999) a parameter or emitter query or reply is about.
std::optional<int> parseParamsReply(const OSCMessage &message, ParamsForm form);

// A write the Live session may carry: "/eos/chan/<n>/param/<name>" with one finite float
// (a name of at most 128 characters, none of them a control character), or
// "/eos/chan/<n>/color/hs" with a hue 0...360 and a saturation 0...100 as floats.
bool parseChannelHueSaturation(const OSCMessage &message);

// A channel number written canonically, 1...999999.
std::optional<int> canonicalChannel(QStringView text);

}  // namespace tarnik::EosOSCAddress
