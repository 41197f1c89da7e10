#include "screens/patch/PatchNoteLabel.h"

#include "screens/kit/PlainLabel.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/patch/PatchEditorSections.h"

#include <QHBoxLayout>
#include <QLabel>

namespace tarnik {

namespace {
constexpr int symbolSize = 14;
}

PatchNoteLabel::PatchNoteLabel(const QString &textName, QWidget *parent)
    : QWidget(parent), symbol_(new QLabel), text_(plainLabel({}, textName)) {
  text_->setWordWrap(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont caption = text_->font();
  caption.setPointSizeF(caption.pointSizeF() * 0.9);
  text_->setFont(caption);
  symbol_->setFixedWidth(symbolSize + 4);
  symbol_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  layout->addWidget(symbol_, 0, Qt::AlignTop);
  layout->addWidget(text_, 1);
}

void PatchNoteLabel::setNote(const PatchNote &note) {
  setNote(note.symbolName, note.text,
          note.isWarning ? Style::light(Style::Role::warning)
                         : palette().color(QPalette::PlaceholderText));
}

void PatchNoteLabel::setNote(const QString &symbolName, const QString &text, const QColor &color) {
  symbol_->setPixmap(symbolPixmap(symbolName, color, symbolSize));
  QPalette colored = text_->palette();
  colored.setColor(QPalette::WindowText, color);
  text_->setPalette(colored);
  text_->setText(text);
}

void PatchNoteLabel::setTextName(const QString &name) { text_->setObjectName(name); }

}  // namespace tarnik
