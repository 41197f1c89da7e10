#include "link/TarnikRelaySession.h"

#include "link/TarnikRelayBridge.h"
#include "link/TarnikRelayPumpThread.h"

#include <QPointer>
#include <QTcpSocket>

#include <fcntl.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace tarnik {

namespace {

// A console that refuses or cannot be reached yet is waited for, not given up on: the
// connection is tried again at this pace until the setup timer ends the session.
constexpr std::chrono::seconds upstreamRetryInterval{1};

bool isWorthWaitingFor(QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::SocketTimeoutError:
      return true;
    default:
      return false;
  }
}

// Small OSC packets must leave at once, both ways.
void disableNagle(int descriptor) {
  const int on = 1;
  setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

TarnikRelaySession::TarnikRelaySession(qintptr descriptor, const Settings &settings,
                                       QObject *parent)
    : QObject(parent),
      settings_(settings),
      downstream_(TarnikRelayLeg::secure(static_cast<int>(descriptor), settings.tls)) {
  if (downstream_) {
    disableNagle(downstream_->descriptor());
    downstreamReadable_.setSocket(downstream_->descriptor());
    downstreamWritable_.setSocket(downstream_->descriptor());
    connect(&downstreamReadable_, &QSocketNotifier::activated, this,
            &TarnikRelaySession::downstreamActivity);
    connect(&downstreamWritable_, &QSocketNotifier::activated, this,
            &TarnikRelaySession::downstreamActivity);
  }

  setupTimer_.setSingleShot(true);
  setupTimer_.setInterval(settings_.setupTimeout);
  connect(&setupTimer_, &QTimer::timeout, this, &TarnikRelaySession::requestClose);
  retryTimer_.setSingleShot(true);
  retryTimer_.setInterval(upstreamRetryInterval);
  connect(&retryTimer_, &QTimer::timeout, this, [this] { connectUpstream(upstreamTarget_); });
}

TarnikRelaySession::~TarnikRelaySession() { close(); }

void TarnikRelaySession::start() {
  setupTimer_.start();
  if (!downstream_) {
    QMetaObject::invokeMethod(this, &TarnikRelaySession::requestClose, Qt::QueuedConnection);
    return;
  }
  // The phone speaks first; a phone that already left shows as readable too.
  waitForDownstream(TarnikRelayLeg::Status::wantRead);
}

void TarnikRelaySession::downstreamActivity() {
  if (closed_ || pumping_) {
    return;
  }
  if (authenticated_) {
    watchDownstream();
  } else {
    continueHandshake();
  }
}

void TarnikRelaySession::continueHandshake() {
  const TarnikRelayLeg::Outcome step = downstream_->handshake();
  if (step.status != TarnikRelayLeg::Status::done) {
    waitForDownstream(step.status);
    return;
  }
  authenticated_ = true;
  emit authenticated();
  if (!closed_) {
    watchDownstream();
  }
  if (!closed_) {
    openUpstream();
  }
}

// A phone that proved the code, sent something and closed at once still has its bytes
// delivered once the console answers; every other early close ends the session.
void TarnikRelaySession::watchDownstream() {
  if (downstream_->holdsUnreadBytes()) {
    waitForDownstream(TarnikRelayLeg::Status::done);
    return;
  }
  waitForDownstream(downstream_->peek().status);
}

// Watches the phone's socket for what the last step asked for: nothing more once it is done,
// the end of the session when the phone left or failed.
void TarnikRelaySession::waitForDownstream(TarnikRelayLeg::Status status) {
  downstreamReadable_.setEnabled(status == TarnikRelayLeg::Status::wantRead);
  downstreamWritable_.setEnabled(status == TarnikRelayLeg::Status::wantWrite);
  if (status == TarnikRelayLeg::Status::ended || status == TarnikRelayLeg::Status::failed) {
    requestClose();
  }
}

void TarnikRelaySession::openUpstream() {
  upstream_ = new QTcpSocket(this);
  connect(upstream_, &QAbstractSocket::connected, this, &TarnikRelaySession::upstreamReady);
  connect(upstream_, &QAbstractSocket::errorOccurred, this, &TarnikRelaySession::upstreamFailed);

  if (const OSCEndpoint::HostPort *target = settings_.console.asHostPort()) {
    connectUpstream(*target);
    return;
  }
  if (!settings_.serviceResolver) {
    requestClose();
    return;
  }
  settings_.serviceResolver->resolve(std::get<OSCEndpoint::Service>(settings_.console.value),
                                     [session = QPointer(this), lookup = lookup_.current()](
                                         std::expected<OSCEndpoint::HostPort, QString> target) {
                                       if (!session || !session->lookup_.isCurrent(lookup)) {
                                         return;
                                       }
                                       if (target) {
                                         session->connectUpstream(*target);
                                       } else {
                                         session->requestClose();
                                       }
                                     });
}

void TarnikRelaySession::connectUpstream(const OSCEndpoint::HostPort &target) {
  upstreamTarget_ = target;
  upstream_->abort();
  upstream_->connectToHost(target.host, target.port);
}

void TarnikRelaySession::upstreamFailed(QAbstractSocket::SocketError error) {
  if (pumping_) {
    return;
  }
  if (isWorthWaitingFor(error)) {
    retryTimer_.start();
  } else {
    requestClose();
  }
}

void TarnikRelaySession::upstreamReady() {
  if (pumping_ || closed_) {
    return;
  }
  pumping_ = true;
  setupTimer_.stop();
  retryTimer_.stop();
  // From here the legs belong to the bridge alone. The console's connection goes on in a
  // descriptor of its own, so Qt's socket closes its own before it can read anything.
  downstreamReadable_.setEnabled(false);
  downstreamWritable_.setEnabled(false);
  const int console = fcntl(static_cast<int>(upstream_->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
  upstream_->disconnect(this);
  upstream_->abort();
  upstream_->deleteLater();
  upstream_ = nullptr;
  if (console < 0) {
    requestClose();
    return;
  }
  disableNagle(console);
  bridge_ = new TarnikRelayBridge(std::move(downstream_), TarnikRelayLeg::plain(console),
                                  settings_.sendTimeout);
  connect(bridge_, &TarnikRelayBridge::finished, this, &TarnikRelaySession::requestClose,
          Qt::QueuedConnection);
  settings_.pumpThread->run(bridge_);
}

void TarnikRelaySession::requestClose() {
  if (!closed_) {
    emit closeRequested();
  }
}

void TarnikRelaySession::close() {
  if (closed_) {
    return;
  }
  closed_ = true;
  lookup_.renew();
  setupTimer_.stop();
  retryTimer_.stop();
  if (bridge_ != nullptr) {
    QMetaObject::invokeMethod(bridge_, &TarnikRelayBridge::shutDown, Qt::QueuedConnection);
    bridge_ = nullptr;
  }
  downstreamReadable_.setEnabled(false);
  downstreamWritable_.setEnabled(false);
  downstream_.reset();
  // Cut the handlers first: closing a socket reports synchronously, and nothing of this
  // session may react any more.
  if (upstream_ != nullptr) {
    upstream_->disconnect();
    upstream_->abort();
  }
}

}  // namespace tarnik
