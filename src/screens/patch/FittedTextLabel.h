#pragma once

#include "screens/kit/FitTextPainter.h"

#include <QLabel>

namespace tarnik {

// A plain-text label that wraps onto at most a given number of lines and shrinks its font,
// down to a minimum scale, before it cuts what still does not fit with "…". It is as tall as
// the lines it shows and asks for no more width than it is given, so a long name neither
// grows its card without end nor widens the page. text() stays the whole text, which is
// also what assistive technology reads.
class FittedTextLabel : public QLabel {
  Q_OBJECT

 public:
  FittedTextLabel(int maximumLines, double minimumScale, QWidget *parent = nullptr);

  // A line count no text reaches: the label wraps its text onto as many lines as it takes,
  // a console's text bounded beforehand (`screenBoundedText`).
  static constexpr int anyLines = 1 << 20;

  // The text as it is drawn at the label's present width.
  FittedText fitted() const;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  FittedText fittedAt(double width) const;
  // The box the lines are fitted into: the most lines the label may show, at its own font.
  double boxHeight() const;

  const int maximumLines_;
  const double minimumScale_;
};

}  // namespace tarnik
