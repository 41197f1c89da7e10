#pragma once

#include "model/SavedShowFile.h"

#include <QList>

namespace tarnik {

// The saved-show order: newest savedAt first; snapshots saved at the same moment keep the
// order they had.
void sortSavedShowsNewestFirst(QList<SavedShowFile> &shows);

}  // namespace tarnik
