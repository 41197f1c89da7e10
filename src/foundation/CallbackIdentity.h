#pragma once

#include <QtGlobal>

namespace tarnik {

// The one check every asynchronous callback makes: it carries the identity that was current
// when it was started (a connection attempt, a listener, a browser run, a session) and acts
// only while that identity is still the current one. Renewing outdates every value handed
// out before, so a teardown or a restart wins over every late report of what came before.
class CallbackIdentity {
 public:
  using Value = quint64;

  Value current() const { return current_; }
  // Outdates every value handed out so far; returns the new current one.
  Value renew() { return ++current_; }
  bool isCurrent(Value startedFor) const { return startedFor == current_; }

 private:
  Value current_ = 0;
};

}  // namespace tarnik
