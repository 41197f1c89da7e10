#include "screens/patch/FixtureModuleCard.h"

#include "screens/kit/Style.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

FixtureModuleCard::FixtureModuleCard(const QString &title, QWidget *content, QWidget *parent)
    : TitledSection(title, {}, Look::headed, parent), content_(content) {
  if (QLabel *heading = this->heading()) {
    heading->setObjectName(u"fixture.module."_s + title.toLower());
    heading->setFont(Style::scaledFont(font(), 1.1, QFont::DemiBold));
    Style::setTextColor(*heading, Style::dark(Style::Role::primaryText));
  }
  column()->setContentsMargins(16, 16, 16, 16);
  column()->setSpacing(14);
  column()->addWidget(content);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void FixtureModuleCard::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  Style::paintPanel(painter, rect(), 18, Style::cardWash());
}

}  // namespace tarnik
