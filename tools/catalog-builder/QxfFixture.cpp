#include "QxfFixture.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <map>

namespace tarnik {
namespace {

QxfChannel readChannelDefinition(QXmlStreamReader &xml) {
  QxfChannel channel;
  channel.name = xml.attributes().value(QStringLiteral("Name")).toString();
  channel.preset = xml.attributes().value(QStringLiteral("Preset")).toString();
  while (xml.readNextStartElement()) {
    if (xml.name() == QStringLiteral("Group")) {
      channel.groupByte = xml.attributes().value(QStringLiteral("Byte")).toInt();
      channel.group = xml.readElementText().trimmed();
    } else if (xml.name() == QStringLiteral("Colour")) {
      channel.colour = xml.readElementText().trimmed();
    } else {
      xml.skipCurrentElement();
    }
  }
  return channel;
}

QList<int> readHead(QXmlStreamReader &xml) {
  QList<int> owned;
  while (xml.readNextStartElement()) {
    if (xml.name() == QStringLiteral("Channel")) {
      owned.append(xml.readElementText().toInt());
    } else {
      xml.skipCurrentElement();
    }
  }
  return owned;
}

QxfMode readMode(QXmlStreamReader &xml) {
  QxfMode mode;
  mode.name = xml.attributes().value(QStringLiteral("Name")).toString().trimmed();
  std::map<int, QString> channelsBySlot;
  while (xml.readNextStartElement()) {
    if (xml.name() == QStringLiteral("Channel")) {
      const int number = xml.attributes().value(QStringLiteral("Number")).toInt();
      channelsBySlot[number] = xml.readElementText();
    } else if (xml.name() == QStringLiteral("Head")) {
      mode.heads.append(readHead(xml));
    } else {
      xml.skipCurrentElement();
    }
  }
  for (auto &[number, name] : channelsBySlot) mode.channels.append(name);
  return mode;
}

}  // namespace

const QxfChannel *QxfFixture::channel(const QString &name) const {
  const auto found = std::find_if(channels.begin(), channels.end(),
                                  [&](const QxfChannel &c) { return c.name == name; });
  return found == channels.end() ? nullptr : &*found;
}

std::expected<QxfFixture, QString> readQxfFixture(const QByteArray &data) {
  QXmlStreamReader xml(data);
  QxfFixture fixture;
  if (!xml.readNextStartElement() || xml.name() != QStringLiteral("FixtureDefinition")) {
    return std::unexpected(QStringLiteral("not a fixture definition"));
  }
  while (xml.readNextStartElement()) {
    if (xml.name() == QStringLiteral("Manufacturer")) {
      fixture.manufacturer = xml.readElementText().trimmed();
    } else if (xml.name() == QStringLiteral("Model")) {
      fixture.model = xml.readElementText().trimmed();
    } else if (xml.name() == QStringLiteral("Channel")) {
      fixture.channels.append(readChannelDefinition(xml));
    } else if (xml.name() == QStringLiteral("Mode")) {
      fixture.modes.append(readMode(xml));
    } else {
      xml.skipCurrentElement();
    }
  }
  if (xml.hasError()) return std::unexpected(xml.errorString());
  if (fixture.manufacturer.isEmpty() || fixture.model.isEmpty()) {
    return std::unexpected(QStringLiteral("no manufacturer or model"));
  }
  return fixture;
}

}  // namespace tarnik
