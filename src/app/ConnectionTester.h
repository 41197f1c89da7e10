#pragma once

#include "app/AppTiming.h"
#include "foundation/ObservableObject.h"
#include "link/OSCManager.h"
#include "model/ConsoleConnectionProfile.h"

#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// The connection test: the form's settings tried on a private connection of its own, with
// a deadline on the timing seam, while the main connection carries on untouched. It
// publishes whether a test runs, its status text and what the console said it is.
class ConnectionTester final : public ObservableObject {
  Q_OBJECT

 public:
  using ManagerFactory = std::function<std::unique_ptr<OSCManager>()>;

  static constexpr double deadline = 10.0;  // seconds

  // No factory: connections with an 8 s connect and a 5 s verification time limit. The
  // timing outlives the tester.
  ConnectionTester(std::shared_ptr<AppTiming> timing, ManagerFactory makeManager,
                   QObject *parent = nullptr);

  // Tests the profile; a relay profile connects with the given pairing code. The status
  // keeps its text until the test says more: a caller resets first for a clean slate.
  void start(const ConsoleConnectionProfile &profile, const std::optional<QString> &relayKey);
  // Ends a running test without a word: nothing of it lands later.
  void reset();
  // A test that could not start, or another word on the form, in the status line.
  void reportStatus(const QString &text);

  // The private connection of the running test, none between tests.
  const OSCManager *manager() const { return manager_.get(); }

  // Published values
  bool isTestingConnection() const { return isTestingConnection_; }
  const QString &testConnectionStatus() const { return testConnectionStatus_; }
  const std::optional<QString> &testConnectionIdentity() const { return testConnectionIdentity_; }
  const std::optional<QString> &testConnectionVersion() const { return testConnectionVersion_; }

 signals:
  void isTestingConnectionChanged(bool value);
  void testConnectionStatusChanged(const QString &value);
  void testConnectionIdentityChanged(const std::optional<QString> &value);
  void testConnectionVersionChanged(const std::optional<QString> &value);

 private:
  void evaluate(const QUuid &testID, const ConsoleConnectionProfile &profile);
  void timedOut(const QUuid &testID, const ConsoleConnectionProfile &profile);
  // Ends the private connection; the deadline and subscriptions go with it.
  void releaseManager();

  const std::shared_ptr<AppTiming> timing_;
  const ManagerFactory makeManager_;
  std::unique_ptr<OSCManager> manager_;
  AppTiming::WorkItem timeout_;
  QUuid testID_ = QUuid::createUuid();

  bool isTestingConnection_ = false;
  QString testConnectionStatus_ = QStringLiteral("Not tested");
  std::optional<QString> testConnectionIdentity_;
  std::optional<QString> testConnectionVersion_;
};

}  // namespace tarnik
