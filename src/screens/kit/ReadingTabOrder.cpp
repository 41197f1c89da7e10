#include "screens/kit/ReadingTabOrder.h"

#include <QLayout>
#include <QList>
#include <QWidget>

namespace tarnik {

namespace {

void appendLayout(const QLayout &layout, QList<QWidget *> &order);

void appendWidget(QWidget &widget, QList<QWidget *> &order) {
  if (widget.focusPolicy() & Qt::TabFocus) {
    order.append(&widget);
  }
  if (const QLayout *layout = widget.layout()) {
    appendLayout(*layout, order);
  }
}

void appendLayout(const QLayout &layout, QList<QWidget *> &order) {
  for (int index = 0; index < layout.count(); ++index) {
    QLayoutItem *item = layout.itemAt(index);
    if (QWidget *widget = item->widget()) {
      appendWidget(*widget, order);
    } else if (const QLayout *inner = item->layout()) {
      appendLayout(*inner, order);
    }
  }
}

}  // namespace

void setReadingTabOrder(QWidget &root) {
  QList<QWidget *> order;
  appendWidget(root, order);
  for (qsizetype index = 1; index < order.size(); ++index) {
    QWidget::setTabOrder(order[index - 1], order[index]);
  }
}

}  // namespace tarnik
