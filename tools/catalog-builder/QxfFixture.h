#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <expected>

namespace tarnik {

// What the catalogs need of one open fixture definition (.qxf): who makes it, its channel
// definitions and its modes with their channel order and heads.
struct QxfChannel {
  QString name;
  QString preset;  // newer definitions name the channel's role here
  QString group;   // older ones give a group, a byte (0 coarse, 1 fine) and maybe a colour
  int groupByte = 0;
  QString colour;
};

struct QxfMode {
  QString name;
  QList<QString> channels;  // channel names by slot, slot 1 first
  QList<QList<int>> heads;  // per head, the 0-based slots it owns
};

struct QxfFixture {
  QString manufacturer;
  QString model;
  QList<QxfChannel> channels;
  QList<QxfMode> modes;

  const QxfChannel *channel(const QString &name) const;
};

std::expected<QxfFixture, QString> readQxfFixture(const QByteArray &xml);

}  // namespace tarnik
