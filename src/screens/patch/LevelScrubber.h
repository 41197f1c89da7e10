#pragma once

#include <QWidget>

#include <functional>

class QPainter;

namespace tarnik {

// The horizontal intensity control: a track the user drags along from 0 to 100, a green fill
// up to the level and a round knob. It owns no level and no dragging flag: both live with its
// owner, read and written through the bindings, so the owner can put the level back (after a
// cancel, a readback) without the scrubber arguing. Every adjustment it starts with begun()
// ends with exactly one committed() or cancelled().
class LevelScrubber : public QWidget {
  Q_OBJECT

 public:
  struct Bindings {
    std::function<double()> value;
    std::function<void(double)> setValue;
    std::function<bool()> isDragging;
    std::function<void(bool)> setDragging;
  };

  explicit LevelScrubber(Bindings bindings, QWidget *parent = nullptr);

  double value() const { return bindings_.value(); }
  // One accessible or keyboard step (+5, -5): begun, the new level, committed at once.
  void adjust(double step);

  // The track and its fill, without the knob, in an area 24 high.
  static void paintTrack(QPainter &painter, const QRectF &area, double value, bool enabled);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void begun();
  void changed(double level);
  void committed(double level);
  void cancelled();

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  void dragTo(double x);
  void endDrag();

  Bindings bindings_;
};

}  // namespace tarnik
