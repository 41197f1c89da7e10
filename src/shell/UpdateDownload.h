#pragma once

#include "shell/AppcastFeed.h"
#include "shell/Ed25519PublicKey.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QString>

#include <expected>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QTemporaryFile;

namespace tarnik {

class HttpsFetch;

// One update on its way into the downloads folder. The bytes land in a hidden temporary
// file there; only when their length and signature check out, off the GUI thread, does the
// file get its real name. Anything else, this object's end included, removes the file.
// Nothing is ever opened, unpacked or made executable.
class UpdateDownload : public QObject {
  Q_OBJECT

 public:
  // The saved file's path, or the reason it was not saved. Called once, from inside the
  // download's own work: release the download there with deleteLater(), never delete.
  using Completion = std::function<void(std::expected<QString, QString>)>;

  UpdateDownload(QNetworkAccessManager &network, const AppcastItem &item, Ed25519PublicKey key,
                 const QList<QSslCertificate> &trustedCertificates,
                 std::function<void()> verificationStarted, Completion completion,
                 QObject *parent = nullptr);
  ~UpdateDownload() override;

 private:
  void transferEnded(std::optional<QString> failure);
  void verified(std::optional<QString> failure);
  void complete(std::expected<QString, QString> outcome);

  AppcastItem item_;
  Ed25519PublicKey key_;
  std::function<void()> verificationStarted_;
  Completion completion_;
  std::unique_ptr<QTemporaryFile> file_;
  QPointer<HttpsFetch> fetch_;
  QFutureWatcher<std::optional<QString>> verification_;
};

}  // namespace tarnik
