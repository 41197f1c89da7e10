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

}  // namespace

HttpsFetch::HttpsFetch(QNetworkAccessManager &network, const QUrl &url,
                       const QList<QSslCertificate> &trustedCertificates, Limits limits, Sink sink,
                       Completion completion, QObject *parent)
    : QObject(parent),
      limits_(std::move(limits)),
      sink_(std::move(sink)),
      completion_(std::move(completion)) {
  if (!isHttps(url)) {
    // Reported one turn later, so the completion never runs inside the constructor.
    QTimer::singleShot(0, this, [this] { finish(notHttpsReason()); });
    return;
  }
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::UserVerifiedRedirectPolicy);
  request.setMaximumRedirectsAllowed(maximumRedirects);
  request.setTransferTimeout(limits_.stallMilliseconds);
  if (!trustedCertificates.isEmpty()) {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(trustedCertificates);
    request.setSslConfiguration(configuration);
  }
  reply_ = network.get(request);
  reply_->setParent(this);
  connect(reply_, &QNetworkReply::redirected, this, [this](const QUrl &target) {
    if (isHttps(target)) {
      emit reply_->redirectAllowed();
    } else {
      finish(notHttpsReason());
    }
  });
  connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
    const QVariant announced = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > limits_.maximumBytes) {
      finish(limits_.tooLargeReason);
    }
  });
  connect(reply_, &QNetworkReply::readyRead, this, &HttpsFetch::takeBytes);
  connect(reply_, &QNetworkReply::finished, this, [this] {
    if (reply_->error() == QNetworkReply::OperationCanceledError) {
      // Only the transfer time limit cancels a reply that is still connected to us.
      finish(QStringLiteral("The server stopped answering."));
    } else if (reply_->error() != QNetworkReply::NoError) {
      finish(reply_->errorString());
    } else {
      takeBytes();
      if (completion_) {
        finish(std::nullopt);
      }
    }
  });
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
