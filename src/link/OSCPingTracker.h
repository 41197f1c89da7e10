#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace tarnik {

// The pings still waiting for their echo, each with its monotonic start time. Only the
// newest few are remembered, so a console that never answers costs nothing.
struct OSCPingTracker {
  static constexpr qsizetype capacity = 8;

  QHash<QString, quint64> startsByToken;  // nanoseconds on the monotonic clock
  QList<QString> registrationOrder;       // oldest first

  // Registering a token again moves it to the newest place.
  void registerPing(const QString &token, quint64 startNanoseconds);
  void remove(const QString &token);
  // The round trip in milliseconds when the token is outstanding; a token matches once.
  std::optional<double> match(const QString &token, quint64 nowNanoseconds);
  void reset();
};

}  // namespace tarnik
