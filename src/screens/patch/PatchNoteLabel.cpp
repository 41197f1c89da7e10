#include "screens/patch/PatchNoteLabel.h"

#include "screens/kit/PlainLabel.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/patch/PatchEditorSections.h"
#include "screens/patch/PatchNoteLook.h"

#include <QHBoxLayout>
#include <QLabel>

namespace tarnik {

using namespace PatchNoteLook;

PatchNoteLabel::PatchNoteLabel(const QString &textName, QWidget *parent)
    : QWidget(parent), symbol_(new QLabel), text_(plainLabel({}, textName)) {
  text_->setWordWrap(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text_->setFont(textFont(text_->font()));
  symbol_->setFixedWidth(symbolColumn);
  symbol_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(symbolGap);
  layout->addWidget(symbol_, 0, Qt::AlignTop);
  layout->addWidget(text_, 1);
}

void PatchNoteLabel::setNote(const PatchNote &note) {
  setNote(note.symbolName, note.text, color(note, palette()));
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
