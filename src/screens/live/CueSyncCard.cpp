#include "screens/live/CueSyncCard.h"

#include "app/AppViewModel.h"
#include "screens/kit/ElidedLabel.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/live/CueStyle.h"
#include "screens/live/CueSyncTexts.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tarnik {

namespace {

void setTextColour(QLabel &label, const QColor &colour) {
  QPalette palette = label.palette();
  palette.setColor(QPalette::WindowText, colour);
  label.setPalette(palette);
}

}  // namespace

CueSyncCard::CueSyncCard(const AppViewModel &app, QWidget *parent)
    : QWidget(parent),
      app_(app),
      icon_(plainLabel({}, QStringLiteral("cues.sync.icon"))),
      showName_(new ElidedLabel),
      spinner_(new QProgressBar),
      count_(plainLabel({}, QStringLiteral("cues.sync.count"))),
      status_(plainLabel({}, QStringLiteral("cues.sync.status"))) {
  // At most two lines of the name, cut with "…" after the second; the row's free width is
  // the name's, the spinner keeps only its own.
  showName_->setObjectName(QStringLiteral("cues.sync.showName"));
  showName_->setFont(cueFont(font(), CueTextStyle::subheadline, true));
  showName_->setLineCount(2);
  showName_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

  // A busy bar: no range, no text.
  spinner_->setObjectName(QStringLiteral("cues.sync.spinner"));
  spinner_->setRange(0, 0);
  spinner_->setTextVisible(false);
  spinner_->setFixedWidth(48);

  auto *top = new QHBoxLayout;
  top->setSpacing(10);
  top->addWidget(icon_, 0, Qt::AlignTop);
  top->addWidget(showName_, 1, Qt::AlignTop);
  top->addWidget(spinner_, 0, Qt::AlignTop);

  const QFont caption = cueFont(font(), CueTextStyle::caption);
  for (QLabel *label : {count_, status_}) {
    label->setFont(caption);
    label->setForegroundRole(QPalette::PlaceholderText);
  }
  auto *bottom = new QHBoxLayout;
  bottom->addWidget(count_, 0, Qt::AlignVCenter);
  bottom->addStretch(1);
  bottom->addWidget(status_, 0, Qt::AlignVCenter);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(10);
  layout->addLayout(top);
  layout->addLayout(bottom);

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(app_);
  refresh->redrawNow();
}

void CueSyncCard::redraw() {
  const bool reachable = app_.isConsoleReachable();
  if (drawnReachable_ != reachable) {
    const int iconSize = QFontMetrics(cueFont(font(), CueTextStyle::title3)).height();
    icon_->setPixmap(reachable ? symbolPixmap(QStringLiteral("checkmark.circle.fill"),
                                              Style::light(Style::Role::success), iconSize)
                               : symbolPixmap(QStringLiteral("wifi.slash"),
                                              Style::light(Style::Role::warning), iconSize));
    if (reachable) {
      setTextColour(*showName_, Style::light(Style::Role::success));
    } else {
      showName_->setPalette(palette());
    }
    drawnReachable_ = reachable;
  }
  showName_->setFullText(cueSyncShowName(app_.showFileName()));
  spinner_->setVisible(app_.isLoadingCues());
  count_->setText(cueCountText(app_.cues().size()));
  status_->setText(cueSyncStatusText(reachable, app_.dataStatusMessage(), app_.lastConnectedAt(),
                                     app_.reconnectFailureStatus()));
}

}  // namespace tarnik
