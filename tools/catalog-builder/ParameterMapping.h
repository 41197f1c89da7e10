#pragma once

#include "QxfFixture.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <expected>
#include <optional>

namespace tarnik {

// Which console parameter a fixture-definition channel drives, whether it is the
// parameter's fine (second) byte, and which rule of parameter-mapping.json said so.
struct ChannelRole {
  QString parameter;
  bool fine = false;
  QString rule;
};

class ParameterMapping {
 public:
  struct Parameter {
    quint32 id = 0;
    QString name;
    quint32 categoryID = 0;
    QString categoryName;
  };

  static std::expected<ParameterMapping, QString> fromJson(const QByteArray &json);

  const QList<Parameter> &parameters() const { return parameters_; }
  quint32 parameterID(const QString &name) const { return idByName_.value(name); }

  // Presets first; otherwise the group's rules in order, the first whose pattern finds
  // the lower-cased channel name deciding. No role: the channel is left out.
  std::optional<ChannelRole> roleOf(const QxfChannel &channel) const;

 private:
  struct GroupRule {
    QString pattern;
    QRegularExpression name;           // an empty pattern finds any channel name
    std::optional<QString> parameter;  // none: not mapped
    bool byColour = false;             // the channel's <Colour>, when it names one
  };

  QList<Parameter> parameters_;
  QHash<QString, quint32> idByName_;
  QHash<QString, QString> presets_;
  QHash<QString, QString> finePresets_;
  QHash<QString, QString> colours_;
  QHash<QString, QList<GroupRule>> groups_;
};

}  // namespace tarnik
