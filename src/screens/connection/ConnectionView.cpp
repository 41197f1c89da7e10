#include "screens/connection/ConnectionView.h"

#include "app/AppViewModel.h"
#include "link/OSCManager.h"
#include "link/TarnikRelayDiscovery.h"
#include "link/TarnikRelayServer.h"
#include "screens/connection/ConnectionViewRules.h"
#include "screens/kit/ElidedLabel.h"
#include "screens/kit/FocusKeepingButton.h"
#include "screens/kit/PlainLabel.h"
#include "screens/kit/PlainToolTip.h"
#include "screens/kit/ReadingTabOrder.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/SelectableWrappedLabel.h"
#include "screens/kit/Style.h"
#include "screens/kit/SymbolIcons.h"
#include "screens/kit/TitledSection.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace tarnik {

namespace {

constexpr int portFieldWidth = 82;
// Room the test's result keeps: its longest texts, a failure that quotes the connection's own
// reason with the address twice, are about this long.
constexpr int testResultLength = 340;
const QColor selectionBlue = Style::light(Style::Role::accent);
const QColor warningRed = Style::light(Style::Role::failure);

using Style::captionDigitsFont;
using Style::captionFont;
using Style::headlineFont;
using Style::scaledFont;

QLabel *secondaryLabel(const QString &text, const QFont &font) {
  QLabel *label = plainLabel(text);
  label->setFont(font);
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

constexpr int symbolSize = 16;

QLabel *iconLabel(const QString &symbolName, const QColor &color) {
  auto *label = new QLabel;
  label->setPixmap(symbolPixmap(symbolName, color, symbolSize));
  return label;
}

// A hidden widget keeps its space in the layout.
void keepPlace(QWidget *widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

// The title of a row that comes and goes. Without a value it shows no text but keeps its
// size, so the row keeps its place and the titles' column its width, and a screen reader
// finds no title without a value. (Hidden, it would let the form close the row up.)
class RowTitle : public QLabel {
 public:
  explicit RowTitle(const QString &title) : QLabel(title), title_(title) {
    setTextFormat(Qt::PlainText);
    setMinimumSize(sizeHint());
  }
  void showWithValue(bool hasValue) { setText(hasValue ? title_ : QString()); }

 private:
  QString title_;
};

void showRowWithValue(const QFormLayout &rows, QWidget *value, bool hasValue) {
  dynamic_cast<RowTitle &>(*rows.labelForField(value)).showWithValue(hasValue);
}

// A label of a fixed number of lines: its text comes, goes and grows without moving anything
// below it, and what does not fit ends in "…" with the whole text as its tooltip.
ElidedLabel *reservedLabel(const QString &objectName, int lines, Qt::Alignment alignment) {
  auto *label = new ElidedLabel;
  label->setObjectName(objectName);
  label->setLineCount(lines);
  label->setAlignment(alignment);
  return label;
}

// A red, selectable message with a warning sign on the lines kept for it; the row is hidden
// while there is none.
QWidget *warningRow(ElidedLabel *&text, const QString &objectName, int lines = 2) {
  auto *row = new QWidget;
  auto *layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  text = reservedLabel(objectName, lines, Qt::AlignLeft | Qt::AlignTop);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text->setFont(scaledFont(text->font(), 0.95));
  QPalette red = text->palette();
  red.setColor(QPalette::WindowText, warningRed);
  text->setPalette(red);
  layout->addWidget(iconLabel(QStringLiteral("exclamationmark.triangle.fill"), warningRed), 0,
                    Qt::AlignTop);
  layout->addWidget(text, 1);
  // As tall shown or not: a message that comes and goes moves nothing below.
  keepPlace(row);
  row->hide();
  return row;
}

// A push button whose face is a layout of labels. Its own text is empty, and the style then
// draws no focus frame: the button draws one itself while it has the focus, so a row that
// takes the focus shows it.
class FaceButton : public QPushButton {
 protected:
  void paintEvent(QPaintEvent *event) override {
    QPushButton::paintEvent(event);
    if (!hasFocus()) {
      return;
    }
    QStylePainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.state |= QStyle::State_KeyboardFocusChange;
    frame.rect = rect().adjusted(2, 2, -2, -2);
    frame.backgroundColor = palette().color(QPalette::Button);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
  }
};

// A button whose face is a layout of plain labels: a name from the network is never read as
// markup or as a shortcut mark ("&"), and a click anywhere on the face, its stretches
// included, reaches the button.
QPushButton *labelledButton(QLayout *face, const QString &accessibleName) {
  auto *button = new FaceButton;
  button->setAccessibleName(accessibleName);
  button->setLayout(face);
  for (QWidget *child : button->findChildren<QWidget *>()) {
    child->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  button->setMinimumHeight(face->sizeHint().height());
  return button;
}

// A whole-width button: a title over a caption line, then a stretch and a trailing symbol.
QPushButton *twoLineButton(QLabel *title, QLabel *detail, QLabel *trailing) {
  auto *layout = new QHBoxLayout;
  layout->setSpacing(12);
  auto *lines = new QVBoxLayout;
  lines->setSpacing(3);
  lines->addWidget(title);
  lines->addWidget(detail);
  layout->addLayout(lines);
  layout->addStretch(1);
  if (trailing) {
    layout->addWidget(trailing);
  }
  const auto *elided = qobject_cast<ElidedLabel *>(title);
  return labelledButton(layout, elided ? elided->fullText() : title->text());
}

// The same with the caption in digits of one width, for addresses and ports. Both lines end
// in "…" when the row is too narrow for them.
QPushButton *twoLineButton(const QString &objectName, const QString &title, const QString &detail,
                           QLabel *trailing) {
  auto *titleLabel = new ElidedLabel(title);
  titleLabel->setObjectName(objectName + QStringLiteral(".title"));
  auto *detailLabel = new ElidedLabel(detail);
  detailLabel->setObjectName(objectName + QStringLiteral(".detail"));
  detailLabel->setFont(captionDigitsFont(QApplication::font()));
  detailLabel->setForegroundRole(QPalette::PlaceholderText);
  QPushButton *button = twoLineButton(titleLabel, detailLabel, trailing);
  button->setObjectName(objectName);
  button->setAccessibleName(title + QStringLiteral(", ") + detail);
  button->setToolTip(plainToolTip(*button, title + u'\n' + detail));
  return button;
}

// One section of the list: its header, its content, its footer.
QWidget *section(const QString &objectName, const QString &header, QWidget *content,
                 QLabel *footer) {
  auto *box = new TitledSection(header, objectName, TitledSection::Look::headed);
  // Never squeezed below its natural height: a list taller than the window scrolls.
  box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
  QVBoxLayout *layout = box->column();
  layout->setContentsMargins(0, 6, 0, 6);
  if (QLabel *title = box->heading()) {
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    title->setForegroundRole(QPalette::PlaceholderText);
  }
  content->setAutoFillBackground(true);
  content->setBackgroundRole(QPalette::Base);
  layout->addWidget(content);
  if (footer) {
    footer->setWordWrap(true);
    footer->setFont(captionFont(footer->font()));
    footer->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(footer);
  }
  return box;
}

QLabel *footerLabel(const QString &text, const QString &objectName = {}) {
  return plainLabel(text, objectName);
}

QLineEdit *textField(const QString &objectName, const QString &title) {
  auto *field = new QLineEdit;
  field->setObjectName(objectName);
  field->setPlaceholderText(title);
  field->setAccessibleName(title);
  return field;
}

// A refresh writes a field only when the model's text differs, so typing is never disturbed.
void showText(QLineEdit *field, const QString &text) {
  if (field->text() != text) {
    field->setText(text);
  }
}

void showText(QLabel *label, const QString &text) {
  if (label->text() != text) {
    label->setText(text);
  }
}

void showText(ElidedLabel *label, const QString &text) { label->setFullText(text); }

void showText(SelectableWrappedLabel *label, const QString &text) { label->setText(text); }

}  // namespace

ConnectionView::ConnectionView(AppViewModel &app, BonjourBrowserFactory makeRelayBrowser,
                               QWidget *parent)
    : QWidget(parent),
      app_(app),
      relayDiscovery_(std::make_unique<TarnikRelayDiscovery>(std::move(makeRelayBrowser))) {
  setObjectName(QStringLiteral("connection"));
  setWindowTitle(QStringLiteral("Connection"));

  auto *list = new QWidget;
  list_ = list;
  auto *sections = new QVBoxLayout(list);
  sections->addWidget(makeStatusSection());
  sections->addWidget(makeSavedConnectionsSection());
  sections->addWidget(makeRouteSection());
  sections->addWidget(makeSettingsSection());
  sections->addWidget(makeExamplesSection());
  sections->addWidget(makeTestSection());
  sections->addWidget(makeActionsSection());
  sections->addWidget(makeNearbyServicesSection());
  sections->addStretch(1);

  auto *scroll = new QScrollArea;
  scroll->setObjectName(QStringLiteral("connection.list"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  // Not a Tab stop of its own, where the focus would show nowhere; it still scrolls to
  // whichever control takes the focus.
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setWidget(list);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);

  auto *refresh = new ScreenRefresh(this, [this] { redraw(); });
  refresh->observe(app_);
  refresh->observe(*relayDiscovery_);
  refresh->redrawNow();
}

ConnectionView::~ConnectionView() = default;

void ConnectionView::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  relayDiscovery_->start();
}

void ConnectionView::hideEvent(QHideEvent *event) {
  QWidget::hideEvent(event);
  relayDiscovery_->stop();
}

QWidget *ConnectionView::makeStatusSection() {
  auto *rows = new QWidget;
  statusRows_ = new QFormLayout(rows);
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
  // The manager's own words ("Waiting to connect — Host not found") and "Not configured",
  // which becomes the route and address once a connection starts, wrap in a narrow pane: two
  // lines are kept for each from the start, so the rows below stay put. No value widens the
  // pane.
  managerSocket_ = reservedLabel(QStringLiteral("connection.status.managerSocket"), 2, right);
  eosResponse_ = reservedLabel(QStringLiteral("connection.status.eosResponse"), 1, right);
  configuration_ = reservedLabel(QStringLiteral("connection.configuration"), 2, right);
  lastEosResponse_ = reservedLabel(QStringLiteral("connection.status.lastEosResponse"), 1, right);
  statusRows_->addRow(plainLabel(QStringLiteral("Manager socket")), managerSocket_);
  statusRows_->addRow(plainLabel(QStringLiteral("Eos response")), eosResponse_);
  statusRows_->addRow(plainLabel(QStringLiteral("Configuration")), configuration_);
  statusRows_->addRow(new RowTitle(QStringLiteral("Last Eos response")), lastEosResponse_);

  return section(QStringLiteral("connection.statusSection"), QStringLiteral("Status"), rows,
                 nullptr);
}

QWidget *ConnectionView::makeSavedConnectionsSection() {
  auto *content = new QWidget;
  auto *layout = new QVBoxLayout(content);
  profileRows_ = new QVBoxLayout;
  layout->addLayout(profileRows_);
  layout->addWidget(warningRow(storageError_, QStringLiteral("connection.profile.storageError")));
  // What becomes of the person's changes takes a third line.
  layout->addWidget(
      warningRow(settingsFileError_, QStringLiteral("connection.settings.fileError"), 3));

  auto *newButton =
      new QPushButton(symbolIcon(QStringLiteral("plus"), selectionBlue, selectionBlue),
                      QStringLiteral("New Connection"));
  newButton->setObjectName(QStringLiteral("connection.profile.new"));
  connect(newButton, &QPushButton::clicked, this, &ConnectionView::startNewConnection);
  saveButton_ = new QPushButton(
      symbolIcon(QStringLiteral("square.and.arrow.down"), selectionBlue, selectionBlue), {});
  saveButton_->setObjectName(QStringLiteral("connection.profile.save"));
  connect(saveButton_, &QPushButton::clicked, this, &ConnectionView::saveConnectionProfile);
  layout->addWidget(newButton);
  layout->addWidget(saveButton_);
  return section(QStringLiteral("connection.savedConnectionsSection"),
                 QStringLiteral("Saved Connections"), content,
                 footerLabel(QStringLiteral("Loading a profile fills the editor without "
                                            "connecting. Edits are saved only when you choose "
                                            "Save or Update.")));
}

QWidget *ConnectionView::makeRouteSection() {
  auto *content = new QWidget;
  auto *layout = new QVBoxLayout(content);
  viaMac_ = new QCheckBox(QStringLiteral("Via Mac"));
  viaMac_->setObjectName(QStringLiteral("connection.usesMacRelay"));
  // Only the user's flip writes the settings; a redraw setting the box writes nothing.
  connect(viaMac_, &QCheckBox::clicked, this, &ConnectionView::setUsesMacRelay);
  layout->addWidget(viaMac_);

  relayDetails_ = new QWidget;
  auto *details = new QVBoxLayout(relayDetails_);
  details->setContentsMargins(0, 0, 0, 0);
  relayPairingCode_ =
      textField(QStringLiteral("connection.relayPairingCode"), QStringLiteral("Mac pairing code"));
  relayPairingCode_->setEchoMode(QLineEdit::Password);
  connect(relayPairingCode_, &QLineEdit::textEdited, &app_, &AppViewModel::setRelayPairingCode);
  details->addWidget(relayPairingCode_);
  QLabel *headline = plainLabel(QStringLiteral("Nearby Macs"));
  headline->setFont(headlineFont(headline->font()));
  details->addWidget(headline);
  auto *rows = new QWidget;
  rows->setObjectName(QStringLiteral("connection.nearbyMacs"));
  nearbyMacRows_ = new QVBoxLayout(rows);
  nearbyMacRows_->setContentsMargins(0, 0, 0, 0);
  details->addWidget(rows);
  relayDiscoveryStatus_ = secondaryLabel({}, captionFont(font()));
  relayDiscoveryStatus_->setObjectName(QStringLiteral("connection.relayDiscoveryStatus"));
  relayDiscoveryStatus_->setWordWrap(true);
  details->addWidget(relayDiscoveryStatus_);
  QLabel *guidance = secondaryLabel(
      QStringLiteral("Keep Wi-Fi enabled on both devices. Nearby discovery can use a direct "
                     "Apple peer-to-peer Wi-Fi connection. For a reachable LAN, enter the Mac's "
                     "address below. Match TCP framing to the board setting shown on the Mac."),
      captionFont(font()));
  guidance->setObjectName(QStringLiteral("connection.relayGuidance"));
  guidance->setWordWrap(true);
  details->addWidget(guidance);
  layout->addWidget(relayDetails_);
  return section(QStringLiteral("connection.routeSection"), QStringLiteral("Connection route"),
                 content, nullptr);
}

QWidget *ConnectionView::makeSettingsSection() {
  auto *content = new QWidget;
  auto *layout = new QVBoxLayout(content);

  name_ = textField(QStringLiteral("connection.name"), QStringLiteral("Connection name"));
  connect(name_, &QLineEdit::textEdited, &app_, &AppViewModel::setConsoleName);
  host_ = textField(QStringLiteral("connection.host"),
                    QStringLiteral("Console IP address or DNS name"));
  connect(host_, &QLineEdit::textEdited, &app_, &AppViewModel::setConsoleIP);
  layout->addWidget(name_);
  layout->addWidget(host_);

  const auto pickerRow = [](const QString &title, QComboBox *picker) {
    auto *row = new QWidget;
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addWidget(plainLabel(title));
    rowLayout->addStretch(1);
    rowLayout->addWidget(picker);
    picker->setAccessibleName(title);
    return row;
  };
  transport_ = new QComboBox;
  transport_->setObjectName(QStringLiteral("connection.transport"));
  transport_->addItem(QStringLiteral("TCP"), QVariant::fromValue(OSCTransport::tcp));
  transport_->addItem(QStringLiteral("UDP"), QVariant::fromValue(OSCTransport::udp));
  connect(transport_, &QComboBox::activated, this, [this](int index) {
    app_.setConnectionTransport(transport_->itemData(index).value<OSCTransport>());
  });
  layout->addWidget(pickerRow(QStringLiteral("Transport"), transport_));

  const auto portRow = [](QLabel *label, QLineEdit *field) {
    auto *row = new QWidget;
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addWidget(label);
    rowLayout->addSpacing(12);
    rowLayout->addStretch(1);
    field->setFixedWidth(portFieldWidth);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rowLayout->addWidget(field);
    return row;
  };
  destinationPortLabel_ = plainLabel();
  destinationPort_ = textField(QStringLiteral("connection.destinationPort"), {});
  connect(destinationPort_, &QLineEdit::textEdited, &app_, &AppViewModel::setCustomSendPort);
  layout->addWidget(portRow(destinationPortLabel_, destinationPort_));

  const QString listenTitle = QStringLiteral("Listen Port (Console TX)");
  listenPort_ = textField(QStringLiteral("connection.udpListenPort"), QStringLiteral("8001"));
  listenPort_->setAccessibleName(listenTitle);
  connect(listenPort_, &QLineEdit::textEdited, &app_, &AppViewModel::setCustomListenPort);
  listenPortRow_ = portRow(plainLabel(listenTitle), listenPort_);
  layout->addWidget(listenPortRow_);

  framing_ = new QComboBox;
  framing_->setObjectName(QStringLiteral("connection.tcpFraming"));
  framing_->addItem(QStringLiteral("Packet length (OSC 1.0)"),
                    QVariant::fromValue(OSCTCPFraming::packetLength));
  framing_->addItem(QStringLiteral("SLIP (OSC 1.1)"), QVariant::fromValue(OSCTCPFraming::slip));
  connect(framing_, &QComboBox::activated, this, [this](int index) {
    app_.setTcpFraming(framing_->itemData(index).value<OSCTCPFraming>());
  });
  auto *framingRow = pickerRow(QStringLiteral("TCP Framing"), framing_);
  framingRow->setObjectName(QStringLiteral("connection.tcpFramingRow"));
  layout->addWidget(framingRow);

  layout->addWidget(warningRow(validationError_, QStringLiteral("connection.validationError")));
  settingsFooter_ = footerLabel({}, QStringLiteral("connection.settingsFooter"));
  return section(QStringLiteral("connection.connectionSettingsSection"),
                 QStringLiteral("Connection Settings"), content, settingsFooter_);
}

QWidget *ConnectionView::makeExamplesSection() {
  struct Example {
    const char *objectName;
    QString title;
  };
  const Example examples[] = {
      {"connection.example.school", QStringLiteral("Vellick — School Network")},
      {"connection.example.lighting", QStringLiteral("Vellick — Lighting Network")},
  };
  const QList<ConsoleConnectionProfile> profiles = AppViewModel::builtInConnectionProfiles();
  auto *content = new QWidget;
  auto *layout = new QVBoxLayout(content);
  for (qsizetype index = 0; index < profiles.size() && index < std::ssize(examples); ++index) {
    const ConsoleConnectionProfile profile = profiles[index];
    QPushButton *button =
        twoLineButton(QString::fromLatin1(examples[index].objectName), examples[index].title,
                      profile.host, iconLabel(QStringLiteral("arrow.down.to.line"), selectionBlue));
    connect(button, &QPushButton::clicked, this, [this, profile] { applyBuiltInProfile(profile); });
    layout->addWidget(button);
  }
  return section(QStringLiteral("connection.examplesSection"), QStringLiteral("Known Example"),
                 content,
                 footerLabel(QStringLiteral("These buttons load editable TCP 3037 / SLIP settings "
                                            "for Vellick. They do not connect automatically.")));
}

QWidget *ConnectionView::makeTestSection() {
  auto *content = new QWidget;
  auto *layout = new QVBoxLayout(content);
  testButton_ = new FocusKeepingButton(
      symbolIcon(QStringLiteral("waveform.path.ecg"), selectionBlue, selectionBlue),
      QStringLiteral("Test Connection"));
  testButton_->setObjectName(QStringLiteral("connection.test"));
  connect(testButton_, &QPushButton::clicked, this, &ConnectionView::testConnection);
  testBusy_ = new QProgressBar;
  testBusy_->setObjectName(QStringLiteral("connection.test.busy"));
  testBusy_->setRange(0, 0);
  testBusy_->setTextVisible(false);
  testBusy_->setMaximumWidth(60);
  keepPlace(testBusy_);
  auto *buttonRow = new QHBoxLayout;
  buttonRow->addWidget(testButton_, 1);
  buttonRow->addWidget(testBusy_);
  layout->addLayout(buttonRow);

  // The result is read whole, wrapped onto as many lines as it takes; room for the longest
  // results is kept from the start, so Connect and Disconnect below stay where they are.
  testRows_ = new QFormLayout;
  const Qt::Alignment topLeft = Qt::AlignLeft | Qt::AlignTop;
  testStatus_ = new SelectableWrappedLabel;
  testStatus_->setObjectName(QStringLiteral("connection.test.status"));
  testStatus_->setReservedLength(testResultLength);
  testIdentity_ = new SelectableWrappedLabel;
  testIdentity_->setObjectName(QStringLiteral("connection.test.identity"));
  testVersion_ = new SelectableWrappedLabel;
  testVersion_->setObjectName(QStringLiteral("connection.test.version"));
  for (QLabel *value : {testStatus_, testIdentity_, testVersion_}) {
    value->setAlignment(topLeft);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  // Each title level with the first line of its value.
  const auto title = [&topLeft](const QString &text) {
    auto *label = new RowTitle(text);
    label->setAlignment(topLeft);
    return label;
  };
  testRows_->addRow(title(QStringLiteral("Result")), testStatus_);
  testRows_->addRow(title(QStringLiteral("Console identity")), testIdentity_);
  testRows_->addRow(title(QStringLiteral("Eos version")), testVersion_);

  layout->addLayout(testRows_);
  return section(
      QStringLiteral("connection.testSection"), {}, content,
      footerLabel(QStringLiteral("The test sends read-only version, nonce-ping, and processor "
                                 "queries. Verification requires a version reply and matched "
                                 "ping; processor identity appears when available.")));
}

QWidget *ConnectionView::makeActionsSection() {
  auto *content = new QWidget;
  auto *layout = new QVBoxLayout(content);
  // The buttons fill their rows: a vertical layout gives each the whole width.
  auto *connectButton = new QPushButton(QStringLiteral("Connect"));
  connectButton->setObjectName(QStringLiteral("connection.connect"));
  Style::fillButton(*connectButton, Style::Role::accent, Style::Ground::light);
  connect(connectButton, &QPushButton::clicked, this, [this] { app_.connect(); });
  disconnectButton_ = new QPushButton(QStringLiteral("Disconnect"));
  disconnectButton_->setObjectName(QStringLiteral("connection.disconnect"));
  QPalette destructive = disconnectButton_->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    destructive.setColor(group, QPalette::ButtonText, warningRed);
  }
  disconnectButton_->setPalette(destructive);
  connect(disconnectButton_, &QPushButton::clicked, this, [this] { app_.disconnect(); });
  layout->addWidget(connectButton);
  layout->addWidget(disconnectButton_);
  return section(QStringLiteral("connection.actionsSection"), QStringLiteral("Actions"), content,
                 nullptr);
}

QWidget *ConnectionView::makeNearbyServicesSection() {
  auto *content = new QWidget;
  content->setObjectName(QStringLiteral("connection.nearbyServices"));
  serviceRows_ = new QVBoxLayout(content);
  return section(
      QStringLiteral("connection.nearbyServicesSection"), QStringLiteral("Nearby OSC Services"),
      content,
      footerLabel(QStringLiteral("An advertisement identifies an OSC service, not a verified Eos "
                                 "console. Tarnik uses the service's advertised TCP or UDP "
                                 "protocol and keeps your selected TCP framing when TCP is "
                                 "advertised.")));
}

ConnectionPageInput ConnectionView::readPage() const {
  const OSCManager &manager = *app_.oscManager();
  return {.managerConnected = manager.isConnected(),
          .managerStateDescription = manager.connectionStateDescription(),
          .consoleReachable = app_.isConsoleReachable(),
          .transportDescription = app_.transportDescription(),
          .lastEosResponse = manager.lastEosResponse(),
          .savedProfiles = app_.savedConnectionProfiles(),
          .selectedProfileID = app_.selectedConnectionProfileID(),
          .profileStorageError = app_.profileStorageError(),
          .settingsFileFailure = app_.settingsFileFailure(),
          .usesMacRelay = app_.usesMacRelay(),
          .relayPairingCode = app_.relayPairingCode(),
          .consoleName = app_.consoleName(),
          .consoleIP = app_.consoleIP(),
          .transport = app_.connectionTransport(),
          .sendPort = app_.customSendPort(),
          .listenPort = app_.customListenPort(),
          .tcpFraming = app_.tcpFraming(),
          .settingsIssue = app_.connectionSettingsIssue(),
          .testingConnection = app_.isTestingConnection(),
          .testStatus = app_.testConnectionStatus(),
          .testIdentity = app_.testConnectionIdentity(),
          .testVersion = app_.testConnectionVersion(),
          // Not a published value: read at every redraw, which each of the model's connect
          // and disconnect operations causes by publishing as well.
          .wantsConnection = app_.wantsConnection(),
          .hasNearbyServices = !app_.discoveredConsoles().isEmpty()};
}

void ConnectionView::redraw() {
  const ConnectionPageInput page = readPage();
  redrawStatus(page);
  redrawSavedConnections(page);
  redrawRoute(page);
  redrawSettings(page);
  redrawTest(page);
  redrawActions(page);
  redrawNearbyServices(page);
  // Rows rebuilt by this redraw were made last; Tab still follows the page from the top.
  setReadingTabOrder(*list_);
}

void ConnectionView::redrawStatus(const ConnectionPageInput &page) {
  const ConnectionStatusRows rows = connectionStatusRows(page);
  showText(managerSocket_, rows.managerSocket);
  showText(eosResponse_, rows.eosResponse);
  showText(configuration_, rows.configuration);
  showText(lastEosResponse_, rows.lastEosResponse.value_or(QString()));
  showRowWithValue(*statusRows_, lastEosResponse_, rows.lastEosResponse.has_value());
}

void ConnectionView::redrawSavedConnections(const ConnectionPageInput &page) {
  const SavedConnections saved = savedConnections(page);
  saveButton_->setText(saved.saveButtonTitle);
  storageError_->parentWidget()->setVisible(saved.storageError.has_value());
  showText(storageError_, saved.storageError.value_or(QString()));
  settingsFileError_->parentWidget()->setVisible(saved.settingsFileError.has_value());
  showText(settingsFileError_, saved.settingsFileError.value_or(QString()));

  // Rows are rebuilt only when what they show changed, so a redraw for another value leaves
  // a row under the pointer alone. The profiles are compared whole: a row hands its profile
  // to the model when picked.
  const QList<ConsoleConnectionProfile> &profiles = page.savedProfiles;
  if (profilesDrawn_ && profiles == drawnProfiles_ && page.selectedProfileID == drawnSelection_) {
    return;
  }
  profilesDrawn_ = true;
  drawnProfiles_ = profiles;
  drawnSelection_ = page.selectedProfileID;
  while (QLayoutItem *item = profileRows_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  if (saved.emptyText) {
    QLabel *empty = secondaryLabel(*saved.emptyText, font());
    empty->setObjectName(QStringLiteral("connection.profiles.empty"));
    profileRows_->addWidget(empty);
    return;
  }
  for (qsizetype index = 0; index < profiles.size(); ++index) {
    const ConsoleConnectionProfile &profile = profiles[index];
    const SavedConnectionRow &shown = saved.rows[index];
    QLabel *check = nullptr;
    if (shown.selected) {
      check = iconLabel(QStringLiteral("checkmark.circle.fill"), selectionBlue);
      check->setObjectName(QStringLiteral("connection.profile.selected"));
      check->setAccessibleName(QStringLiteral("Selected"));
    }
    QPushButton *row = twoLineButton(
        QStringLiteral("connection.profile.") + profile.id.toString(QUuid::WithoutBraces).toUpper(),
        shown.title, shown.detail, check);
    row->setFlat(true);
    connect(row, &QPushButton::clicked, this, [this, profile] { applyConnectionProfile(profile); });
    profileRows_->addWidget(row);
  }
}

void ConnectionView::redrawRoute(const ConnectionPageInput &page) {
  const ConnectionRoute route = connectionRoute(page);
  viaMac_->setChecked(page.usesMacRelay);
  relayDetails_->setVisible(route.relayDetailsShown);
  showText(relayPairingCode_, page.relayPairingCode);
  showText(relayDiscoveryStatus_, relayDiscovery_->status());

  const QList<TarnikRelayDiscovery::Relay> &relays = relayDiscovery_->relays();
  if (relays != drawnRelays_) {
    drawnRelays_ = relays;
    while (QLayoutItem *item = nearbyMacRows_->takeAt(0)) {
      delete item->widget();
      delete item;
    }
    for (const TarnikRelayDiscovery::Relay &relay : relays) {
      auto *face = new QHBoxLayout;
      face->addWidget(new ElidedLabel(relay.name), 0, Qt::AlignCenter);
      QPushButton *row = labelledButton(face, relay.name);
      row->setToolTip(plainToolTip(*row, relay.name));
      connect(row, &QPushButton::clicked, this, [this, relay] { app_.connectToMacRelay(relay); });
      nearbyMacRows_->addWidget(row);
    }
  }
  for (int index = 0; index < nearbyMacRows_->count(); ++index) {
    nearbyMacRows_->itemAt(index)->widget()->setEnabled(route.nearbyMacsEnabled);
  }
}

void ConnectionView::redrawSettings(const ConnectionPageInput &page) {
  const ConnectionSettings settings = connectionSettings(page);
  showText(name_, page.consoleName);
  showText(host_, page.consoleIP);
  transport_->setCurrentIndex(transport_->findData(QVariant::fromValue(page.transport)));
  showText(destinationPortLabel_, settings.destinationPortTitle);
  destinationPort_->setAccessibleName(settings.destinationPortTitle);
  destinationPort_->setPlaceholderText(settings.destinationPortPlaceholder);
  showText(destinationPort_, page.sendPort);
  showText(listenPort_, page.listenPort);
  listenPortRow_->setVisible(settings.listenPortShown);
  framing_->setCurrentIndex(framing_->findData(QVariant::fromValue(page.tcpFraming)));
  framing_->parentWidget()->setVisible(settings.framingShown);

  validationError_->parentWidget()->setVisible(settings.validationError.has_value());
  showText(validationError_, settings.validationError.value_or(QString()));
  showText(settingsFooter_, settings.footer);
}

void ConnectionView::redrawTest(const ConnectionPageInput &page) {
  const ConnectionTest test = connectionTest(page);
  testButton_->setEnabled(test.buttonEnabled);
  testBusy_->setVisible(test.busyShown);
  const QString result = test.result.value_or(QString());
  showText(testStatus_, result);
  // The whole result is on the page; the tooltip repeats it for a pointer resting there.
  testStatus_->setToolTip(plainToolTip(*testStatus_, result));
  const std::pair<SelectableWrappedLabel *, const std::optional<QString> &> rows[] = {
      {testStatus_, test.result}, {testIdentity_, test.identity}, {testVersion_, test.version}};
  for (const auto &[value, text] : rows) {
    showText(value, text.value_or(QString()));
    showRowWithValue(*testRows_, value, text.has_value());
  }
}

void ConnectionView::redrawActions(const ConnectionPageInput &page) {
  disconnectButton_->setEnabled(disconnectEnabled(page));
}

void ConnectionView::redrawNearbyServices(const ConnectionPageInput &page) {
  // The model gives every entry a fresh identity on each republication, so the rows are made
  // afresh exactly then, and a redraw for another value leaves a row under the pointer alone.
  const QList<AppViewModel::DiscoveredConsole> &services = app_.discoveredConsoles();
  QList<QUuid> ids;
  for (const AppViewModel::DiscoveredConsole &service : services) {
    ids.append(service.id);
  }
  if (drawnServiceIDs_ == ids) {
    return;
  }
  drawnServiceIDs_ = ids;
  while (QLayoutItem *item = serviceRows_->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  const NearbyServices shown = nearbyServices(page);
  if (shown.emptyText) {
    QFont italic = font();
    italic.setItalic(true);
    QLabel *empty = secondaryLabel(*shown.emptyText, italic);
    empty->setObjectName(QStringLiteral("connection.nearbyServices.empty"));
    serviceRows_->addWidget(empty);
    return;
  }
  for (const AppViewModel::DiscoveredConsole &service : services) {
    auto *name = new ElidedLabel(service.name);
    name->setFont(headlineFont(name->font()));
    QPushButton *row = twoLineButton(name, secondaryLabel(shown.rowCaption, captionFont(font())),
                                     iconLabel(QStringLiteral("network"), selectionBlue));
    row->setFlat(true);
    row->setAccessibleName(service.name);
    row->setToolTip(plainToolTip(*row, service.name));
    connect(row, &QPushButton::clicked, this,
            [this, service] { app_.connectToDiscoveredConsole(service); });
    serviceRows_->addWidget(row);
  }
}

// Connected when the model offers each operation of the same name.
void ConnectionView::applyConnectionProfile(const ConsoleConnectionProfile &profile) {
  app_.applyConnectionProfile(profile);
}

void ConnectionView::startNewConnection() { app_.startNewConnection(); }

void ConnectionView::saveConnectionProfile() { app_.saveConnectionProfile(); }

void ConnectionView::applyBuiltInProfile(const ConsoleConnectionProfile &profile) {
  const QList<ConsoleConnectionProfile> examples = AppViewModel::builtInConnectionProfiles();
  app_.applyBuiltInProfile(!examples.isEmpty() && profile.id == examples.first().id
                               ? AppViewModel::BuiltInProfile::first
                               : AppViewModel::BuiltInProfile::second);
}

void ConnectionView::testConnection() { app_.testConnection(); }

void ConnectionView::setUsesMacRelay(bool on) {
  app_.setUsesMacRelay(on);
  if (on) {
    // A relay takes TCP with SLIP on its own port.
    app_.setConnectionTransport(OSCTransport::tcp);
    app_.setCustomSendPort(QString::number(TarnikRelayServer::standardPort));
    app_.setTcpFraming(OSCTCPFraming::slip);
  } else {
    // Back to the console's port for the framing in use; transport and framing stay.
    app_.setCustomSendPort(AppViewModel::defaultSendPort(OSCTransport::tcp, app_.tcpFraming()));
  }
}

}  // namespace tarnik
