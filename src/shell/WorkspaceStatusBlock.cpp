#include "shell/WorkspaceStatusBlock.h"

#include "app/AppViewModel.h"
#include "foundation/TextRules.h"
#include "link/TarnikRelayServer.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnik {

namespace {

constexpr int captionDot = 10;

}  // namespace

WorkspaceStatusBlock::WorkspaceStatusBlock(AppViewModel &app, TarnikRelayServer &relay,
                                           QWidget *parent)
    : QWidget(parent),
      app_(app),
      relay_(relay),
      consoleDot_(new QLabel),
      console_(plainLabel({}, QStringLiteral("workspace.status.console"))),
      relayLine_(plainLabel({}, QStringLiteral("workspace.status.relay"))) {
  setFont(Style::captionFont(font()));
  consoleDot_->setObjectName(QStringLiteral("workspace.status.consoleSymbol"));

  auto *consoleRow = new QHBoxLayout;
  consoleRow->setSpacing(6);
  consoleRow->addWidget(consoleDot_);
  consoleRow->addWidget(console_, 1);

  auto *layout = new QVBoxLayout(this);
  // In line with the sidebar rows above it.
  layout->setContentsMargins(3, 8, 3, 8);
  layout->setSpacing(6);
  layout->addLayout(consoleRow);
  layout->addWidget(relayLine_);

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(app_);
  refresh->observe(relay_);
  refresh->redrawNow();
}

void WorkspaceStatusBlock::redraw() {
  const bool reachable = app_.isConsoleReachable();
  console_->setText(reachable ? tr("Eos responding") : tr("Eos offline"));
  if (drawnReachable_ != reachable) {
    const QColor dot =
        reachable ? Style::light(Style::Role::success) : palette().color(QPalette::PlaceholderText);
    consoleDot_->setPixmap(symbolPixmap(QStringLiteral("circle.fill"), dot, captionDot));
    QPalette textColours = console_->palette();
    textColours.setColor(QPalette::WindowText, dot);
    console_->setPalette(textColours);
    drawnReachable_ = reachable;
  }
  relayLine_->setText(relay_.isRunning()
                          ? QStringLiteral("Relay on · ") + countedText(relay_.clientCount(),
                                                                        QStringLiteral("session"),
                                                                        QStringLiteral("sessions"))
                          : tr("Phone relay off"));
}

}  // namespace tarnik
