#include "model/CommandHistoryEntry.h"

#include "model/ValueSemantics.h"

namespace tarnik {

namespace {
constexpr std::tuple entryFields{&CommandHistoryEntry::id, &CommandHistoryEntry::text,
                                 &CommandHistoryEntry::timestamp, &CommandHistoryEntry::source};
}

bool operator==(const CommandHistoryEntry &lhs, const CommandHistoryEntry &rhs) {
  return values::fieldsEqual(lhs, rhs, entryFields);
}

size_t qHash(const CommandHistoryEntry &entry, size_t seed) {
  return values::fieldsHash(entry, seed, entryFields);
}

}  // namespace tarnik
