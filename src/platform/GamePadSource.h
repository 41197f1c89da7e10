#pragma once

#include <QList>
#include <QString>

namespace tarnik {

// One game controller as it was just read.
struct GamePad {
  qint64 id = 0;  // the same for as long as the controller stays connected
  QString name;   // empty when the controller reports none
  bool isXbox = false;
  float leftStickX = 0;  // -1...1, right positive
  float leftStickY = 0;  // -1...1, up positive
  float leftTrigger = 0;
  bool rightShoulder = false;
  bool buttonB = false;
  bool buttonStart = false;
};

// Whatever reads game controllers; whoever uses them polls it on the GUI thread.
class GamePadSource {
 public:
  virtual ~GamePadSource() = default;
  // The connected controllers, in the platform's order, read now.
  virtual QList<GamePad> poll() = 0;
};

}  // namespace tarnik
