#include "app/SavedShowOrder.h"

#include <algorithm>
#include <functional>

namespace tarnik {

void sortSavedShowsNewestFirst(QList<SavedShowFile> &shows) {
  std::ranges::stable_sort(shows, std::greater<>{}, &SavedShowFile::savedAt);
}

}  // namespace tarnik
