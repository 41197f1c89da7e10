#include "shell/MacUpdater.h"

#include "shell/AppcastUpdater.h"
#include "shell/UpdateConfiguration.h"

namespace tarnik {

MacUpdater::MacUpdater(QObject *parent)
    : MacUpdater(
          mainBundleInformation(),
          [] { return std::make_unique<AppcastUpdater>(mainBundleInformation()); }, parent) {}

MacUpdater::MacUpdater(const InformationDictionary &information,
                       const UpdateServiceFactory &makeService, QObject *parent)
    : UpdateChecker(parent) {
  const QString feed = UpdateConfiguration::text(information, UpdateConfiguration::feedUrlKey);
  const QString key = UpdateConfiguration::text(information, UpdateConfiguration::publicEdKeyKey);
  if (!UpdateConfiguration::isSecureFeed(feed) || !UpdateConfiguration::publicEdKey(key)) {
    status_ = QStringLiteral(
        "Updates aren\u2019t configured for this build. A secure update feed and signing public "
        "key are required.");
    return;
  }
  service_ = makeService();
  if (const std::optional<QString> failure = service_->start()) {
    // The service stays, but nothing listens to it: the button stays off for good.
    status_ = QStringLiteral("The update service couldn\u2019t start: ") + *failure;
    return;
  }
  status_ = QStringLiteral("Ready to check for updates.");
  service_->observeCanCheckForUpdates(this, [this](bool canCheck) {
    publish(canCheckForUpdates_, canCheck, &MacUpdater::canCheckForUpdatesChanged);
  });
}

MacUpdater::~MacUpdater() = default;

void MacUpdater::checkForUpdates() {
  if (!canCheckForUpdates_) {
    return;
  }
  if (service_) {
    service_->checkForUpdates();
  }
}

}  // namespace tarnik
