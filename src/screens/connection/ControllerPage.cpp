#include "screens/connection/ControllerPage.h"

#include "app/AppViewModel.h"
#include "operations/MoverController.h"
#include "screens/connection/WorkspacePairing.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/TitledSection.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tarnik {

namespace {

const QString sessionStopped = QStringLiteral("Disconnected; movement disarmed.");

QLabel *valueLabel(const QString &objectName) {
  QLabel *label = plainLabel({}, objectName);
  label->setWordWrap(true);
  return label;
}

QLabel *instruction(const QString &text) {
  QLabel *label = plainLabel(text);
  label->setWordWrap(true);
  return label;
}

}  // namespace

ControllerPage::ControllerPage(WorkspaceContext &context, QWidget *parent)
    : QWidget(parent),
      context_(context),
      boardUser_(new QSpinBox),
      controller_(valueLabel(QStringLiteral("controller.name"))),
      selection_(valueLabel(QStringLiteral("controller.selection"))),
      status_(valueLabel(QStringLiteral("controller.status"))),
      connect_(new QPushButton(QStringLiteral("Connect to board user"))),
      disconnect_(new QPushButton(QStringLiteral("Disconnect"))),
      arm_(new QPushButton) {
  setObjectName(QStringLiteral("controller"));

  boardUser_->setObjectName(QStringLiteral("controller.boardUser"));
  boardUser_->setPrefix(QStringLiteral("Eos board user: "));
  boardUser_->setRange(1, 99);
  boardUser_->setSingleStep(1);
  boardUser_->setValue(static_cast<int>(context_.state.boardUser));
  connect_->setObjectName(QStringLiteral("controller.connect"));
  disconnect_->setObjectName(QStringLiteral("controller.disconnect"));
  arm_->setObjectName(QStringLiteral("controller.arm"));
  arm_->setDefault(true);  // the prominent one

  auto *selectionSection = new TitledSection(QStringLiteral("Board selection"));
  auto *rows = new QFormLayout;
  rows->addRow(QStringLiteral("Controller"), controller_);
  rows->addRow(QStringLiteral("Selected channels"), selection_);
  rows->addRow(QStringLiteral("Status"), status_);
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(connect_);
  buttons->addWidget(disconnect_);
  buttons->addStretch();
  auto *selectionLayout = new QVBoxLayout(selectionSection);
  selectionLayout->addWidget(instruction(QStringLiteral(
      "Pair the Xbox controller with this Mac in System Settings \u2192 Bluetooth. Select the "
      "movers on Eos using the board user below. Tarnik sends relative pan and tilt wheel "
      "ticks to that user's selection.")));
  selectionLayout->addWidget(boardUser_, 0, Qt::AlignLeft);
  selectionLayout->addLayout(rows);
  selectionLayout->addLayout(buttons);

  auto *moveSection = new TitledSection(QStringLiteral("Move"));
  auto *moveLayout = new QVBoxLayout(moveSection);
  moveLayout->addWidget(instruction(QStringLiteral(
      "Center the sticks and release RB, then arm. Hold RB and move the left stick for pan and "
      "tilt. Hold LT for fine movement. Release RB to stop; B or Menu disarms. Leaving Tarnik "
      "or losing the connection disarms control.")));
  moveLayout->addWidget(arm_, 0, Qt::AlignLeft);

  auto *page = new QVBoxLayout(this);
  page->addWidget(selectionSection);
  page->addWidget(moveSection);
  page->addStretch();

  connect(boardUser_, &QSpinBox::valueChanged, this, &ControllerPage::changeBoardUser);
  connect(connect_, &QPushButton::clicked, this, &ControllerPage::connectBoardUser);
  connect(disconnect_, &QPushButton::clicked, this,
          [this] { context_.mover.stopSession(sessionStopped); });
  connect(arm_, &QPushButton::clicked, this, &ControllerPage::toggleArm);

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(context_.app);
  refresh->observe(context_.mover);
  context_.workspace.onPairingChanged(refresh, [refresh] { refresh->redrawNow(); });
  refresh->redrawNow();
}

void ControllerPage::redraw() {
  const MoverController &mover = context_.mover;
  controller_->setText(mover.controllerName());
  selection_->setText(mover.selection());
  status_->setText(mover.status());
  connect_->setEnabled(context_.workspace.canUseBoardRoute());
  disconnect_->setEnabled(mover.connected());
  arm_->setText(mover.isArmed() ? QStringLiteral("Disarm controller")
                                : QStringLiteral("Arm controller"));
  arm_->setEnabled(mover.isArmed() || mover.canArm());
}

void ControllerPage::changeBoardUser(int user) {
  // A session never carries on under another user; the user connects again.
  context_.state.boardUser = user;
  context_.mover.stopSession(sessionStopped);
}

void ControllerPage::connectBoardUser() {
  const auto &settings = context_.app.activeConnectionSettings();
  const auto &endpoint = context_.app.activeConsoleEndpoint();
  if (!settings || !endpoint) {
    return;
  }
  context_.mover.connect(*endpoint, settings->tcpFraming,
                         static_cast<int>(context_.state.boardUser));
}

void ControllerPage::toggleArm() {
  if (context_.mover.isArmed()) {
    context_.mover.disarm();
  } else {
    context_.mover.arm();
  }
}

}  // namespace tarnik
