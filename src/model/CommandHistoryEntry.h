#pragma once

#include <QString>
#include <QUuid>

namespace tarnik {

// One row of the command-line history, kept in memory only. The application writes the
// sources "Console", "Sent" and "Rejected"; readers compare them without regard to case.
struct CommandHistoryEntry {
  QUuid id{};
  QString text{};
  double timestamp = 0;  // seconds since 2001
  QString source{};

  friend bool operator==(const CommandHistoryEntry &, const CommandHistoryEntry &);
};

size_t qHash(const CommandHistoryEntry &entry, size_t seed = 0);

}  // namespace tarnik
