#pragma once

#include "shell/AppcastFeed.h"
#include "shell/BundleInformation.h"
#include "shell/Ed25519PublicKey.h"
#include "shell/UpdateService.h"

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <expected>
#include <optional>

namespace tarnik {

class HttpsFetch;
class UpdateDialog;
class UpdateDownload;

struct AppcastUpdaterOptions {
  QList<QSslCertificate> trustedCertificates;  // empty: the system's authorities
  QString currentVersion = programVersion();
};

// Tarnik's own updater: reads an RSS appcast over HTTPS, offers the newest Linux release
// above this program's version, and on request downloads it into the downloads folder,
// keeping it only when its Ed25519 signature matches "SUPublicEDKey". It never installs,
// opens or runs anything, and checks only when the user asks.
class AppcastUpdater : public UpdateService {
  Q_OBJECT

 public:
  using Options = AppcastUpdaterOptions;

  static inline constexpr qint64 maximumFeedBytes = 4 * 1024 * 1024;

  // Reads "SUFeedURL" and "SUPublicEDKey" from the information; starts nothing.
  explicit AppcastUpdater(const InformationDictionary &information, Options options = {},
                          QObject *parent = nullptr);
  // Ends a check still running; a download not yet verified is removed.
  ~AppcastUpdater() override;

  std::optional<QString> start() override;
  // Opens the check's dialog; no other check may run until it is closed.
  void checkForUpdates() override;

 private:
  void feedArrived(std::optional<QString> failure);
  void downloadRequested();
  void downloadEnded(const std::expected<QString, QString> &outcome);
  void checkEnded();

  Options options_;
  QString feedText_;
  QString keyText_;
  std::optional<Ed25519PublicKey> key_;
  QNetworkAccessManager network_;
  QPointer<UpdateDialog> dialog_;
  QPointer<HttpsFetch> feedFetch_;
  QByteArray feedBytes_;
  std::optional<AppcastItem> offered_;
  QPointer<UpdateDownload> download_;
};

}  // namespace tarnik
