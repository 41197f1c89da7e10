#include "screens/patch/PatchNoteList.h"

#include "screens/kit/SymbolIcons.h"
#include "screens/patch/PatchNoteLook.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace tarnik {

namespace {

using namespace PatchNoteLook;

constexpr int lineGap = 6;

}  // namespace

PatchNoteList::PatchNoteList(const QString &name, QWidget *parent) : QWidget(parent) {
  setObjectName(name);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

PatchNoteList::~PatchNoteList() = default;

void PatchNoteList::setNotes(const QList<PatchNote> &notes,
                             const std::optional<QString> &closingLine) {
  if (notes == notes_ && closingLine == closingLine_) return;
  notes_ = notes;
  closingLine_ = closingLine;
  rebuildLines();
}

void PatchNoteList::rebuildLines() {
  lines_.clear();
  const QFont font = textFont(this->font());
  QTextOption wrapping;
  wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  const auto addLine = [&](const QString &text, const QColor &color, const QPixmap &symbol) {
    auto layout = std::make_unique<QTextLayout>(text, font);
    layout->setTextOption(wrapping);
    lines_.push_back({symbol, color, std::move(layout)});
  };
  // Most notes share one or two symbols; each is drawn once.
  QHash<std::pair<QString, bool>, QPixmap> symbols;
  QStringList spoken;
  for (const PatchNote &note : std::as_const(notes_)) {
    const QColor noteColor = color(note, palette());
    QPixmap &symbol = symbols[std::pair(note.symbolName, note.isWarning)];
    if (symbol.isNull()) symbol = symbolPixmap(note.symbolName, noteColor, symbolSize);
    addLine(note.text, noteColor, symbol);
    spoken.append(note.text);
  }
  if (closingLine_) {
    addLine(*closingLine_, palette().color(QPalette::PlaceholderText), {});
    spoken.append(*closingLine_);
  }
  setAccessibleName(spoken.join(u'\n'));
  laidOutWidth_ = -1;
  updateGeometry();
  update();
}

int PatchNoteList::textWidth(int width) const {
  return std::max(1, width - symbolColumn - symbolGap);
}

int PatchNoteList::layOut(int width) const {
  if (width == laidOutWidth_) return laidOutHeight_;
  const double lineWidth = textWidth(width);
  double top = 0;
  for (const Line &line : lines_) {
    QTextLayout &layout = *line.text;
    layout.beginLayout();
    double height = 0;
    for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
      row.setLineWidth(lineWidth);
      row.setPosition(QPointF(0, height));
      height += row.height();
    }
    layout.endLayout();
    layout.setPosition(QPointF(symbolColumn + symbolGap, top));
    top += std::max<double>(height, line.symbol.isNull() ? 0 : symbolSize) + lineGap;
  }
  laidOutWidth_ = width;
  laidOutHeight_ = lines_.empty() ? 0 : int(std::ceil(top - lineGap));
  return laidOutHeight_;
}

int PatchNoteList::heightForWidth(int width) const { return layOut(width); }

QSize PatchNoteList::sizeHint() const {
  const int width = std::max(this->width(), symbolColumn + symbolGap + 200);
  return {width, layOut(width)};
}

QSize PatchNoteList::minimumSizeHint() const { return {symbolColumn + symbolGap + 40, 0}; }

void PatchNoteList::paintEvent(QPaintEvent *event) {
  QPainter painter(this);
  layOut(width());
  const QRect dirty = event->rect();
  for (const Line &line : lines_) {
    const QRectF box = line.text->boundingRect().translated(line.text->position());
    if (box.top() > dirty.bottom()) break;
    if (box.bottom() < dirty.top()) continue;
    if (!line.symbol.isNull()) {
      // The symbol stands centred on the first line of its text.
      const double firstLine = line.text->lineCount() ? line.text->lineAt(0).height() : 0;
      painter.drawPixmap(QPointF((symbolColumn - symbolSize) / 2.0,
                                 box.top() + std::max(0.0, (firstLine - symbolSize) / 2.0)),
                         line.symbol);
    }
    painter.setPen(line.color);
    line.text->draw(&painter, QPointF());
  }
}

void PatchNoteList::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) rebuildLines();
}

}  // namespace tarnik
