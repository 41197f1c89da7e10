#pragma once

#include "model/Channel.h"

#include <QWidget>

class QVBoxLayout;

namespace tarnik {

// The content of the "Address" card: the output protocol and sACN priority the console
// reports for the channel, then one row per displayed part. It sends nothing and keeps no
// state; the page hands it the channel record again whenever that changes.
//
// Names: "fixture.address.protocol", "fixture.address.sacnPriority" (the value labels) and
// "fixture.address.part.<n>" for each row, n counted from 1 in display order.
class ChannelAddressModule : public QWidget {
  Q_OBJECT

 public:
  explicit ChannelAddressModule(const Channel &channel, QWidget *parent = nullptr);

  static QString title() { return QStringLiteral("Address"); }
  void setChannel(const Channel &channel);

 private:
  void addLabelledRow(const QString &name, const QString &value, const QString &objectName);
  void addDivider();

  QVBoxLayout *column_;
  std::optional<Channel> shown_;
};

}  // namespace tarnik
