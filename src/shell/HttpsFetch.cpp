#include "shell/HttpsFetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>

namespace tarnik {

namespace {

constexpr int maximumRedirects = 5;

bool isHttps(const QUrl &url) { return url.scheme().toLower() == QStringLiteral("https"); }

QString notHttpsReason() { return QStringLiteral("The server sent an address that is not HTTPS."); }

bool isRedirect(const QNetworkReply &reply) {
  const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  return status >= 300 && status < 400;
}

}  // namespace

HttpsFetch::HttpsFetch(QNetworkAccessManager &network, const QUrl &url,
                       const QList<QSslCertificate> &trustedCertificates, Limits limits, Sink sink,
                       Completion completion, QObject *parent)
    : QObject(parent),
      network_(network),
      trustedCertificates_(trustedCertificates),
      limits_(std::move(limits)),
      sink_(std::move(sink)),
      completion_(std::move(completion)) {
  if (!isHttps(url)) {
    // Reported one turn later, so the completion never runs inside the constructor.
    QTimer::singleShot(0, this, [this] { finish(notHttpsReason()); });
    return;
  }
  get(url);
}

// Redirects are followed here, one request each, rather than by Qt: an answer that only
// redirects is then never mistaken for the resource, whatever its status and body.
void HttpsFetch::get(const QUrl &url) {
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::ManualRedirectPolicy);
  request.setTransferTimeout(limits_.stallMilliseconds);
  if (!trustedCertificates_.isEmpty()) {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(trustedCertificates_);
    request.setSslConfiguration(configuration);
  }
  reply_ = network_.get(request);
  reply_->setParent(this);
  connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
    if (isRedirect(*reply_)) {
      return;  // its body is not the resource
    }
    const QVariant announced = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > limits_.maximumBytes) {
      finish(limits_.tooLargeReason);
    }
  });
  connect(reply_, &QNetworkReply::readyRead, this, [this] {
    if (!isRedirect(*reply_)) {
      takeBytes();
    }
  });
  connect(reply_, &QNetworkReply::finished, this, &HttpsFetch::replyFinished);
}

void HttpsFetch::replyFinished() {
  if (reply_->error() == QNetworkReply::OperationCanceledError) {
    // Only the transfer time limit cancels a reply that is still connected to us.
    finish(QStringLiteral("The server stopped answering."));
  } else if (reply_->error() != QNetworkReply::NoError) {
    finish(reply_->errorString());
  } else if (isRedirect(*reply_)) {
    if (!reply_->hasRawHeader("Location")) {
      finish(QStringLiteral("The server sent a redirect without an address."));
      return;
    }
    const QUrl target = reply_->url().resolved(QUrl::fromEncoded(reply_->rawHeader("Location")));
    if (!isHttps(target)) {
      finish(notHttpsReason());
    } else if (++redirects_ > maximumRedirects) {
      finish(QStringLiteral("The server redirected more than %1 times.").arg(maximumRedirects));
    } else {
      reply_->disconnect(this);
      reply_->deleteLater();
      get(target);
    }
  } else {
    takeBytes();
    if (completion_) {
      finish(std::nullopt);
    }
  }
}

HttpsFetch::~HttpsFetch() {
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
  }
}

void HttpsFetch::takeBytes() {
  if (!reply_ || !completion_) {
    return;
  }
  const QByteArray bytes = reply_->readAll();
  received_ += bytes.size();
  if (received_ > limits_.maximumBytes) {
    finish(limits_.tooLargeReason);
    return;
  }
  if (std::optional<QString> failure = sink_(bytes)) {
    finish(std::move(failure));
  }
}

void HttpsFetch::finish(std::optional<QString> failure) {
  if (!completion_) {
    return;
  }
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
  }
  // Moved out first, so that whatever happens next cannot finish twice.
  Completion completion = std::exchange(completion_, nullptr);
  completion(std::move(failure));
}

}  // namespace tarnik
