#include "screens/live/KeyPanelFrame.h"

#include "screens/live/KeyFacePainter.h"
#include "screens/live/KeypadGeometry.h"

#include <QPainter>

#include <cmath>

namespace tarnik {

using KeypadMetrics::panelPadding;

KeyPanelFrame::KeyPanelFrame(QWidget *parent) : QWidget(parent) {}

void KeyPanelFrame::refresh(bool viewer) {
  for (ConsoleKeyButton *key : keys_) key->refresh(viewer);
}

void KeyPanelFrame::addKey(ConsoleKeyButton *key) { keys_.append(key); }

void KeyPanelFrame::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  paintKeyPanel(painter, rect());
}

KeyGridPanel::KeyGridPanel(int columns, double spacing, double rowHeight, QWidget *parent)
    : KeyPanelFrame(parent), columns_(columns), spacing_(spacing), rowHeight_(rowHeight) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int KeyGridPanel::rowCount() const {
  return static_cast<int>((keys().size() + columns_ - 1) / columns_);
}

void KeyGridPanel::fixHeight() {
  setFixedHeight(static_cast<int>(gridPanelHeight(rowCount(), rowHeight_, spacing_)));
}

QSize KeyGridPanel::minimumSizeHint() const {
  const double width =
      columns_ * KeypadMetrics::minimumColumnWidth + (columns_ - 1) * spacing_ + 2 * panelPadding;
  return {static_cast<int>(std::ceil(width)), height()};
}

QSize KeyGridPanel::sizeHint() const { return minimumSizeHint(); }

void KeyGridPanel::resizeEvent(QResizeEvent *) {
  const QList<ColumnSpan> columns = equalColumns(width() - 2 * panelPadding, columns_, spacing_);
  for (qsizetype index = 0; index < keys().size(); ++index) {
    const ColumnSpan &column = columns.at(index % columns_);
    const int left = static_cast<int>(std::lround(panelPadding + column.left));
    const int right = static_cast<int>(std::lround(panelPadding + column.left + column.width));
    const double top =
        panelPadding + static_cast<double>(index / columns_) * (rowHeight_ + spacing_);
    keys().at(index)->setGeometry(left, static_cast<int>(std::lround(top)), right - left,
                                  static_cast<int>(rowHeight_));
  }
}

}  // namespace tarnik
