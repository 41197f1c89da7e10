#pragma once

#include <QList>
#include <QSizeF>

namespace tarnik {

// The measures the key panels share, in points.
namespace KeypadMetrics {
inline constexpr double keySpacing = 4;
inline constexpr double keyHeight = 48;
inline constexpr double softKeyHeight = 47;
inline constexpr double softKeySpacing = 3;
inline constexpr int mainColumns = 6;
inline constexpr int softKeyColumns = 7;
// However narrow a grid panel gets, its columns keep this width.
inline constexpr double minimumColumnWidth = 10;
inline constexpr double panelPadding = 5;
inline constexpr double panelCornerRadius = 9;
inline constexpr double faceCornerRadius = 8;
}  // namespace KeypadMetrics

// The main keypad's cell width for a pad width W: six cells and five gaps share W; nothing
// below zero, and a W that is not a number counts as none.
double keypadCellWidth(double padWidth);
// A key covering span cells and the gaps between them.
double wideKeyWidth(int span, double cellWidth);
// The framed pad: W plus its padding, by six rows, five gaps and the padding.
QSizeF keypadPanelSize(double padWidth);
// The framed panel of the three key rows.
double keyRowPanelHeight();
// A framed grid of this many rows of this height.
double gridPanelHeight(int rows, double rowHeight, double spacing);

// One column of a grid: its left edge from the grid's left, and its width.
struct ColumnSpan {
  double left = 0;
  double width = 0;
  friend bool operator==(const ColumnSpan &, const ColumnSpan &) = default;
};

// Equal columns over a grid width, the gaps between them left out; no column narrower
// than the minimum, whatever the width.
QList<ColumnSpan> equalColumns(double gridWidth, int columns, double spacing);

}  // namespace tarnik
