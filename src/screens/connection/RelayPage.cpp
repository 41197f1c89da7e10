#include "screens/connection/RelayPage.h"

#include "app/AppViewModel.h"
#include "link/TarnikRelayServer.h"
#include "screens/connection/WorkspacePairing.h"
#include "screens/kit/ElidedLabel.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/Style.h"
#include "screens/kit/TitledSection.h"

#include <QClipboard>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnik {

namespace {

// A value on as many lines as given, ending in "…" where the column is too narrow for it (a
// long host name), the whole text its tooltip and accessible name: it never widens the page.
ElidedLabel *valueLabel(const QString &objectName, int lines = 1) {
  auto *label = new ElidedLabel;
  label->setObjectName(objectName);
  label->setLineCount(lines);
  return label;
}

QLabel *wrappedText(const QString &text, bool secondary) {
  QLabel *label = plainLabel(text);
  label->setWordWrap(true);
  if (secondary) {
    label->setForegroundRole(QPalette::PlaceholderText);
  }
  return label;
}

// Masked, and nothing the user does to it sticks: no typing, pasting or selecting.
QLineEdit *pairingCodeField() {
  auto *field = new QLineEdit;
  field->setObjectName(QStringLiteral("relay.pairingCode"));
  field->setEchoMode(QLineEdit::Password);
  field->setReadOnly(true);
  field->setContextMenuPolicy(Qt::NoContextMenu);
  field->setDragEnabled(false);
  QObject::connect(field, &QLineEdit::selectionChanged, field, [field] {
    if (field->hasSelectedText()) {
      field->deselect();
    }
  });
  return field;
}

}  // namespace

RelayPage::RelayPage(WorkspaceContext &context, QWidget *parent)
    : QWidget(parent),
      context_(context),
      // Its messages run to a sentence or two.
      status_(valueLabel(QStringLiteral("relay.status"), 2)),
      sessions_(valueLabel(QStringLiteral("relay.sessions"))),
      boardTitle_(new QLabel(QStringLiteral("Board"))),
      board_(valueLabel(QStringLiteral("relay.board"))),
      framingTitle_(new QLabel(QStringLiteral("Phone framing"))),
      framing_(valueLabel(QStringLiteral("relay.framing"))),
      pairingCode_(pairingCodeField()),
      copy_(new QPushButton(QStringLiteral("Copy pairing code"))),
      error_(plainLabel({}, QStringLiteral("relay.error"))),
      toggle_(new QPushButton) {
  setObjectName(QStringLiteral("relay"));
  auto *section =
      new TitledSection(QStringLiteral("iPhone gateway"), QStringLiteral("relay.section"));

  auto *rows = new QFormLayout;
  rows->addRow(QStringLiteral("Relay"), status_);
  rows->addRow(QStringLiteral("Phone sessions"), sessions_);
  rows->addRow(boardTitle_, board_);
  rows->addRow(framingTitle_, framing_);
  rows->addRow(QStringLiteral("Pairing code"), pairingCode_);

  copy_->setObjectName(QStringLiteral("relay.copy"));
  auto *replace = new QPushButton(QStringLiteral("Replace pairing code"));
  replace->setObjectName(QStringLiteral("relay.replace"));
  auto *codeButtons = new QHBoxLayout;
  codeButtons->addWidget(copy_);
  codeButtons->addWidget(replace);
  codeButtons->addStretch();

  // The keychain's and the relay's own sentences, whole on as many lines as they take.
  error_->setTextInteractionFlags(Qt::NoTextInteraction);
  error_->setWordWrap(true);
  QPalette red = error_->palette();
  red.setColor(QPalette::WindowText, Style::light(Style::Role::failure));
  error_->setPalette(red);

  toggle_->setObjectName(QStringLiteral("relay.toggle"));
  toggle_->setDefault(true);  // the prominent one

  auto *layout = new QVBoxLayout(section);
  layout->addWidget(wrappedText(QStringLiteral("Plug this Mac into the board network. Keep Wi-Fi "
                                               "enabled for nearby iPhones, even while using "
                                               "Ethernet."),
                                false));
  layout->addLayout(rows);
  layout->addLayout(codeButtons);
  layout->addWidget(error_);
  layout->addWidget(toggle_, 0, Qt::AlignLeft);
  layout->addWidget(wrappedText(
      QStringLiteral("On iPhone: Connection \u2192 Via Mac \u2192 paste the pairing code \u2192 "
                     "select this Mac under Nearby Macs. Match the framing shown above. Nearby "
                     "connections use Apple peer-to-peer Wi-Fi or the local network."),
      true));
  layout->addWidget(wrappedText(
      QStringLiteral("Tarnik keeps the Mac awake while the relay runs. Closing the lid, choosing "
                     "Sleep, or quitting stops connections. Restart the relay after waking. It "
                     "continues when Tarnik loses focus."),
      true));

  auto *page = new QVBoxLayout(this);
  page->addWidget(section);
  page->addStretch();

  connect(copy_, &QPushButton::clicked, this, &RelayPage::copyPairingCode);
  connect(replace, &QPushButton::clicked, this,
          [this] { context_.workspace.replacePairingCode(); });
  connect(toggle_, &QPushButton::clicked, this, &RelayPage::toggleRelay);

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(context_.app);
  refresh->observe(context_.relay);
  context_.workspace.onPairingChanged(refresh, [refresh] { refresh->redrawNow(); });
  refresh->redrawNow();
}

void RelayPage::redraw() {
  const TarnikRelayServer &relay = context_.relay;
  const WorkspaceState &state = context_.state;
  status_->setFullText(relay.status());
  sessions_->setFullText(QString::number(relay.clientCount()));

  const auto &settings = context_.app.activeConnectionSettings();
  for (QWidget *row : {static_cast<QWidget *>(boardTitle_), static_cast<QWidget *>(board_),
                       static_cast<QWidget *>(framingTitle_), static_cast<QWidget *>(framing_)}) {
    row->setVisible(settings.has_value());
  }
  if (settings) {
    board_->setFullText(settings->host + u':' + QString::number(settings->destinationPort));
    framing_->setFullText(settings->tcpFraming == OSCTCPFraming::slip
                              ? QStringLiteral("SLIP (OSC 1.1)")
                              : QStringLiteral("Packet length (OSC 1.0)"));
  }

  pairingCode_->setText(state.pairingKey);
  copy_->setEnabled(!state.pairingKey.isEmpty());
  error_->setVisible(state.pairingError.has_value());
  error_->setText(state.pairingError.value_or(QString()));

  toggle_->setText(relay.isRunning() ? QStringLiteral("Stop phone relay")
                                     : QStringLiteral("Start phone relay"));
  toggle_->setEnabled(relay.isRunning() || context_.workspace.canUseBoardRoute());
}

void RelayPage::copyPairingCode() {
  QClipboard *clipboard = QGuiApplication::clipboard();
  clipboard->clear();
  clipboard->setText(context_.state.pairingKey);
}

void RelayPage::toggleRelay() {
  TarnikRelayServer &relay = context_.relay;
  if (relay.isRunning()) {
    relay.stop();
    return;
  }
  const auto &endpoint = context_.app.activeConsoleEndpoint();
  if (!context_.workspace.canUseBoardRoute() || !endpoint) {
    return;
  }
  relay.start(*endpoint, TarnikRelayServer::standardPort, context_.state.pairingKey);
}

}  // namespace tarnik
