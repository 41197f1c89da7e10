#include "screens/kit/SymbolIcons.h"

#include <QPainter>
#include <QSvgRenderer>

namespace tarnik {

QPixmap symbolPixmap(const QString &symbolName, const QColor &color, int size) {
  QSvgRenderer renderer(QStringLiteral(":/icons/") + symbolName + QStringLiteral(".svg"));
  if (!renderer.isValid() || size <= 0) {
    return {};
  }
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter);
  // The shape's own alpha stays; only its colour is replaced.
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(pixmap.rect(), color);
  return pixmap;
}

QIcon symbolIcon(const QString &symbolName, const QColor &color, const QColor &selectedColor,
                 int size) {
  QIcon icon;
  for (const int scale : {1, 2}) {
    const QPixmap normal = symbolPixmap(symbolName, color, size * scale);
    if (normal.isNull()) {
      return {};
    }
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(symbolPixmap(symbolName, selectedColor, size * scale), QIcon::Selected);
  }
  return icon;
}

}  // namespace tarnik
