#pragma once

// A small HTTPS/1.1 server on 127.0.0.1 for the updater's tests: a QSslServer with a
// certificate that openssl makes when the test runs, answering each path from a table.
// Every answer closes its connection.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSslCertificate>
#include <QSslServer>
#include <QString>
#include <QUrl>

#include <optional>
#include <utility>

namespace tarnik::testing {

struct HttpsAnswer {
  enum class Ending {
    complete,     // the whole body, then close
    cutShort,     // Content-Length of the whole body, half of it, then close
    stall,        // Content-Length of the whole body, half of it, then nothing
    unannounced,  // no Content-Length: the body ends where the connection closes
  };
  int status = 200;
  QByteArray body;
  Ending ending = Ending::complete;
  QList<std::pair<QByteArray, QByteArray>> headers;

  static HttpsAnswer ok(QByteArray body, Ending ending = Ending::complete) {
    HttpsAnswer answer;
    answer.body = std::move(body);
    answer.ending = ending;
    return answer;
  }
  static HttpsAnswer failure(int status, QByteArray body) {
    HttpsAnswer answer = ok(std::move(body));
    answer.status = status;
    return answer;
  }
  static HttpsAnswer redirect(const QUrl &target) {
    HttpsAnswer answer = failure(302, {});
    answer.headers.append({"Location", target.toEncoded()});
    return answer;
  }
};

class LocalHttpsServer {
 public:
  // Makes a fresh certificate for 127.0.0.1 in the folder and listens; check isListening().
  explicit LocalHttpsServer(const QString &folder);

  bool isListening() const { return server_.isListening(); }
  const QSslCertificate &certificate() const { return certificate_; }
  QUrl url(const QString &path, const QString &scheme = QStringLiteral("https")) const;

  void answer(const QString &path, HttpsAnswer answer) { answers_.insert(path, std::move(answer)); }
  int requestCount(const QString &path) const { return requests_.value(path); }

 private:
  void serve(QSslSocket *socket);

  QSslServer server_;
  QSslCertificate certificate_;
  QHash<QString, HttpsAnswer> answers_;
  QHash<QString, int> requests_;
};

}  // namespace tarnik::testing
