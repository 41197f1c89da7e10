#include "link/TarnikRelayServer.h"

#include "foundation/TextRules.h"
#include "foundation/UuidText.h"
#include "link/AvahiEndpointResolver.h"
#include "link/LinkLogging.h"
#include "link/TarnikRelayListener.h"
#include "link/TarnikRelayTlsContext.h"
#include "platform/AvahiServiceAdvertiser.h"

#include <QDBusConnection>
#include <QHostAddress>
#include <QSysInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnik {

namespace {

constexpr double minimumTimeout = 0.1;
const QString who = QStringLiteral("Tarnik");

double atLeastMinimumTimeout(double seconds) {
  return seconds > minimumTimeout ? seconds : minimumTimeout;
}

std::chrono::milliseconds timerInterval(double seconds) {
  const double milliseconds = std::ceil(seconds * 1000.0);
  return std::chrono::milliseconds(static_cast<qint64>(
      std::min(milliseconds, static_cast<double>(std::numeric_limits<int>::max()))));
}

// A console the relay could reach. A host and port also needs a host: with a blank one
// the relay would say it listens while every phone's session fails.
bool isUsableConsole(const OSCEndpoint &endpoint) {
  if (const OSCEndpoint::HostPort *target = endpoint.asHostPort()) {
    return target->port != 0 && !trimmedText(target->host).isEmpty();
  }
  const OSCEndpoint::Service &service = std::get<OSCEndpoint::Service>(endpoint.value);
  return !service.name.isEmpty() && !service.type.isEmpty() && !service.domain.isEmpty();
}

}  // namespace

TarnikRelayServer::TarnikRelayServer(int maximumSessions, double setupTimeout, double sendTimeout,
                                     QObject *parent)
    : ObservableObject(parent),
      status_(QStringLiteral("Relay stopped")),
      serviceResolver_(std::make_shared<AvahiEndpointResolver>()),
      maximumSessions_(std::max(maximumSessions, 1)),
      setupTimeout_(atLeastMinimumTimeout(setupTimeout)),
      sendTimeout_(atLeastMinimumTimeout(sendTimeout)),
      sleepMonitor_(QDBusConnection::systemBus(), who,
                    QStringLiteral("Tarnik stops its phone relay before the system sleeps")),
      keepAwake_(QDBusConnection::systemBus(),
                 {QStringLiteral("idle"), who,
                  QStringLiteral("Tarnik is serving connected lighting-control clients"),
                  QStringLiteral("block")}) {
  connect(&sleepMonitor_, &LogindSleepMonitor::willSleep, this, &TarnikRelayServer::stopForSleep);
}

TarnikRelayServer::~TarnikRelayServer() {
  // Their shutdown goes to the pump thread, which ends only after it has run.
  for (const auto &entry : sessions_) {
    entry.second->disconnect(this);
    entry.second->close();
  }
}

void TarnikRelayServer::setServiceResolver(std::shared_ptr<OSCServiceResolver> resolver) {
  serviceResolver_ = std::move(resolver);
}

void TarnikRelayServer::start(const OSCEndpoint &consoleEndpoint, quint16 port,
                              const QString &pairingCode) {
  stop();
  if (!isUsableConsole(consoleEndpoint)) {
    publish(status_,
            TarnikRelaySecurity::Failure{TarnikRelaySecurity::Failure::Kind::invalidEndpoint}
                .description(),
            &TarnikRelayServer::statusChanged);
    return;
  }
  auto security = TarnikRelaySecurity::parameters(pairingCode);
  if (!security) {
    publish(status_, security.error().description(), &TarnikRelayServer::statusChanged);
    return;
  }
  auto tls = TarnikRelayTlsContext::make(*security);
  if (!tls) {
    // Without its TLS rules no phone could finish a handshake: a relay that listened anyway
    // would look ready and refuse everyone. OpenSSL without its default provider, as some
    // system configurations load it, gets here.
    publish(status_,
            QStringLiteral("Relay could not set up TLS for phones; check the system's OpenSSL "
                           "configuration."),
            &TarnikRelayServer::statusChanged);
    return;
  }
  sessionSettings_ = TarnikRelaySession::Settings{std::move(tls),
                                                  consoleEndpoint,
                                                  serviceResolver_,
                                                  timerInterval(setupTimeout_),
                                                  timerInterval(sendTimeout_),
                                                  &pumpThread_};

  listener_ = new TarnikRelayListener(this);
  const CallbackIdentity::Value run = generation_.current();
  connect(listener_, &TarnikRelayListener::connectionOffered, this,
          [this, run](qintptr descriptor) { accept(descriptor, run); });
  connect(listener_, &QTcpServer::acceptError, this, [this, run] { listenerFailed(run); });

  publish(status_, QStringLiteral("Starting relay…"), &TarnikRelayServer::statusChanged);
  QMetaObject::invokeMethod(
      this, [this, run, port] { listen(run, port); }, Qt::QueuedConnection);
}

