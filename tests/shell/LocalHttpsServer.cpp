#include "LocalHttpsServer.h"

#include "support/ProcessRunner.h"

#include <QDir>
#include <QFile>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

namespace tarnik::testing {

namespace {

QByteArray readFile(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray reasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
  }
  return "Status";
}

}  // namespace

LocalHttpsServer::LocalHttpsServer(const QString &folder) {
  const QDir dir(folder);
  const QString keyPath = dir.filePath(QStringLiteral("server-key.pem"));
  const QString certificatePath = dir.filePath(QStringLiteral("server-certificate.pem"));
  const auto made = ProcessRunner::run(
      QStringLiteral("openssl"),
      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
       QStringLiteral("ec"), QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:P-256"),
       QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("1"),
       QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
       QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"), keyPath,
       QStringLiteral("-out"), certificatePath},
      std::chrono::seconds(20));
  if (!made || made->exitCode != 0) {
    return;
  }
  certificate_ = QSslCertificate(readFile(certificatePath), QSsl::Pem);
  QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
  configuration.setLocalCertificate(certificate_);
  configuration.setPrivateKey(QSslKey(readFile(keyPath), QSsl::Ec, QSsl::Pem));
  configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
  server_.setSslConfiguration(configuration);
  QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, &server_, [this] {
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
      serve(static_cast<QSslSocket *>(socket));
    }
  });
  server_.listen(QHostAddress::LocalHost);
}

QUrl LocalHttpsServer::url(const QString &path, const QString &scheme) const {
  QUrl url;
  url.setScheme(scheme);
  url.setHost(QStringLiteral("127.0.0.1"));
  url.setPort(server_.serverPort());
  url.setPath(path);
  return url;
}

void LocalHttpsServer::serve(QSslSocket *socket) {
  QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
  auto request = std::make_shared<QByteArray>();
  QObject::connect(socket, &QIODevice::readyRead, socket, [this, socket, request] {
    request->append(socket->readAll());
    const qsizetype headerEnd = request->indexOf("\r\n\r\n");
    if (headerEnd < 0) {
      return;
    }
    const QList<QByteArray> requestLine = request->left(request->indexOf("\r\n")).split(' ');
    request->clear();
    const QString path =
        requestLine.value(1).isEmpty() ? QString() : QUrl::fromEncoded(requestLine.value(1)).path();
    ++requests_[path];
    const HttpsAnswer answer = answers_.value(path, HttpsAnswer::failure(404, "no such path"));

    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' +
                      reasonPhrase(answer.status) + "\r\nConnection: close\r\n";
    if (answer.ending != HttpsAnswer::Ending::unannounced) {
      head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    }
    for (const auto &[name, value] : answer.headers) {
      head += name + ": " + value + "\r\n";
    }
    socket->write(head + "\r\n");
    const bool whole = answer.ending == HttpsAnswer::Ending::complete ||
                       answer.ending == HttpsAnswer::Ending::unannounced;
    socket->write(whole ? answer.body : answer.body.left(answer.body.size() / 2));
    if (answer.ending != HttpsAnswer::Ending::stall) {
      socket->disconnectFromHost();
    }
  });
}

}  // namespace tarnik::testing
