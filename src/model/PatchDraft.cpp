#include "model/PatchDraft.h"

#include "model/ValueSemantics.h"

namespace tarnik {

namespace {
constexpr std::tuple draftFields{
    &PatchDraft::operation,    &PatchDraft::channelStart, &PatchDraft::channelThru,
    &PatchDraft::label,        &PatchDraft::fixture,      &PatchDraft::universe,
    &PatchDraft::addressStart, &PatchDraft::addressThru,  &PatchDraft::partsToReplace};
}

bool operator==(const PatchDraft &lhs, const PatchDraft &rhs) {
  return values::fieldsEqual(lhs, rhs, draftFields);
}

size_t qHash(const PatchDraft &draft, size_t seed) {
  return values::fieldsHash(draft, seed, draftFields);
}

}  // namespace tarnik
