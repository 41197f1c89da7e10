#pragma once

#include "app/AppTiming.h"
#include "app/ConnectionForm.h"
#include "app/ConnectionSupervisor.h"
#include "app/ConsoleCommandLine.h"
#include "app/IdentifyFlash.h"
#include "app/ShowMirror.h"
#include "link/OSCManager.h"

#include <QString>

#include <memory>

namespace tarnik {

// The gate every change sent to the console passes, whether a console command, a fixture
// request or a patch edit: editor mode, a ready main connection, a fresh matched ping and,
// where the change touches show data, current show data. It also releases the identify
// flash this application holds before anything else is sent, says why it refused, and notes
// what went out. It owns no state: it asks the parts that own the answers.
class ControlGate final {
 public:
  // A matched ping reply at most this old lets control through. Fixed, unlike the
  // reachability setting (`ConnectionSupervisor::pingFreshness`), which only happens to
  // have the same value.
  static constexpr double freshPingAge = 5.0;  // seconds

  // Every part outlives the gate.
  ControlGate(const OSCManager &connection, std::shared_ptr<AppTiming> timing,
              const ConnectionForm &form, const ConnectionSupervisor &supervisor,
              ShowMirror &mirror, ConsoleCommandLine &commandLine, IdentifyFlash &flash);

  bool isViewer() const;
  bool isMainConnectionReady() const;
  bool hasFreshMatchedPing() const;
  bool isShowDataCurrent() const { return mirror_.isShowDataCurrent(); }
  // Editor mode, a ready and reachable console, and current show data.
  bool canControlFixtures() const;

  // True when the action may go out now; a refusal is reported.
  bool ensureControlAllowed(const QString &action, bool requiresCurrentShowData);
  // "Command rejected — " and the reason in the status, a "Rejected" row in the history.
  void reportCommandRejected(const QString &summary, const QString &reason);
  // False only when the console holds this application's flash and the release could not
  // be sent.
  bool releaseOwnedFlash(const QString &action);
  // A change is on its way: the command line notes it, and channel reads asked for before
  // it no longer apply.
  void commandSent(const QString &summary);

 private:
  const OSCManager &connection_;
  const std::shared_ptr<AppTiming> timing_;
  const ConnectionForm &form_;
  const ConnectionSupervisor &supervisor_;
  ShowMirror &mirror_;
  ConsoleCommandLine &commandLine_;
  IdentifyFlash &flash_;
};

}  // namespace tarnik
