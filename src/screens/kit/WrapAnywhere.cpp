#include "screens/kit/WrapAnywhere.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <cmath>

namespace tarnik {

namespace {

QString withoutTrailingBlanks(QString line) {
  qsizetype end = line.size();
  while (end > 0 && line.at(end - 1).isSpace()) --end;
  line.truncate(end);
  return line;
}

}  // namespace

QStringList wrapAnywhere(const QString &text, const QFont &font, double width) {
  QStringList lines;
  if (text.isEmpty() || width <= 0) return lines;
  QTextOption option(Qt::AlignLeft);
  option.setWrapMode(wrapAnywhereMode);
  for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
    if (paragraph.isEmpty()) {
      lines.append(QString());
      continue;
    }
    QTextLayout layout(paragraph, font);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      // The blanks a line breaks at hang past its end and take no room.
      lines.append(withoutTrailingBlanks(paragraph.mid(line.textStart(), line.textLength())));
    }
    layout.endLayout();
  }
  return lines;
}

int reservedLineCount(const QFont &font, int characters, double width) {
  if (characters <= 0 || width <= 0) return 0;
  // Breaking between words leaves part of each line empty: one more line covers it.
  const double advance = QFontMetricsF(font).averageCharWidth() * characters;
  return static_cast<int>(std::ceil(advance / width)) + 1;
}

}  // namespace tarnik
