#pragma once

#include <QLabel>

namespace tarnik {

// A one-line plain-text label that never clips a glyph: a text wider than the label ends
// in "…", and the whole text stays its tooltip and accessible name. It asks for the whole
// text's width but may be squeezed to nothing, so a long name never widens its page.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(const QString &text = {}, QWidget *parent = nullptr);

  void setFullText(const QString &text);
  const QString &fullText() const { return fullText_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  void elide();

  QString fullText_;
};

}  // namespace tarnik
