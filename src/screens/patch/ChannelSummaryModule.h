#pragma once

#include "model/Channel.h"

#include <QWidget>

class QLabel;

namespace tarnik {

// The header card of a channel's page: its label, what fixture it is, and the channel
// number, footprint and address as three metrics.
class ChannelSummaryModule : public QWidget {
  Q_OBJECT

 public:
  explicit ChannelSummaryModule(QWidget *parent = nullptr);

  void showChannel(const Channel &channel);

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QLabel *title_;
  QLabel *description_;
  QLabel *number_;
  QLabel *footprint_;
  QLabel *address_;
  QLabel *addressLabel_;
};

}  // namespace tarnik
