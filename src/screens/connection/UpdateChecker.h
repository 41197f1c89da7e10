#pragma once

#include "foundation/ObservableObject.h"

#include <QString>

namespace tarnik {

// What the Updates page shows and asks of the updater: whether a check may run now, one
// line of status, and the check itself. The updater's logic lives with the program's entry;
// the page knows only this.
class UpdateChecker : public ObservableObject {
  Q_OBJECT
  Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
  Q_PROPERTY(QString status READ status NOTIFY statusChanged)

 public:
  using ObservableObject::ObservableObject;

  virtual bool canCheckForUpdates() const = 0;
  virtual QString status() const = 0;
  // The Updates page's button: ignored while no check may run.
  virtual void checkForUpdates() = 0;

 signals:
  void canCheckForUpdatesChanged();
  void statusChanged();
};

}  // namespace tarnik
