#include "screens/patch/FixtureModuleCard.h"

#include "screens/kit/Style.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

FixtureModuleCard::FixtureModuleCard(const QString &title, QWidget *content, QWidget *parent)
    : QWidget(parent), content_(content) {
  auto *heading = new QLabel(title, this);
  heading->setObjectName(u"fixture.module."_s + title.toLower());
  heading->setTextFormat(Qt::PlainText);
  heading->setFont(Style::scaledFont(font(), 1.1, QFont::DemiBold));
  Style::setTextColor(*heading, Style::dark(Style::Role::primaryText));

  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(16, 16, 16, 16);
  column->setSpacing(14);
  column->addWidget(heading);
  column->addWidget(content);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void FixtureModuleCard::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  Style::paintPanel(painter, rect(), 18, Style::cardWash());
}

}  // namespace tarnik
