#include "PatchPrinting.h"
#include "model/PatchPlanner.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <set>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using Kind = PatchValidationIssue::Kind;

// Random drafts drawn mostly from the values where the checks change their answer, plus
// the extremes of the integer range.
class DraftSource {
 public:
  explicit DraftSource(std::uint64_t seed) : random_(seed) {}

  qint64 number() {
    static constexpr qint64 edges[] = {std::numeric_limits<qint64>::min(),
                                       -1,
                                       0,
                                       1,
                                       2,
                                       3,
                                       10,
                                       509,
                                       510,
                                       511,
                                       512,
                                       513,
                                       63999,
                                       64000,
                                       99999,
                                       100000,
                                       std::numeric_limits<qint64>::max()};
    if (pick(4) == 0) return std::uniform_int_distribution<qint64>(-5, 600)(random_);
    return edges[pick(std::size(edges))];
  }

  std::optional<qint64> maybeNumber() {
    return pick(8) == 0 ? std::nullopt : std::optional(number());
  }

  PatchDraft draft() {
    PatchDraft draft;
    draft.operation = allCases(PatchOperation{})[pick(3)];
    draft.channelStart = pick(2) == 0 ? std::optional(small(20)) : maybeNumber();
    draft.channelThru = pick(2) == 0 ? std::optional(small(40)) : maybeNumber();
    draft.universe = pick(4) != 0 ? std::optional(small(3)) : maybeNumber();
    draft.addressStart =
        pick(2) == 0 ? std::optional(small(pick(2) == 0 ? 80 : 512)) : maybeNumber();
    draft.addressThru =
        pick(2) == 0 ? std::optional(small(pick(2) == 0 ? 80 : 512)) : maybeNumber();
    if (pick(6) != 0) {
      draft.fixture =
          PatchFixtureChoice{.source = pick(5) == 0 ? u" "_s : u"library"_s,
                             .version = u"1"_s,
                             .id = u"mode"_s,
                             .footprint = pick(2) == 0 ? std::optional(small(40)) : maybeNumber(),
                             .cellCount = 1};
    }
    for (std::size_t count = pick(4); count > 0; --count)
      draft.partsToReplace.insert({small(20), small(3)});
    return draft;
  }

  // Mostly readable ranges near the planned addresses; some empty, unreadable or reversed.
  QList<EosPatchPart> existing() {
    static const QString oddTexts[] = {u""_s, u"garbage"_s, u"1/5-9"_s, u"2/600"_s, u"3/0"_s};
    QList<EosPatchPart> parts;
    for (std::size_t count = pick(12); count > 0; --count) {
      const qint64 universe = small(3);
      const qint64 start = small(80);
      EosPatchPart part{.channelNumber = pick(4) == 0 ? number() : small(20),
                        .partNumber = small(3),
                        .address = u"%1/%2"_s.arg(universe).arg(start),
                        .addressEnd = u"%1/%2"_s.arg(universe).arg(start + small(20) - 1)};
      if (pick(4) == 0) part.address = oddTexts[pick(std::size(oddTexts))];
      if (pick(4) == 0) part.addressEnd = oddTexts[pick(std::size(oddTexts))];
      parts.append(part);
    }
    return parts;
  }

  // 1 through `maximum`.
  qint64 small(qint64 maximum) {
    return std::uniform_int_distribution<qint64>(1, maximum)(random_);
  }

  std::size_t pick(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
  }
  std::mt19937_64 &engine() { return random_; }

 private:
  std::mt19937_64 random_;
};

bool hasDuplicateIdentities(const QList<EosPatchPart> &parts) {
  std::set<EosPatchPart::ID> seen;
  return std::ranges::any_of(
      parts, [&](const EosPatchPart &part) { return !seen.insert(part.id()).second; });
}

bool contains(const EosDMXRange &outer, const EosDMXRange &inner) {
  return outer.universe == inner.universe && outer.start <= inner.start && inner.end <= outer.end;
}

TEST(PatchPlannerProperties, RandomDraftsGiveSoundPlans) {
  DraftSource source(20240611);
  for (int round = 0; round < 4000; ++round) {
    const PatchDraft draft = source.draft();
    QList<EosPatchPart> existing = source.existing();
    const qint64 channels = source.pick(5) == 0 ? source.number() : 99999;
    const qint64 universes = source.pick(5) == 0 ? source.number() : 63999;
    const PatchPlan plan = PatchPlanner::plan(draft, existing, channels, universes);
    SCOPED_TRACE(round);

    // An empty plan always says why; planned parts are always real DMX slots in bounds.
    if (plan.parts.isEmpty()) {
      EXPECT_FALSE(plan.issues.isEmpty());
    }
    EXPECT_LE(plan.parts.size(), 512);
    for (const PatchPlannedPart &part : plan.parts) {
      EXPECT_GE(part.channelNumber, 1);
      EXPECT_LE(part.channelNumber, channels);
      EXPECT_GE(part.partNumber, 1);
      EXPECT_EQ(part.occupiedRange.universe, draft.universe);
      EXPECT_LE(part.occupiedRange.universe, universes);
      EXPECT_GE(part.occupiedRange.start, 1);
      EXPECT_LE(part.occupiedRange.start, part.occupiedRange.end);
      EXPECT_LE(part.occupiedRange.end, 512);
    }
    // Only the comparison with the current patch (and an unbacked fixture) may stand beside
    // parts; every other problem leaves nothing to send.
    for (const PatchValidationIssue &issue : plan.issues) {
      EXPECT_FALSE(issue.message().isEmpty());
      if (!plan.parts.isEmpty()) {
        EXPECT_TRUE(issue.kind == Kind::fixtureNotSourceBacked ||
                    issue.kind >= Kind::replacementRequiresExplicitIntent)
            << ::testing::PrintToString(issue);
      }
      if (issue.kind == Kind::occupiedRange) {
        const auto planned = std::ranges::find(plan.parts, issue.planned, &PatchPlannedPart::id);
        ASSERT_NE(planned, plan.parts.end());
        EXPECT_TRUE(contains(planned->occupiedRange, issue.overlap));
      }
    }
    // The current patch may come in any order when its identities are distinct.
    if (!hasDuplicateIdentities(existing)) {
      std::ranges::shuffle(existing, source.engine());
      EXPECT_EQ(PatchPlanner::plan(draft, existing, channels, universes), plan);
    }
  }
}

}  // namespace
}  // namespace tarnik
