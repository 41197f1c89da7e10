#pragma once

#include <QColor>
#include <QFont>

class QLabel;
class QPainter;
class QRectF;

namespace tarnik {

// The look the channel page's cards share: light text on black, a secondary grey, the green
// of a control that can change the console now, and the translucent rounded panel.
namespace ChannelDetailStyle {

inline const QColor pageBackground(0, 0, 0);
inline const QColor primaryText(255, 255, 255);
inline const QColor secondaryText(152, 152, 159);
inline const QColor controlGreen(48, 209, 88);
inline const QColor summaryBackground(28, 28, 30);
inline const QColor panelBackground(255, 255, 255, 26);

// A label's font scaled from the application's, with a weight.
QFont scaledFont(const QFont &base, double scale, QFont::Weight weight = QFont::Normal);
void setTextColor(QLabel &label, const QColor &color);
// A rounded panel filling `rect`.
void paintPanel(QPainter &painter, const QRectF &rect, double radius, const QColor &color);

}  // namespace ChannelDetailStyle

}  // namespace tarnik
