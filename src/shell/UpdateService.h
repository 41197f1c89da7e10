#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// What MacUpdater needs of an updater, and nothing more: it is made without starting (by
// a factory), started once, observed for whether a check may run, and asked to check.
class UpdateService : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Nothing on success, else a description the user can read.
  virtual std::optional<QString> start() = 0;
  // Runs a check when one may run now; does nothing otherwise.
  virtual void checkForUpdates() = 0;

  bool canCheckForUpdates() const { return canCheckForUpdates_; }

  // Hands the receiver the current value at once, then every value assigned later, for
  // as long as the context object lives.
  QMetaObject::Connection observeCanCheckForUpdates(QObject *context,
                                                    std::function<void(bool)> receiver) {
    receiver(canCheckForUpdates_);
    return connect(this, &UpdateService::canCheckForUpdatesChanged, context, std::move(receiver));
  }

 signals:
  void canCheckForUpdatesChanged(bool canCheck);

 protected:
  void setCanCheckForUpdates(bool canCheck) {
    canCheckForUpdates_ = canCheck;
    emit canCheckForUpdatesChanged(canCheck);
  }

 private:
  bool canCheckForUpdates_ = false;
};

using UpdateServiceFactory = std::function<std::unique_ptr<UpdateService>()>;

}  // namespace tarnik
