#include "model/PatchPlan.h"

#include "model/ValueSemantics.h"

namespace tarnik {

namespace {
constexpr std::tuple plannedPartFields{
    &PatchPlannedPart::channelNumber, &PatchPlannedPart::partNumber, &PatchPlannedPart::label,
    &PatchPlannedPart::fixture, &PatchPlannedPart::occupiedRange};
constexpr std::tuple planFields{&PatchPlan::parts, &PatchPlan::issues};
}  // namespace

bool operator==(const PatchPlannedPart &lhs, const PatchPlannedPart &rhs) {
  return values::fieldsEqual(lhs, rhs, plannedPartFields);
}

bool operator==(const PatchPlan &lhs, const PatchPlan &rhs) {
  return values::fieldsEqual(lhs, rhs, planFields);
}

size_t qHash(const PatchPlannedPart &part, size_t seed) {
  return values::fieldsHash(part, seed, plannedPartFields);
}

size_t qHash(const PatchPlan &plan, size_t seed) {
  return values::fieldsHash(plan, seed, planFields);
}

}  // namespace tarnik
