#include "screens/live/KeypadGeometry.h"

#include <algorithm>
#include <cmath>

namespace tarnik {

using namespace KeypadMetrics;

double keypadCellWidth(double padWidth) {
  const double width = (padWidth - (mainColumns - 1) * keySpacing) / mainColumns;
  return std::isnan(width) ? 0 : std::max(0.0, width);
}

double wideKeyWidth(int span, double cellWidth) {
  return span * cellWidth + (span - 1) * keySpacing;
}

QSizeF keypadPanelSize(double padWidth) {
  return {padWidth + 2 * panelPadding, gridPanelHeight(6, keyHeight, keySpacing)};
}

double keyRowPanelHeight() { return gridPanelHeight(3, keyHeight, keySpacing); }

double gridPanelHeight(int rows, double rowHeight, double spacing) {
  return rows * rowHeight + (rows - 1) * spacing + 2 * panelPadding;
}

QList<ColumnSpan> equalColumns(double gridWidth, int columns, double spacing) {
  const double share = (gridWidth - (columns - 1) * spacing) / columns;
  const double width = std::isnan(share) ? minimumColumnWidth : std::max(minimumColumnWidth, share);
  QList<ColumnSpan> spans;
  for (int column = 0; column < columns; ++column) {
    spans.append({column * (width + spacing), width});
  }
  return spans;
}

}  // namespace tarnik
