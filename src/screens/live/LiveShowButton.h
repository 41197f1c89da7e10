#pragma once

#include <QAbstractButton>

namespace tarnik {

// The header's middle button: the show's name on one line, shrunk to three quarters of its
// size at most and then cut, followed by a small chevron.
class LiveShowButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit LiveShowButton(QWidget *parent = nullptr);

  // Shown verbatim; never given to setText, so nothing reads it as a mnemonic.
  void setShowName(const QString &name);
  const QString &showName() const { return showName_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QFont nameFont() const;

  QString showName_;
};

}  // namespace tarnik
