#include "screens/live/CueDetailActionBar.h"

#include "app/AppViewModel.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/live/CueDetailContent.h"
#include "screens/live/CueStyle.h"
#include "screens/live/GoButton.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

namespace {

QLabel *note(const QString &name, const QString &text) {
  QLabel *label = plainLabel(text, name);
  label->setAlignment(Qt::AlignCenter);
  label->setFont(cueFont(label->font(), CueTextStyle::caption));
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

}  // namespace

CueDetailActionBar::CueDetailActionBar(AppViewModel &app, Cue cue, QWidget *parent)
    : QWidget(parent),
      app_(app),
      cue_(std::move(cue)),
      go_(new GoButton),
      offline_(note(u"cues.detail.offline"_s, tr("Offline"))),
      viewerNote_(
          note(u"cues.detail.viewerNote"_s, tr("Viewer mode: cue playback is read-only."))) {
  go_->setObjectName(u"cues.detail.go"_s);
  go_->setMinimumHeight(52);
  go_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
  QLabel *title = plainLabel();
  title->setAlignment(Qt::AlignCenter);
  title->setAttribute(Qt::WA_TransparentForMouseEvents);
  // On a button the inherited role would be the button's text colour.
  title->setForegroundRole(QPalette::WindowText);
  title->setFont(cueFont(font(), CueTextStyle::headline, true));
  QPalette white = title->palette();
  white.setColor(QPalette::WindowText, Style::onColour(Style::Role::success, Style::Ground::light));
  title->setPalette(white);
  auto *face = new QVBoxLayout(go_);
  face->setContentsMargins(16, 6, 16, 6);
  face->addWidget(title);
  connect(go_, &QAbstractButton::clicked, this, [this] { app_.fireCue(cue_, 1); });

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 10, 16, 12);
  layout->setSpacing(6);
  layout->addWidget(go_);
  layout->addWidget(offline_);
  layout->addWidget(viewerNote_);

  const CueDetailActionState state = cueDetailActionState(cue_, false, false, false);
  title->setText(state.goTitle);
  go_->setText(state.goTitle);

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(app_);
  refresh->redrawNow();
}

void CueDetailActionBar::redraw() {
  const bool canControl = app_.canControlFixtures();
  const CueDetailActionState state =
      cueDetailActionState(cue_, app_.interactionMode() == InteractionMode::viewer, canControl,
                           app_.isConsoleReachable());
  viewerNote_->setVisible(state.showsViewerNote);
  go_->setVisible(state.showsGo);
  go_->setEnabled(state.goEnabled);
  offline_->setVisible(state.showsOffline);
  go_->setFillLook(goFillLook(
      cueDetailProgress(cue_, app_.activeCueNumber(), app_.activeCueProgress()), canControl));
}

}  // namespace tarnik
