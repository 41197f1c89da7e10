#pragma once

#include "platform/AvahiService.h"

#include <QObject>

#include <functional>
#include <memory>

struct AvahiServiceResolver;

namespace tarnik {

class AvahiDaemonConnection;

// Looks up the host, address and port of one service, once, starting at construction.
// Exactly one of resolved() or failed() follows, always from the event loop; Avahi gives
// up with its own time-out text when the service does not answer.
class AvahiServiceResolver : public QObject {
  Q_OBJECT

 public:
  // An interface index of -1 looks on every interface.
  explicit AvahiServiceResolver(const AvahiService &service, QObject *parent = nullptr);
  ~AvahiServiceResolver() override;

 signals:
  void resolved(const tarnik::AvahiResolvedService &service);
  void failed(const QString &errorText);

 private:
  void finish(std::function<void()> report);

  std::unique_ptr<AvahiDaemonConnection> connection_;
  ::AvahiServiceResolver *resolver_ = nullptr;
  bool finished_ = false;
};

}  // namespace tarnik
