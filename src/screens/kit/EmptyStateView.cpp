#include "screens/kit/EmptyStateView.h"

#include "screens/kit/SymbolIcons.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnik {

namespace {

constexpr int symbolSize = 44;

QLabel *centredLabel(const QString &objectName) {
  auto *label = new QLabel;
  label->setObjectName(objectName);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignHCenter);
  label->setWordWrap(true);
  return label;
}

}  // namespace

EmptyStateView::EmptyStateView(const QString &name, QWidget *parent)
    : QWidget(parent),
      icon_(centredLabel(name + QStringLiteral(".icon"))),
      title_(centredLabel(name + QStringLiteral(".title"))),
      description_(centredLabel(name + QStringLiteral(".description"))) {
  setObjectName(name);
  QFont titleFont = title_->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
  title_->setFont(titleFont);
  description_->setForegroundRole(QPalette::PlaceholderText);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 24, 24, 24);
  layout->setSpacing(8);
  layout->addStretch(1);
  layout->addWidget(icon_);
  layout->addWidget(title_);
  layout->addWidget(description_);
  layout->addStretch(1);
}

void EmptyStateView::setContent(const QString &symbolName, const QString &title,
                                const QString &description) {
  const QPixmap symbol =
      symbolPixmap(symbolName, palette().color(QPalette::PlaceholderText), symbolSize);
  icon_->setPixmap(symbol);
  icon_->setVisible(!symbol.isNull());
  title_->setText(title);
  description_->setText(description);
  description_->setVisible(!description.isEmpty());
}

void EmptyStateView::setSearchQuery(const QString &query) {
  setContent(QStringLiteral("magnifyingglass"), QStringLiteral("No Results for “%1”").arg(query),
             QStringLiteral("Check the spelling or try a new search."));
}

QPushButton *EmptyStateView::button(const QString &text) {
  if (!button_) {
    button_ = new QPushButton;
    button_->setObjectName(objectName() + QStringLiteral(".button"));
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    // Below the description, above the lower stretch.
    layout->insertWidget(layout->count() - 1, button_, 0, Qt::AlignHCenter);
  }
  button_->setText(text);
  return button_;
}

}  // namespace tarnik
