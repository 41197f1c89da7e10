#include "screens/connection/ConnectionDiagnosticsContent.h"

#include "app/AppViewModel.h"
#include "foundation/ReferenceDate.h"
#include "foundation/TextRules.h"
#include "link/OSCManager.h"
#include "screens/connection/ConnectionViewRules.h"
#include "screens/kit/LocaleTexts.h"
#include "screens/kit/ScreenRefresh.h"
#include "screens/kit/SelectableWrappedLabel.h"
#include "screens/kit/Style.h"
#include "screens/kit/TitledSection.h"
#include "screens/kit/WrappedLabel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace tarnik {

namespace {

const QString unavailable = QStringLiteral("Unavailable");

}  // namespace

QString ConnectionDiagnosticsContent::configuredConsoleText(
    const std::optional<QString> &profileName, const QString &consoleName) {
  // A blank profile name is the profile's own fault; the form's console name is not it.
  const QString trimmed = trimmedText(profileName.value_or(consoleName));
  return trimmed.isEmpty() ? QStringLiteral("No console selected") : trimmed;
}

QString ConnectionDiagnosticsContent::displayText(const std::optional<QString> &value) {
  const QString trimmed = trimmedText(value.value_or(QString()));
  return trimmed.isEmpty() ? unavailable : trimmed;
}

bool ConnectionDiagnosticsContent::showsError(const std::optional<QString> &lastError) {
  return lastError && !trimmedText(*lastError).isEmpty();
}

ConnectionDiagnosticsContent::ConnectionDiagnosticsContent(AppViewModel &model, OSCManager &manager,
                                                           QWidget *parent)
    : QWidget(parent),
      model_(model),
      manager_(manager),
      progressRow_(new QWidget),
      errorSection_(new TitledSection(QStringLiteral("Last Transport Error"))),
      errorText_(new SelectableWrappedLabel),
      refresh_(new ScreenRefresh(this, [this] { redraw(); })) {
  new QVBoxLayout(this);

  QFormLayout *connection = addSection(
      QStringLiteral("Connection"),
      QStringLiteral("A ready manager socket confirms a network connection. Eos verification "
                     "requires an actual Eos reply, and heartbeat freshness can expire "
                     "independently."));
  addRow(connection, QStringLiteral("Manager socket"), QStringLiteral("diagnostics.managerSocket"));
  addRow(connection, QStringLiteral("Eos verification"),
         QStringLiteral("diagnostics.eosVerification"));
  addRow(connection, QStringLiteral("Heartbeat freshness"),
         QStringLiteral("diagnostics.heartbeatFreshness"));
  addRow(connection, QStringLiteral("Configured console"),
         QStringLiteral("diagnostics.configuredConsole"));
  addRow(connection, QStringLiteral("Active endpoint"),
         QStringLiteral("diagnostics.activeEndpoint"));
  addRow(connection, QStringLiteral("Transport / framing"),
         QStringLiteral("diagnostics.transport"));
  addRow(connection, QStringLiteral("Network path"), QStringLiteral("diagnostics.networkPath"));
  addRow(connection, QStringLiteral("Interfaces"), QStringLiteral("diagnostics.interfaces"));
  addRow(connection, QStringLiteral("Last Eos response"),
         QStringLiteral("diagnostics.lastEosResponse"));
  addRow(connection, QStringLiteral("Round trip"), QStringLiteral("diagnostics.roundTrip"));
  addRow(connection, QStringLiteral("RTT sample age"), QStringLiteral("diagnostics.rttSampleAge"));
  addRow(connection, QStringLiteral("RTT samples"), QStringLiteral("diagnostics.rttSamples"));

  QFormLayout *verified = addSection(QStringLiteral("Verified Eos Details"));
  addRow(verified, QStringLiteral("Identity"), QStringLiteral("diagnostics.identity"));
  addRow(verified, QStringLiteral("Software version"),
         QStringLiteral("diagnostics.softwareVersion"));
  addRow(verified, QStringLiteral("Fixture library"), QStringLiteral("diagnostics.fixtureLibrary"));

  QFormLayout *traffic = addSection(
      QStringLiteral("Current Session OSC Traffic"),
      QStringLiteral("Attempts, queued writes, completed writes, and failures are separate "
                     "lifecycle counts. Received messages are not assumed to be replies to a "
                     "particular write."));
  addRow(traffic, QStringLiteral("Write attempts"), QStringLiteral("diagnostics.writeAttempts"));
  addRow(traffic, QStringLiteral("Writes queued"), QStringLiteral("diagnostics.writesQueued"));
  addRow(traffic, QStringLiteral("Writes completed"),
         QStringLiteral("diagnostics.writesCompleted"));
  addRow(traffic, QStringLiteral("Writes failed"), QStringLiteral("diagnostics.writesFailed"));
  addRow(traffic, QStringLiteral("OSC messages received"),
         QStringLiteral("diagnostics.messagesReceived"));
  addRow(traffic, QStringLiteral("Matched ping replies"),
         QStringLiteral("diagnostics.matchedPingReplies"));
  addRow(traffic, QStringLiteral("Receive rate"), QStringLiteral("diagnostics.receiveRate"));
  addRow(traffic, QStringLiteral("Completed bytes sent"), QStringLiteral("diagnostics.bytesSent"));
  addRow(traffic, QStringLiteral("Bytes received"), QStringLiteral("diagnostics.bytesReceived"));

  showDataSection_ = addSection(QStringLiteral("Show Data"));
  addRow(showDataSection_, QStringLiteral("Sync"), QStringLiteral("diagnostics.sync"));
  addRow(showDataSection_, QStringLiteral("Data status"), QStringLiteral("diagnostics.dataStatus"));
  addRow(showDataSection_, QStringLiteral("Cues"), QStringLiteral("diagnostics.cues"));
  addRow(showDataSection_, QStringLiteral("Patched channels"),
         QStringLiteral("diagnostics.patchedChannels"));
  progressRow_->setObjectName(QStringLiteral("diagnostics.progress"));
  auto *busy = new QProgressBar;
  busy->setRange(0, 0);  // indeterminate
  busy->setTextVisible(false);
  busy->setMaximumWidth(80);
  auto *progressLayout = new QHBoxLayout(progressRow_);
  progressLayout->setContentsMargins(0, 0, 0, 0);
  progressLayout->setSpacing(10);
  progressLayout->addWidget(busy, 0, Qt::AlignVCenter);
  progressLayout->addWidget(new QLabel(QStringLiteral("Receiving show data")), 0, Qt::AlignVCenter);
  progressLayout->addStretch();
  showDataSection_->addRow(progressRow_);

  // The error as the connection published it, surrounding blanks kept, and selectable so
  // it can be copied into a report.
  errorSection_->setObjectName(QStringLiteral("diagnostics.lastErrorSection"));
  errorText_->setObjectName(QStringLiteral("diagnostics.lastError"));
  QPalette red = errorText_->palette();
  red.setColor(QPalette::WindowText, Style::light(Style::Role::failure));
  errorText_->setPalette(red);
  (new QVBoxLayout(errorSection_))->addWidget(errorText_);
  layout()->addWidget(errorSection_);
  static_cast<QVBoxLayout *>(layout())->addStretch();

  refresh_->observe(model_);
  refresh_->redrawNow();
}

