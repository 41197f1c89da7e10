#include "screens/kit/PlainLabel.h"

#include <QLabel>

namespace tarnik {

QLabel *plainLabel(const QString &text, const QString &objectName, QWidget *parent) {
  auto *label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  if (!objectName.isEmpty()) label->setObjectName(objectName);
  return label;
}

}  // namespace tarnik
