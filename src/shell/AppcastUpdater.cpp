#include "shell/AppcastUpdater.h"

#include "shell/HttpsFetch.h"
#include "shell/UpdateConfiguration.h"
#include "shell/UpdateDialog.h"
#include "shell/UpdateDownload.h"

#include <QSslSocket>

namespace tarnik {

AppcastUpdater::AppcastUpdater(const InformationDictionary &information, Options options,
                               QObject *parent)
    : UpdateService(parent),
      options_(std::move(options)),
      feedText_(UpdateConfiguration::text(information, UpdateConfiguration::feedUrlKey)),
      keyText_(UpdateConfiguration::text(information, UpdateConfiguration::publicEdKeyKey)) {}

AppcastUpdater::~AppcastUpdater() {
  // The transfers go first, while the network manager that made their replies still exists.
  delete feedFetch_;
  delete download_;
  if (dialog_) {
    dialog_->disconnect(this);
    delete dialog_;
  }
}

std::optional<QString> AppcastUpdater::start() {
  if (!QSslSocket::supportsSsl()) {
    return QStringLiteral("Qt has no TLS backend, so the update feed cannot be read securely.");
  }
  const std::optional<QByteArray> bytes = UpdateConfiguration::publicEdKey(keyText_);
  if (!bytes) {
    return QStringLiteral("The update signing key is not 32 bytes of base64.");
  }
  auto key = Ed25519PublicKey::fromRaw(*bytes);
  if (!key) {
    return key.error();
  }
  key_ = std::move(*key);
  setCanCheckForUpdates(true);
  return std::nullopt;
}

void AppcastUpdater::checkForUpdates() {
  if (!canCheckForUpdates()) {
    return;
  }
  setCanCheckForUpdates(false);
  dialog_ = new UpdateDialog;
  connect(dialog_, &QDialog::finished, this, &AppcastUpdater::checkEnded);
  connect(dialog_, &UpdateDialog::downloadRequested, this, &AppcastUpdater::downloadRequested);
  dialog_->showChecking();

  feedBytes_.clear();
  feedFetch_ = new HttpsFetch(
      network_, QUrl(feedText_, QUrl::StrictMode), options_.trustedCertificates,
      {maximumFeedBytes, QStringLiteral("The update feed is larger than 4 MiB.")},
      [this](QByteArrayView bytes) -> std::optional<QString> {
        feedBytes_.append(bytes);
        return std::nullopt;
      },
      [this](std::optional<QString> failure) { feedArrived(std::move(failure)); }, this);
}

void AppcastUpdater::feedArrived(std::optional<QString> failure) {
  feedFetch_->deleteLater();
  const QString checkFailed = QStringLiteral("The update check failed: ");
  if (failure) {
    dialog_->showFailure(checkFailed + *failure);
    return;
  }
  const std::expected<AppcastFeed, QString> feed = AppcastFeed::parse(feedBytes_);
  feedBytes_.clear();
  if (!feed) {
    dialog_->showFailure(checkFailed + feed.error());
    return;
  }
  offered_ = feed->newestUpdate(options_.currentVersion);
  if (!offered_) {
    if (const auto unsignedUpdate = feed->newestUnsignedUpdate(options_.currentVersion)) {
      dialog_->showFailure(
          QStringLiteral(
              "An update to Tarnik %1 was found, but it is not signed and was not downloaded.")
              .arg(unsignedUpdate->version));
    } else {
      dialog_->showUpToDate(options_.currentVersion);
    }
    return;
  }
  dialog_->showAvailable(offered_->version, options_.currentVersion);
}

void AppcastUpdater::downloadRequested() {
  if (!offered_ || download_) {
    return;
  }
  dialog_->showDownloading(offered_->version);
  download_ = new UpdateDownload(
      network_, *offered_, *key_, options_.trustedCertificates,
      [this] { dialog_->showVerifying(); },
      [this](std::expected<QString, QString> outcome) { downloadEnded(outcome); }, this);
}

void AppcastUpdater::downloadEnded(const std::expected<QString, QString> &outcome) {
  download_->deleteLater();
  if (outcome) {
    dialog_->showSaved(*outcome);
  } else {
    dialog_->showFailure(QStringLiteral("The download failed: ") + outcome.error());
  }
}

// Cancel, Later, OK or closing the window: whatever still runs stops, and a file that was
// not verified goes with its download.
void AppcastUpdater::checkEnded() {
  delete feedFetch_;
  delete download_;
  offered_.reset();
  feedBytes_.clear();
  dialog_->deleteLater();
  dialog_ = nullptr;
  setCanCheckForUpdates(true);
}

}  // namespace tarnik
