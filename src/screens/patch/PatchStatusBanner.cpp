#include "screens/patch/PatchStatusBanner.h"

#include "screens/kit/PlainLabel.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {
const QColor warningOrange = Style::light(Style::Role::warning);
constexpr int symbolSize = 16;
}  // namespace

PatchStatusBanner::PatchStatusBanner(QWidget *parent)
    : QWidget(parent),
      icon_(new QLabel),
      progress_(new QProgressBar),
      text_(plainLabel({}, u"patch.banner.text"_s)) {
  setObjectName(u"patch.banner"_s);
  icon_->setObjectName(u"patch.banner.icon"_s);
  progress_->setObjectName(u"patch.banner.progress"_s);
  // A busy bar, small enough to stand in for a spinner.
  progress_->setRange(0, 0);
  progress_->setTextVisible(false);
  progress_->setFixedSize(36, 10);
  text_->setWordWrap(true);
  text_->setForegroundRole(QPalette::PlaceholderText);
  QFont font = text_->font();
  font.setPointSizeF(font.pointSizeF() * 0.93);
  text_->setFont(font);

  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(12, 2, 12, 2);
  layout->setSpacing(10);
  layout->addWidget(icon_);
  layout->addWidget(progress_);
  layout->addWidget(text_, 1);
}

void PatchStatusBanner::setContent(const PatchBannerContent &content) {
  using Kind = PatchBannerContent::Kind;
  const bool syncing = content.kind == Kind::syncing;
  progress_->setVisible(syncing);
  icon_->setVisible(!syncing);
  if (!syncing) {
    icon_->setPixmap(symbolPixmap(
        content.kind == Kind::offline ? u"wifi.slash"_s : u"exclamationmark.triangle"_s,
        warningOrange, symbolSize));
  }
  switch (content.kind) {
    case Kind::syncing:
      text_->setText(u"Syncing patch"_s);
      break;
    case Kind::offline:
      text_->setText(u"Offline — showing cached patch"_s);
      break;
    case Kind::attention:
      text_->setText(content.text);
      break;
  }
}

}  // namespace tarnik
