#pragma once

#include "screens/patch/LevelScrubber.h"

#include <QWidget>

class QLabel;

namespace tarnik {

// The "Control" card of a channel's intensity: a caption saying where the level comes from,
// the level in percent (green while it can change the console), and the scrubber.
class ChannelControlModule : public QWidget {
  Q_OBJECT

 public:
  explicit ChannelControlModule(LevelScrubber::Bindings bindings, QWidget *parent = nullptr);

  LevelScrubber *scrubber() const { return scrubber_; }
  void showState(double intensity, bool isConnected, bool isAdjusting, bool isAwaitingReadback);

 private:
  QLabel *caption_;
  QLabel *value_;
  LevelScrubber *scrubber_;
};

}  // namespace tarnik
