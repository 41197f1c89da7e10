#pragma once

#include "screens/connection/UpdateChecker.h"
#include "shell/BundleInformation.h"
#include "shell/UpdateService.h"

#include <QString>

#include <memory>

namespace tarnik {

// Decides once, when it is made, whether this build can update itself; starts the update
// service when it can, and publishes whether a check may run now and one line of status.
class MacUpdater : public UpdateChecker {
  Q_OBJECT

 public:
  // The application's updater: the compiled-in information and the appcast updater.
  explicit MacUpdater(QObject *parent = nullptr);
  // The service is made only when the information holds a usable feed and key.
  MacUpdater(const InformationDictionary &information, const UpdateServiceFactory &makeService,
             QObject *parent = nullptr);
  ~MacUpdater() override;

  bool canCheckForUpdates() const override { return canCheckForUpdates_; }
  QString status() const override { return status_; }
  void checkForUpdates() override;

 private:
  bool canCheckForUpdates_ = false;
  QString status_;
  std::unique_ptr<UpdateService> service_;
};

}  // namespace tarnik