void TarnikRelayServer::stop() {
  generation_.renew();
  if (listener_ != nullptr) {
    listener_->disconnect(this);
    listener_->close();
    // stop() may run from the listener's own report.
    listener_->deleteLater();
    listener_ = nullptr;
  }
  advertiser_.reset();
  std::vector<QUuid> ids;
  for (const auto &entry : sessions_) {
    ids.push_back(entry.first);
  }
  for (const QUuid &id : ids) {
    closeSession(id);
  }
  sessionSettings_.reset();
  publish(boundPort_, std::nullopt, &TarnikRelayServer::boundPortChanged);
  publish(isRunning_, false, &TarnikRelayServer::isRunningChanged);
  publish(status_, QStringLiteral("Relay stopped"), &TarnikRelayServer::statusChanged);
  keepAwake_.release();
}

void TarnikRelayServer::listen(CallbackIdentity::Value run, quint16 port) {
  if (!generation_.isCurrent(run) || listener_ == nullptr) {
    return;
  }
  if (listener_->listen(QHostAddress::Any, port)) {
    listenerReady(run);
  } else {
    listenerFailed(run);
  }
}

void TarnikRelayServer::listenerReady(CallbackIdentity::Value run) {
  if (!generation_.isCurrent(run) || listener_ == nullptr) {
    return;
  }
  const quint16 port = listener_->serverPort();
  publish(boundPort_, port != 0 ? std::optional(port) : std::nullopt,
          &TarnikRelayServer::boundPortChanged);
  publish(isRunning_, true, &TarnikRelayServer::isRunningChanged);
  keepAwake_.acquire();
  if (!advertiser_ && boundPort_) {
    // Best effort: without an Avahi daemon phones type the address, and the relay serves them all
    // the same.
    advertiser_ = std::make_unique<AvahiServiceAdvertiser>(
        QStringLiteral("Tarnik on ") + QSysInfo::machineHostName(),
        QStringLiteral("_tarnik-relay._tcp"), *boundPort_);
  }
  qCInfo(tarnikRelay) << "listening on port" << port;
  publish(status_,
          QStringLiteral("Relay listening on ") +
              (boundPort_ ? QString::number(*boundPort_) : QStringLiteral("automatic port")),
          &TarnikRelayServer::statusChanged);
}

void TarnikRelayServer::listenerFailed(CallbackIdentity::Value run) {
  if (!generation_.isCurrent(run)) {
    return;
  }
  qCInfo(tarnikRelay) << "listener failed";
  stop();
  publish(status_, QStringLiteral("Relay listener failed; check the port and network permissions"),
          &TarnikRelayServer::statusChanged);
}

void TarnikRelayServer::accept(qintptr descriptor, CallbackIdentity::Value run) {
  if (!generation_.isCurrent(run) || !sessionSettings_ ||
      static_cast<int>(sessions_.size()) >= maximumSessions_) {
    if (generation_.isCurrent(run) && sessionSettings_)
      qCInfo(tarnikRelay) << "connection refused:" << sessions_.size() << "of" << maximumSessions_
                          << "places taken";
    TarnikRelayListener::refuse(descriptor);
    return;
  }
  const QUuid sessionId = QUuid::createUuid();
  qCInfo(tarnikRelay).noquote() << "session" << uuidText(sessionId) << "opened"
                                << "| sessions:" << sessions_.size() + 1;
  auto *session = new TarnikRelaySession(descriptor, *sessionSettings_, this);
  sessions_.emplace(sessionId, session);
  connect(session, &TarnikRelaySession::authenticated, this, [sessionId] {
    qCInfo(tarnikRelay).noquote() << "session" << uuidText(sessionId) << "proved the pairing code";
  });
  connect(session, &TarnikRelaySession::authenticated, this, &TarnikRelayServer::updateClientCount);
  connect(session, &TarnikRelaySession::closeRequested, this,
          [this, sessionId] { closeSession(sessionId); });
  session->start();
}

void TarnikRelayServer::closeSession(const QUuid &sessionId) {
  const auto entry = sessions_.find(sessionId);
  if (entry == sessions_.end()) {
    return;
  }
  TarnikRelaySession *session = entry->second;
  sessions_.erase(entry);
  qCInfo(tarnikRelay).noquote() << "session" << uuidText(sessionId) << "closed"
                                << (session->isAuthenticated() ? "after the phone proved the code"
                                                               : "before the phone proved the code")
                                << "| sessions:" << sessions_.size();
  session->disconnect(this);
  session->close();
  // Often called from the session's own report.
  session->deleteLater();
  updateClientCount();
}

void TarnikRelayServer::updateClientCount() {
  const auto count = std::count_if(sessions_.begin(), sessions_.end(), [](const auto &entry) {
    return entry.second->isAuthenticated();
  });
  publish(clientCount_, static_cast<int>(count), &TarnikRelayServer::clientCountChanged);
}

void TarnikRelayServer::stopForSleep() {
  const bool wasActive = isRunning_ || listener_ != nullptr;
  stop();
  if (wasActive) {
    publish(
        status_,
        QStringLiteral("Relay stopped for system sleep. Start the phone relay again after waking."),
        &TarnikRelayServer::statusChanged);
  }
}

}  // namespace tarnik
