#include "screens/kit/SymbolIcons.h"

#include "screens/kit/Style.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace tarnik {

QPixmap symbolPixmap(const QString &symbolName, const QColor &color, int size) {
  // A name the screens use before its SVG is bundled draws nothing, and quietly: the
  // renderer would warn on every redraw.
  const QString path = QStringLiteral(":/icons/") + symbolName + QStringLiteral(".svg");
  if (size <= 0 || !QFile::exists(path)) {
    return {};
  }
  QSvgRenderer renderer(path);
  if (!renderer.isValid()) {
    return {};
  }
  QPixmap pixmap(size, size);
  pixmap.fill(Style::clear);
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
