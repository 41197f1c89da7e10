#include "ParameterMapping.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarnik {
namespace {

// In a group rule, the parameter named by the channel's <Colour> instead of a fixed one.
const QString byColourMarker = QStringLiteral("(colour)");

}  // namespace

std::expected<ParameterMapping, QString> ParameterMapping::fromJson(const QByteArray &json) {
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
  if (!document.isObject()) return std::unexpected(parseError.errorString());
  const QJsonObject root = document.object();

  ParameterMapping mapping;
  QHash<int, QString> categories;
  for (const QJsonValue category : root.value(QStringLiteral("categories")).toArray()) {
    categories.insert(category[QStringLiteral("id")].toInt(),
                      category[QStringLiteral("name")].toString());
  }
  for (const QJsonValue entry : root.value(QStringLiteral("parameters")).toArray()) {
    const int category = entry[QStringLiteral("category")].toInt();
    Parameter parameter{quint32(entry[QStringLiteral("id")].toInt()),
                        entry[QStringLiteral("name")].toString(), quint32(category),
                        categories.value(category)};
    if (parameter.name.isEmpty() || !categories.contains(category) ||
        mapping.idByName_.contains(parameter.name)) {
      return std::unexpected(QStringLiteral("bad parameter ") + parameter.name);
    }
    mapping.idByName_.insert(parameter.name, parameter.id);
    mapping.parameters_.append(parameter);
  }

  const auto readNames = [&mapping](const QJsonObject &object,
                                    QHash<QString, QString> &into) -> std::optional<QString> {
    for (auto entry = object.begin(); entry != object.end(); ++entry) {
      const QString parameter = entry.value().toString();
      if (!mapping.idByName_.contains(parameter)) return entry.key();
      into.insert(entry.key(), parameter);
    }
    return std::nullopt;
  };
  for (const auto &[key, table] : {std::pair{QStringLiteral("presets"), &mapping.presets_},
                                   std::pair{QStringLiteral("finePresets"), &mapping.finePresets_},
                                   std::pair{QStringLiteral("colours"), &mapping.colours_}}) {
    if (const auto unknown = readNames(root.value(QStringView(key)).toObject(), *table)) {
      return std::unexpected(QStringLiteral("unknown parameter for ") + *unknown);
    }
  }

  const QJsonObject groups = root.value(QStringLiteral("groups")).toObject();
  for (auto group = groups.begin(); group != groups.end(); ++group) {
    QList<GroupRule> rules;
    for (const QJsonValue rule : group.value().toArray()) {
      GroupRule parsed{rule[0].toString(), QRegularExpression(rule[0].toString()), std::nullopt};
      if (!parsed.name.isValid())
        return std::unexpected(QStringLiteral("bad pattern ") + parsed.pattern);
      if (rule[1].toString() == byColourMarker) {
        parsed.byColour = true;
      } else if (!rule[1].isNull()) {
        parsed.parameter = rule[1].toString();
        if (!mapping.idByName_.contains(*parsed.parameter))
          return std::unexpected(QStringLiteral("unknown parameter for ") + group.key());
      }
      rules.append(parsed);
    }
    mapping.groups_.insert(group.key(), rules);
  }
  return mapping;
}

std::optional<ChannelRole> ParameterMapping::roleOf(const QxfChannel &channel) const {
  if (!channel.preset.isEmpty()) {
    const QString rule = QStringLiteral("preset ") + channel.preset;
    if (const auto coarse = presets_.constFind(channel.preset); coarse != presets_.constEnd()) {
      return ChannelRole{coarse.value(), false, rule};
    }
    if (const auto fine = finePresets_.constFind(channel.preset); fine != finePresets_.constEnd()) {
      return ChannelRole{fine.value(), true, rule};
    }
    return std::nullopt;
  }
  const bool fine = channel.groupByte == 1;
  const QString name = channel.name.toLower();
  for (const GroupRule &rule : groups_.value(channel.group)) {
    if (rule.byColour && channel.colour.isEmpty()) continue;
    if (!rule.name.match(name).hasMatch()) continue;
    const QString label = channel.group + QStringLiteral(" /") + rule.pattern + u'/';
    if (rule.byColour) {
      const auto colour = colours_.constFind(channel.colour);
      if (colour == colours_.constEnd()) return std::nullopt;
      return ChannelRole{colour.value(), fine, label + QStringLiteral(" colour ") + channel.colour};
    }
    if (!rule.parameter) return std::nullopt;
    return ChannelRole{*rule.parameter, fine, label};
  }
  return std::nullopt;
}

}  // namespace tarnik
