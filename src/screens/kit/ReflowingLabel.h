#pragma once

#include <QLabel>

namespace tarnik {

// A plain-text label that keeps a full text and shows it laid out afresh, as lines, whenever
// the text, the label's width or its font changes. The full text is its accessible name,
// however the lines break it; a subclass says which lines a width gives.
class ReflowingLabel : public QLabel {
  Q_OBJECT

 public:
  void setFullText(const QString &text);
  const QString &fullText() const { return fullText_; }

 protected:
  explicit ReflowingLabel(QWidget *parent);

  // The lines shown for a text this wide.
  virtual QStringList linesAt(double width) const = 0;
  // The full text has changed to this one.
  virtual void fullTextChanged(const QString &) {}
  // Lays the lines out again after a change of the measure only the subclass knows.
  void reflow();

  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  QString fullText_;
};

}  // namespace tarnik
