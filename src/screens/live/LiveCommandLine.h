#pragma once

#include "screens/live/LivePresentation.h"

#include <QWidget>

namespace tarnik {

class LiveSymbolButton;

// The bar under the header: the console's command line (or the active cue) on one line,
// amber when the console gave it, framed in amber while the model lets this program control
// the console and in blue otherwise, and the button that opens the command history.
class LiveCommandLine : public QWidget {
  Q_OBJECT

 public:
  explicit LiveCommandLine(QWidget *parent = nullptr);

  // The control gate, not the bare reachability, chooses the border.
  void refresh(const QString &text, bool hasConsoleFeedback, bool isConsoleReachable);

  const QString &text() const { return text_; }
  const TintedColor &textColor() const { return textColor_; }
  const TintedColor &borderColor() const { return borderColor_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void showHistory();

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QString text_;
  TintedColor textColor_;
  TintedColor borderColor_;
  LiveSymbolButton *history_;
};

}  // namespace tarnik
