#pragma once

#include <QList>
#include <QString>

namespace tarnik::testing {

// Talks to the stand-in logind that with-logind.sh puts on a private system bus.
struct LogindStandIn {
  struct Inhibitor {
    QString what;
    QString who;
    QString why;
    QString mode;
    friend bool operator==(const Inhibitor &, const Inhibitor &) = default;
  };

  // The locks whose descriptors are still open somewhere.
  static QList<Inhibitor> inhibitors();
  // Has the stand-in announce PrepareForSleep(sleeping), as logind does around a suspend.
  static bool announcePrepareForSleep(bool sleeping);
};

}  // namespace tarnik::testing
