#include "shell/UpdateDownload.h"

#include "foundation/StrictBase64.h"
#include "shell/HttpsFetch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QThreadPool>
#include <QTimer>

namespace tarnik {

namespace {

QString lengthMismatchReason() {
  return QStringLiteral("The download\u2019s length does not match the update feed.");
}

QString signatureMismatchReason() {
  return QStringLiteral("The download\u2019s signature does not match the update signing key.");
}

// Runs on a pool thread: reads the file as written and checks it against the feed.
std::optional<QString> verifyFile(const QString &path, qint64 length, const QString &signature,
                                  const Ed25519PublicKey &key) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return QStringLiteral("The download could not be read back: ") + file.errorString();
  }
  if (file.size() != length) {
    return lengthMismatchReason();
  }
  const std::optional<QByteArray> signatureBytes = decodeStrictBase64(signature);
  if (!signatureBytes) {
    return signatureMismatchReason();
  }
  const uchar *bytes = length > 0 ? file.map(0, length) : nullptr;
  if (length > 0 && !bytes) {
    return QStringLiteral("The download could not be read back: ") + file.errorString();
  }
  const QByteArrayView message(reinterpret_cast<const char *>(bytes), length);
  if (!key.verifies(message, *signatureBytes)) {
    return signatureMismatchReason();
  }
  return std::nullopt;
}

// The last segment of the address, cut down to characters that are harmless in a file
// name; never hidden, never "." or "..".
QString savedFileName(const AppcastItem &item) {
  static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._+-]"));
  QString name = item.url.fileName().replace(unsafe, QStringLiteral("_"));
  while (name.startsWith(u'.')) {
    name.remove(0, 1);
  }
  return name.isEmpty() ? QStringLiteral("Tarnik-%1").arg(item.version) : name;
}

// "name-2.ext" for "name.ext": an earlier download is never replaced.
QString numberedPath(const QDir &folder, const QString &name, int attempt) {
  const QFileInfo info(name);
  QString base = info.completeBaseName();
  QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
  if (base.endsWith(QStringLiteral(".tar"))) {  // "x.tar.gz" becomes "x-2.tar.gz"
    suffix.prepend(base.right(4));
    base.chop(4);
  }
  return folder.filePath(QStringLiteral("%1-%2%3").arg(base).arg(attempt).arg(suffix));
}

}  // namespace

UpdateDownload::UpdateDownload(QNetworkAccessManager &network, const AppcastItem &item,
                               Ed25519PublicKey key,
                               const QList<QSslCertificate> &trustedCertificates,
                               std::function<void()> verificationStarted, Completion completion,
                               QObject *parent)
    : QObject(parent),
      item_(item),
      key_(std::move(key)),
      verificationStarted_(std::move(verificationStarted)),
      completion_(std::move(completion)) {
  connect(&verification_, &QFutureWatcherBase::finished, this,
          [this] { verified(verification_.result()); });

  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  if (folder.isEmpty() || !QDir().mkpath(folder)) {
    QTimer::singleShot(0, this, [this] {
      complete(std::unexpected(QStringLiteral("There is no downloads folder to save to.")));
    });
    return;
  }
  file_ = std::make_unique<QTemporaryFile>(
      QDir(folder).filePath(QStringLiteral(".Tarnik-update-XXXXXX.part")));
  if (!file_->open()) {
    QTimer::singleShot(0, this, [this, reason = file_->errorString()] {
      complete(
          std::unexpected(QStringLiteral("The downloads folder could not be written: ") + reason));
    });
    return;
  }
  // The feed's length is the most the server may send: anything past it fails at once.
  fetch_ = new HttpsFetch(
      network, item.url, trustedCertificates, {item.length, lengthMismatchReason()},
      [this](QByteArrayView bytes) -> std::optional<QString> {
        if (file_->write(bytes.data(), bytes.size()) != bytes.size()) {
          return QStringLiteral("The downloads folder could not be written: ") +
                 file_->errorString();
        }
        return std::nullopt;
      },
      [this](std::optional<QString> failure) { transferEnded(std::move(failure)); }, this);
}

UpdateDownload::~UpdateDownload() = default;

void UpdateDownload::transferEnded(std::optional<QString> failure) {
  fetch_->deleteLater();
  if (failure) {
    complete(std::unexpected(*failure));
    return;
  }
  if (!file_->flush()) {
    complete(std::unexpected(QStringLiteral("The downloads folder could not be written: ") +
                             file_->errorString()));
    return;
  }
  verificationStarted_();
  auto promise = std::make_shared<QPromise<std::optional<QString>>>();
  verification_.setFuture(promise->future());
  promise->start();
  QThreadPool::globalInstance()->start([promise, path = file_->fileName(), length = item_.length,
                                        signature = item_.edSignature, key = key_] {
    promise->addResult(verifyFile(path, length, signature, key));
    promise->finish();
  });
}

void UpdateDownload::verified(std::optional<QString> failure) {
  if (failure) {
    complete(std::unexpected(*failure));
    return;
  }
  const QDir folder = QFileInfo(file_->fileName()).dir();
  const QString name = savedFileName(item_);
  QString path = folder.filePath(name);
  for (int attempt = 2; QFileInfo::exists(path); ++attempt) {
    path = numberedPath(folder, name, attempt);
  }
  // Renaming never replaces a file, so one that appeared meanwhile makes this fail, not vanish.
  if (!file_->rename(path)) {
    complete(std::unexpected(QStringLiteral("The downloads folder could not be written: ") +
                             file_->errorString()));
    return;
  }
  file_->setAutoRemove(false);
  file_.reset();
  complete(path);
}

void UpdateDownload::complete(std::expected<QString, QString> outcome) {
  if (!outcome) {
    file_.reset();  // removes what was written so far
  }
  if (Completion completion = std::exchange(completion_, nullptr)) {
    completion(std::move(outcome));
  }
}

}  // namespace tarnik
