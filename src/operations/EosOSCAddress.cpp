#include "operations/EosOSCAddress.h"

#include "foundation/NumberRules.h"
#include "foundation/TextRules.h"

#include <QList>

namespace tarnik::EosOSCAddress {

namespace {

std::optional<int> canonicalNumber(QStringView text) {
  const auto number = parseStrictInteger<int>(text);
  if (!number || QString::number(*number) != text) return std::nullopt;
  return number;
}

}  // namespace

std::optional<int> canonicalChannel(QStringView text) {
  const auto number = canonicalNumber(text);
  if (!number || !isChannel(*number)) return std::nullopt;
  return number;
}

std::optional<int> parseUser(QStringView address) {
  const QList<QStringView> parts = address.split(u'/');
  if (parts.size() != 6 || !parts[0].isEmpty() || parts[1] != u"eos" || parts[2] != u"out" ||
      parts[3] != u"user" || parts[5] != u"cmd")
    return std::nullopt;
  const auto user = canonicalNumber(parts[4]);
  if (!user || *user < 0) return std::nullopt;
  return user;
}

std::optional<ParamsAddress> parseParamsReply(const OSCMessage &message, ParamsForm form) {
  const QList<QStringView> parts = QStringView(message.address).split(u'/');
  const QList<QStringView> prefix = form == ParamsForm::query
                                        ? QList<QStringView>{u"", u"eos", u"get"}
                                        : QList<QStringView>{u"", u"eos", u"out", u"get"};
  if (parts.size() != prefix.size() + 2 || parts.first(prefix.size()) != prefix)
    return std::nullopt;
  const QStringView kind = parts[prefix.size()];
  if (kind != u"params" && kind != u"emitters") return std::nullopt;
  if (form == ParamsForm::query && !message.arguments.isEmpty()) return std::nullopt;
  const auto channel = canonicalChannel(parts.last());
  if (!channel) return std::nullopt;
  return ParamsAddress{kind == u"params" ? ParamsKind::parameters : ParamsKind::emitters, *channel};
}

std::optional<double> finiteFloatWithin(const OSCArgument &argument, double lowest,
                                        double highest) {
  const auto *value = std::get_if<float>(&argument.value);
  if (!value || !std::isfinite(*value) || *value < lowest || *value > highest) return std::nullopt;
  return double(*value);
}

std::optional<std::pair<double, double>> hueSaturation(const QList<OSCArgument> &arguments) {
  if (arguments.size() != 2) return std::nullopt;
  const auto hue = finiteFloatWithin(arguments[0], 0, 360);
  const auto saturation = finiteFloatWithin(arguments[1], 0, 100);
  if (!hue || !saturation) return std::nullopt;
  return std::pair{*hue, *saturation};
}

bool parseChannelHueSaturation(const OSCMessage &message) {
  const QList<QStringView> parts = QStringView(message.address).split(u'/');
  if (parts.size() != 6 || !parts[0].isEmpty() || parts[1] != u"eos" || parts[2] != u"chan" ||
      !canonicalChannel(parts[3]))
    return false;
  const auto &arguments = message.arguments;
  if (parts[4] == u"param") {
    const QString name = parts[5].toString();
    return !name.isEmpty() && characterCount(name) <= 128 && !containsControlCharacter(name) &&
           arguments.size() == 1 && finiteFloatWithin(arguments[0]);
  }
  return parts[4] == u"color" && parts[5] == u"hs" && hueSaturation(arguments);
}

QString userCommandLine(int user) { return QStringLiteral("/eos/out/user/%1/cmd").arg(user); }

QString userWheel(qint64 user, const QString &mode, const QString &parameter) {
  return QStringLiteral("/eos/user/") + QString::number(user) + QStringLiteral("/wheel/") + mode +
         u'/' + parameter;
}

QString channel(int channel) { return QStringLiteral("/eos/chan/") + QString::number(channel); }

QString paramsQuery(ParamsKind kind, int channel) {
  return (kind == ParamsKind::parameters ? QStringLiteral("/eos/get/params/")
                                         : QStringLiteral("/eos/get/emitters/")) +
         QString::number(channel);
}

QString patchLabel(qint64 channel) {
  return QStringLiteral("/eos/set/patch/%1/label").arg(channel);
}

}  // namespace tarnik::EosOSCAddress
