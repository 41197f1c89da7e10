#pragma once

#include <QAbstractButton>
#include <QColor>

#include <optional>

namespace tarnik {

// An icon-only button of the Live page: one symbol centred in a 44 × 44 square, the whole
// square answering clicks, and where it tells a state, a small ringed dot on the symbol's
// bottom-trailing corner.
class LiveSymbolButton : public QAbstractButton {
  Q_OBJECT

 public:
  LiveSymbolButton(const QString &objectName, int symbolSize, QWidget *parent = nullptr);

  void setSymbol(const QString &symbolName, const QColor &color);
  void setDot(const std::optional<QColor> &color);
  const QString &symbolName() const { return symbolName_; }
  const QColor &symbolColor() const { return symbolColor_; }
  const std::optional<QColor> &dotColor() const { return dotColor_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  const int symbolSize_;
  QString symbolName_;
  QColor symbolColor_;
  std::optional<QColor> dotColor_;
};

}  // namespace tarnik
