#pragma once

#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace tarnik {

// One GET over HTTPS and nothing else: a plain-http address or a redirect that leaves
// HTTPS is refused, and so are a redirect without an address and more than five of them;
// the body may not grow past a limit, and a server that stops sending for the time limit
// ends the transfer. Bytes go to the sink as they arrive.
class HttpsFetch : public QObject {
  Q_OBJECT

 public:
  struct Limits {
    qint64 maximumBytes = 0;
    QString tooLargeReason;  // shown when the body passes maximumBytes
    int stallMilliseconds = 30000;
  };
  // Takes arriving bytes; a reason stops the transfer with it.
  using Sink = std::function<std::optional<QString>(QByteArrayView)>;
  // Nothing on success, else the reason. Called once, from inside the fetch's own signal
  // handling: release the fetch there with deleteLater(), never delete.
  using Completion = std::function<void(std::optional<QString>)>;

  // An empty trust list means the system's certificate authorities.
  HttpsFetch(QNetworkAccessManager &network, const QUrl &url,
             const QList<QSslCertificate> &trustedCertificates, Limits limits, Sink sink,
             Completion completion, QObject *parent = nullptr);
  // Aborts a transfer still running, without calling the completion.
  ~HttpsFetch() override;

 private:
  void get(const QUrl &url);
  void replyFinished();
  void takeBytes();
  void finish(std::optional<QString> failure);

  QNetworkAccessManager &network_;
  QList<QSslCertificate> trustedCertificates_;
  int redirects_ = 0;
  Limits limits_;
  Sink sink_;
  Completion completion_;
  QPointer<QNetworkReply> reply_;
  qint64 received_ = 0;
};

}  // namespace tarnik
