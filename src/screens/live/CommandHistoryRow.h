#pragma once

#include "model/CommandHistoryEntry.h"

#include <QWidget>

namespace tarnik {

// One entry of the command history: its text whole in the fixed-pitch font and selectable,
// then its source on a capsule of the source's colour and the time it was recorded. The row
// is one element for assistive technologies, named by all three.
class CommandHistoryRow : public QWidget {
  Q_OBJECT

 public:
  explicit CommandHistoryRow(const CommandHistoryEntry &entry, QWidget *parent = nullptr);

  const CommandHistoryEntry &entry() const { return entry_; }

 private:
  const CommandHistoryEntry entry_;
};

}  // namespace tarnik
