#include "screens/patch/CatalogRowListView.h"

#include "screens/patch/CatalogRowDelegate.h"

#include <QKeyEvent>

namespace tarnik {

CatalogRowListView::CatalogRowListView(const QString &name, QWidget *parent)
    : QListView(parent), rows_(new CatalogRowListModel(this)) {
  setObjectName(name);
  setModel(rows_);
  setItemDelegate(new CatalogRowDelegate(this));
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setMouseTracking(true);
  // Rows wrap to the list's width, so they are laid out again when it changes; in batches,
  // so thousands of rows never hold the window up at once.
  setResizeMode(QListView::Adjust);
  setLayoutMode(QListView::Batched);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(this, &QAbstractItemView::clicked, this,
          [this](const QModelIndex &index) { emit rowPressed(index.row()); });
}

void CatalogRowListView::keyPressEvent(QKeyEvent *event) {
  const bool press = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                     event->key() == Qt::Key_Space;
  if (press && currentIndex().isValid()) {
    emit rowPressed(currentIndex().row());
    event->accept();
    return;
  }
  QListView::keyPressEvent(event);
}

}  // namespace tarnik
