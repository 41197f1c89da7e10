#pragma once

#include "screens/live/KeyTables.h"

#include <QAbstractButton>

class QPainter;

#include <functional>
#include <optional>

namespace tarnik {

// What a key hands on when it is pressed: its console key name, if it has one, and the
// viewer flag it was last refreshed with (LiveView::pressKey).
using KeyPress = std::function<void(const std::optional<QString> &key, bool viewer)>;

// What every key of the Live screen shares, whatever its face: the key it sends, the
// viewer flag of the last refresh, and what a screen reader is told. The title is painted
// by the face and never given to setText, so a console label is never read as a mnemonic
// or markup. Keys stay the same objects for the screen's life; a refresh changes them in
// place.
class ConsoleKeyButton : public QAbstractButton {
  Q_OBJECT

 public:
  const QString &title() const { return title_; }
  void setTitle(const QString &title);
  const std::optional<QString> &key() const { return key_; }
  bool isViewer() const { return viewer_; }
  // Takes the screen's current mode: viewer mode disables the key, dims its face and
  // changes its hint.
  void refresh(bool viewer);

 protected:
  ConsoleKeyButton(const KeypadCell &cell, KeyPress press, QWidget *parent);
  // The face, in the widget's whole rectangle.
  virtual void paintFace(QPainter &painter) = 0;
  // Around the face, only what a plain platform button shows: dimming while held, and the
  // focus frame when the keyboard has moved to the key.
  void paintEvent(QPaintEvent *event) final;

 private:
  void showMode(bool viewer);

  QString title_;
  const std::optional<QString> key_;
  bool viewer_ = false;
};

}  // namespace tarnik
