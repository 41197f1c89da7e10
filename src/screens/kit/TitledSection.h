#pragma once

#include <QGroupBox>

class QLabel;
class QVBoxLayout;

namespace tarnik {

// One titled section of a page, its title always shown exactly as given (never markup, and
// an "&" never turns into a shortcut). The `framed` look is the platform's group box, its
// title on the frame; the caller lays the content out in it. The `headed` look draws no
// frame: the title is a label over a column the content goes into, for a page that draws
// its sections itself (a grouped list, a card), and has no title label when the title is
// empty.
class TitledSection : public QGroupBox {
  Q_OBJECT

 public:
  enum class Look { framed, headed };

  explicit TitledSection(const QString &title, const QString &objectName = {},
                         Look look = Look::framed, QWidget *parent = nullptr);

  QString title() const { return title_; }
  void setTitle(const QString &title);

  // The headed look's title label and column; null in the framed look.
  QLabel *heading() const { return heading_; }
  QVBoxLayout *column() const { return column_; }

  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  void dropGroupBoxMargins();

  QString title_;
  QLabel *heading_ = nullptr;
  QVBoxLayout *column_ = nullptr;
};

}  // namespace tarnik
