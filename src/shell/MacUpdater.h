#pragma once

#include "foundation/ObservableObject.h"
#include "shell/BundleInformation.h"
#include "shell/UpdateService.h"

#include <QString>

#include <memory>

namespace tarnik {

// Decides once, when it is made, whether this build can update itself; starts the update
// service when it can, and publishes whether a check may run now and one line of status.
class MacUpdater : public ObservableObject {
  Q_OBJECT
  Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
  Q_PROPERTY(QString status READ status NOTIFY statusChanged)

 public:
  // The application's updater: the compiled-in information and the appcast updater.
  explicit MacUpdater(QObject *parent = nullptr);
  // The service is made only when the information holds a usable feed and key.
  MacUpdater(const InformationDictionary &information, const UpdateServiceFactory &makeService,
             QObject *parent = nullptr);
  ~MacUpdater() override;

  bool canCheckForUpdates() const { return canCheckForUpdates_; }
  QString status() const { return status_; }

  // The Updates page's button: ignored while no check may run.
  void checkForUpdates();

 signals:
  void canCheckForUpdatesChanged();
  void statusChanged();

 private:
  bool canCheckForUpdates_ = false;
  QString status_;
  std::unique_ptr<UpdateService> service_;
};

}  // namespace tarnik
