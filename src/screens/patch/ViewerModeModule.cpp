#include "screens/patch/ViewerModeModule.h"

#include "screens/kit/PlainLabel.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace tarnik {

ViewerModeModule::ViewerModeModule(QWidget *parent) : QWidget(parent) {
  auto *icon = new QLabel(this);
  icon->setPixmap(symbolPixmap(u"eye"_s, Style::dark(Style::Role::secondaryText), 16));
  QLabel *text = plainLabel(
      u"Viewer mode is on. Fixture details remain available, but controls are read only."_s,
      u"patch.channel.viewerNotice"_s, this);
  text->setWordWrap(true);
  text->setFont(Style::scaledFont(font(), 0.95));
  Style::setTextColor(*text, Style::dark(Style::Role::secondaryText));

  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(16, 16, 16, 16);
  row->setSpacing(8);
  row->addWidget(icon, 0, Qt::AlignTop);
  row->addWidget(text, 1);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ViewerModeModule::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  Style::paintPanel(painter, rect(), 18, Style::cardWash());
}

}  // namespace tarnik
