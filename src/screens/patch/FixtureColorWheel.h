#pragma once

#include "screens/patch/ColorWheelDrag.h"

#include <QWidget>

#include <algorithm>

namespace tarnik {

// The round hue and saturation picker: hue around the disc, clockwise from the right, and
// saturation from white at the centre to the pure hue at the rim, with a knob in the current
// colour. It owns only its dragging flag; the colour lives with its owner, so the wheel, the
// card's sliders and the console's readback always show the same one. A drag starts only
// inside the circle and may go on outside it. It keeps a square shape.
class FixtureColorWheel : public QWidget {
  Q_OBJECT

 public:
  struct Bindings {
    std::function<FixtureColorValue()> color;
    std::function<void(FixtureColorValue)> setColor;
  };

  explicit FixtureColorWheel(Bindings bindings, QWidget *parent = nullptr);

  FixtureColorValue color() const { return bindings_.color(); }

  bool hasHeightForWidth() const override { return true; }
  // A layout asks with the width of its whole row, which the wheel may not take: the row is
  // as tall as the wheel will really be wide, plus two lines of room. When a card elsewhere
  // on the page grows, the page first lays its cards out once in its old height; that room,
  // not the disc under the pointer, is what gives.
  int heightForWidth(int width) const override {
    return std::min(width, maximumWidth() + 2 * fontMetrics().height());
  }
  QSize sizeHint() const override { return {260, 260}; }
  QSize minimumSizeHint() const override { return {120, 120}; }

 signals:
  void started();
  void changed(double hue, double saturation);
  void committed(double hue, double saturation);

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  ColorWheelGeometry::Disc disc() const;

  Bindings bindings_;
  ColorWheelDrag drag_;
};

}  // namespace tarnik