QFormLayout *ConnectionDiagnosticsContent::addSection(const QString &title, const QString &footer) {
  auto *section = new TitledSection(title);
  auto *rows = new QFormLayout(section);
  rows->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  layout()->addWidget(section);
  if (!footer.isEmpty()) {
    auto *note = new QLabel(footer);
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    layout()->addWidget(note);
  }
  return rows;
}

WrappedLabel *ConnectionDiagnosticsContent::addRow(QFormLayout *section, const QString &label,
                                                   const QString &objectName) {
  // Values come from the console and the network: plain text, never markup. A long one (the
  // reason a connection failed) wraps beside its label rather than widening the report.
  auto *value = new WrappedLabel;
  value->setObjectName(objectName);
  value->setAlignment(Qt::AlignRight | Qt::AlignTop);
  section->addRow(label, value);
  values_.insert(objectName, value);
  sectionOfRow_.insert(objectName, section);
  return value;
}

void ConnectionDiagnosticsContent::setValue(const QString &objectName, const QString &text) {
  values_.value(objectName)->setFullText(text);
}

void ConnectionDiagnosticsContent::showRow(const QString &objectName, bool shown) {
  sectionOfRow_.value(objectName)->setRowVisible(values_.value(objectName), shown);
}

void ConnectionDiagnosticsContent::redraw() {
  ++redrawCount_;
  const OSCManager &manager = manager_;
  setValue(QStringLiteral("diagnostics.managerSocket"),
           managerSocketText(manager.isConnected(), manager.connectionStateDescription()));
  setValue(QStringLiteral("diagnostics.eosVerification"),
           manager.isEosVerified() ? QStringLiteral("Verified by Eos reply")
                                   : QStringLiteral("Not verified"));
  setValue(
      QStringLiteral("diagnostics.heartbeatFreshness"),
      model_.isConsoleReachable() ? QStringLiteral("Fresh") : QStringLiteral("No fresh response"));
  const auto &settings = model_.activeConnectionSettings();
  setValue(QStringLiteral("diagnostics.configuredConsole"),
           configuredConsoleText(settings ? std::optional(settings->name) : std::nullopt,
                                 model_.consoleName()));
  setValue(QStringLiteral("diagnostics.activeEndpoint"),
           displayText(manager.effectiveEndpointDescription()));
  setValue(QStringLiteral("diagnostics.transport"),
           displayText(manager.effectiveTransportDescription()));
  setValue(QStringLiteral("diagnostics.networkPath"),
           displayText(manager.networkPathDescription()));
  setValue(QStringLiteral("diagnostics.interfaces"),
           displayText(manager.localEndpointDescription()));

  const std::optional<double> lastEosResponse = manager.lastEosResponse();
  showRow(QStringLiteral("diagnostics.lastEosResponse"), lastEosResponse.has_value());
  if (lastEosResponse) {
    setValue(QStringLiteral("diagnostics.lastEosResponse"),
             diagnosticsTimestampText(dateTimeFromReferenceSeconds(*lastEosResponse)));
  }
  const std::optional<double> roundTrip = manager.roundTripMilliseconds();
  setValue(QStringLiteral("diagnostics.roundTrip"),
           roundTrip ? measurementText(*roundTrip, QStringLiteral(" ms"))
                     : QStringLiteral("Not measured"));
  const std::optional<double> sampleAge = manager.roundTripSampleAgeSeconds();
  showRow(QStringLiteral("diagnostics.rttSampleAge"), sampleAge.has_value());
  if (sampleAge) {
    setValue(QStringLiteral("diagnostics.rttSampleAge"),
             measurementText(*sampleAge, QStringLiteral(" s")));
  }
  const QString sampleCount = QString::number(manager.roundTripSampleCount());
  setValue(QStringLiteral("diagnostics.rttSamples"), sampleCount);

  setValue(QStringLiteral("diagnostics.identity"), displayText(manager.verifiedConsoleIdentity()));
  setValue(QStringLiteral("diagnostics.softwareVersion"),
           displayText(manager.verifiedSoftwareVersion()));
  setValue(QStringLiteral("diagnostics.fixtureLibrary"),
           displayText(manager.verifiedFixtureLibraryVersion()));

  setValue(QStringLiteral("diagnostics.writeAttempts"),
           QString::number(manager.attemptedMessageCount()));
  setValue(QStringLiteral("diagnostics.writesQueued"),
           QString::number(manager.queuedMessageCount()));
  setValue(QStringLiteral("diagnostics.writesCompleted"),
           QString::number(manager.sentMessageCount()));
  setValue(QStringLiteral("diagnostics.writesFailed"), QString::number(manager.failedSendCount()));
  setValue(QStringLiteral("diagnostics.messagesReceived"),
           QString::number(manager.receivedMessageCount()));
  setValue(QStringLiteral("diagnostics.matchedPingReplies"), sampleCount);
  setValue(QStringLiteral("diagnostics.receiveRate"),
           measurementText(manager.receivedMessageRate(), QStringLiteral(" msg/s")));
  setValue(QStringLiteral("diagnostics.bytesSent"), byteCountText(manager.sentByteCount()));
  setValue(QStringLiteral("diagnostics.bytesReceived"), byteCountText(manager.receivedByteCount()));

  setValue(QStringLiteral("diagnostics.sync"), model_.syncProgressDescription());
  setValue(QStringLiteral("diagnostics.dataStatus"), model_.dataStatusMessage());
  setValue(QStringLiteral("diagnostics.cues"), QString::number(model_.cues().size()));
  setValue(QStringLiteral("diagnostics.patchedChannels"),
           QString::number(model_.channels().size()));
  showDataSection_->setRowVisible(progressRow_, model_.isLoadingCues() || model_.isLoadingPatch());

  const std::optional<QString> lastError = manager.lastError();
  errorSection_->setVisible(showsError(lastError));
  const QString error = lastError.value_or(QString());
  errorText_->setText(error);
}

}  // namespace tarnik
