#include "screens/kit/TitledSection.h"

#include "screens/kit/PlainLabel.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnik {

namespace {

// A group box reads "&" in its title as a shortcut mark; doubled, it is drawn as itself.
QString literalGroupBoxTitle(QString title) { return title.replace(u'&', QStringLiteral("&&")); }

}  // namespace

TitledSection::TitledSection(const QString &title, const QString &objectName, Look look,
                             QWidget *parent)
    : QGroupBox(parent), title_(title) {
  setObjectName(objectName);
  if (look == Look::framed) {
    QGroupBox::setTitle(literalGroupBoxTitle(title));
    return;
  }
  setAccessibleName(title);
  column_ = new QVBoxLayout(this);
  dropGroupBoxMargins();
  if (title.isEmpty()) return;
  heading_ = plainLabel(title);
  column_->addWidget(heading_);
}

void TitledSection::setTitle(const QString &title) {
  title_ = title;
  if (heading_) {
    heading_->setText(title);
    setAccessibleName(title);
  } else if (!column_) {
    QGroupBox::setTitle(literalGroupBoxTitle(title));
  }
}

QSize TitledSection::minimumSizeHint() const {
  // The group box would keep room for a frame and a title line of its own.
  return column_ ? QWidget::minimumSizeHint() : QGroupBox::minimumSizeHint();
}

void TitledSection::paintEvent(QPaintEvent *event) {
  if (!column_) QGroupBox::paintEvent(event);
}

void TitledSection::changeEvent(QEvent *event) {
  QGroupBox::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
    dropGroupBoxMargins();
}

// The group box sets room for its frame again whenever its font or style changes; the
// headed look draws no frame, so its column starts at its edge.
void TitledSection::dropGroupBoxMargins() {
  if (column_) setContentsMargins(0, 0, 0, 0);
}

}  // namespace tarnik
