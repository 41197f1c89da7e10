#pragma once

#include <QString>
#include <QWidget>

#include <chrono>

class QVariantAnimation;

namespace tarnik {

// A one-line text that slides like a slot reel when it changes: the new text rises in from
// below, fading in, while the old one leaves upwards, fading out, on the slot spring. With
// changedDigits, only the characters that differ roll (a number going from 12 to 13 rolls
// its last digit); a change of length rolls the whole text. The text is shown verbatim and
// cut with "…" when it does not fit.
class SlotLabel : public QWidget {
  Q_OBJECT

 public:
  enum class Roll { wholeText, changedDigits };

  explicit SlotLabel(const QString &name, Roll roll = Roll::wholeText, QWidget *parent = nullptr);

  const QString &text() const { return text_; }
  void setText(const QString &text);
  bool isSliding() const;

  // How long a slide takes, for every slot label; tests set 0 to see each change at once.
  static void setSlideDuration(std::chrono::milliseconds duration);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  Roll roll_;
  QString text_;
  QString leaving_;
  double position_ = 1.0;  // of the spring: 0 as a change starts, 1 at rest
  QVariantAnimation *slide_;
};

}  // namespace tarnik
