#include "link/TarnikRelaySession.h"

#include "link/TarnikRelayPump.h"

#include <QPointer>
#include <QSslSocket>
#include <QTcpSocket>

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

}  // namespace

TarnikRelaySession::TarnikRelaySession(qintptr descriptor, const Settings &settings,
                                       QObject *parent)
    : QObject(parent), settings_(settings), downstream_(new QSslSocket(this)) {
  // Qt would otherwise read from the network as fast as it arrives while a chunk waits to
  // be written; the read buffer caps what a session holds.
  downstream_->setReadBufferSize(TarnikRelayPump::chunkLimit);
  if (downstream_->setSocketDescriptor(descriptor)) {
    TarnikRelaySecurity::armServerSocket(*downstream_, settings_.security);
  }
  connect(downstream_, &QSslSocket::encrypted, this, &TarnikRelaySession::downstreamReady);
  connect(downstream_, &QAbstractSocket::errorOccurred, this,
          &TarnikRelaySession::downstreamFailed);
  connect(downstream_, &QAbstractSocket::disconnected, this, &TarnikRelaySession::downstreamEnded);

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
  if (downstream_->state() != QAbstractSocket::ConnectedState) {
    // The phone left between the accept and now.
    QMetaObject::invokeMethod(this, &TarnikRelaySession::requestClose, Qt::QueuedConnection);
    return;
  }
  downstream_->startServerEncryption();
}

void TarnikRelaySession::downstreamReady() {
  if (authenticated_ || closed_) {
    return;
  }
  authenticated_ = true;
  emit authenticated();
  if (!closed_) {
    openUpstream();
  }
}

void TarnikRelaySession::downstreamFailed(QAbstractSocket::SocketError error) {
  // The phone closing its side is announced again by disconnected(), once what it sent
  // last has been decrypted; failures end the session now.
  if (!pumping_ && error != QAbstractSocket::RemoteHostClosedError) {
    requestClose();
  }
}

void TarnikRelaySession::downstreamEnded() {
  // A phone that proved the code, sent something and closed at once still has its bytes
  // delivered once the console answers; every other early close ends the session. While
  // pumping, the pumps see the end themselves.
  if (!pumping_ && !(authenticated_ && downstream_->bytesAvailable() > 0)) {
    requestClose();
  }
}

void TarnikRelaySession::openUpstream() {
  upstream_ = new QTcpSocket(this);
  upstream_->setReadBufferSize(TarnikRelayPump::chunkLimit);
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
  auto *toConsole = new TarnikRelayPump(*downstream_, *upstream_, settings_.sendTimeout, this);
  auto *toPhone = new TarnikRelayPump(*upstream_, *downstream_, settings_.sendTimeout, this);
  connect(toConsole, &TarnikRelayPump::finished, this, &TarnikRelaySession::requestClose);
  connect(toPhone, &TarnikRelayPump::finished, this, &TarnikRelaySession::requestClose);
  toConsole->start();
  // Starting one direction may already have ended the session.
  if (!closed_) {
    toPhone->start();
  }
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
  // Cut the handlers first: closing a socket reports synchronously, and nothing of this
  // session may react any more.
  for (QAbstractSocket *socket :
       {static_cast<QAbstractSocket *>(downstream_), static_cast<QAbstractSocket *>(upstream_)}) {
    if (socket != nullptr) {
      socket->disconnect();
      socket->abort();
    }
  }
}

}  // namespace tarnik
