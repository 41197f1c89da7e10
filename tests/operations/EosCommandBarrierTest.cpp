#include "operations/EosCommandBarrierMarker.h"
#include "operations/UniformShuffle.h"

#include <QRandomGenerator>
#include <QSet>
#include <QStringList>

#include <array>
#include <gtest/gtest.h>
#include <map>

namespace tarnik {
namespace {

// How often each piece occurs in the chain between "Chan 1" and " Enter", read greedily.
std::map<QString, int> pieceCounts(QStringView chain) {
  static const QStringList pieces = {" + 1 Thru 1", " - 1 + 1", " + 1"};
  std::map<QString, int> counts;
  while (!chain.isEmpty()) {
    const auto piece = std::ranges::find_if(
        pieces, [&](const QString &candidate) { return chain.startsWith(candidate); });
    if (piece == pieces.end()) return {{"unreadable", 1}};
    ++counts[*piece];
    chain = chain.sliced(piece->size());
  }
  return counts;
}

TEST(EosCommandBarrier, MarkersChainTheSamePiecesInFreshOrders) {
  const std::map<QString, int> expectedCounts = {{" + 1", 16}, {" + 1 Thru 1", 8}, {" - 1 + 1", 8}};
  QSet<QString> commands;
  for (int n = 0; n < 1000; ++n) {
    const EosCommandBarrierMarker marker = EosCommandBarrierMarker::make();
    commands.insert(marker.command);
    ASSERT_TRUE(marker.command.startsWith(u"Chan 1 ")) << marker.command.toStdString();
    ASSERT_TRUE(marker.command.endsWith(u" Enter")) << marker.command.toStdString();
    const QStringView chain = QStringView(marker.command).sliced(6).chopped(6);
    EXPECT_EQ(pieceCounts(chain), expectedCounts) << marker.command.toStdString();

    QStringList tokens = marker.command.split(u' ');
    EXPECT_EQ(tokens.size(), 99);
    tokens.last() = "#";
    const QString &suffix = marker.normalizedAcknowledgementSuffix;
    EXPECT_EQ(suffix, tokens.join(u' '));
    EXPECT_TRUE(suffix.endsWith(u" #"));
    EXPECT_FALSE(suffix.contains(u"Enter"));
    EXPECT_FALSE(suffix.contains(u"  "));
  }
  EXPECT_EQ(commands.size(), 1000);
}

TEST(UniformShuffle, DrawsEveryOrderOfFourEquallyOften) {
  QRandomGenerator generator(20261207);
  std::map<std::array<int, 4>, int> counts;
  constexpr int rounds = 24000;
  for (int n = 0; n < rounds; ++n) {
    std::array<int, 4> list = {0, 1, 2, 3};
    shuffleUniformly(list, generator);
    ++counts[list];
  }
  ASSERT_EQ(counts.size(), 24u);
  constexpr double expected = rounds / 24.0;
  double chiSquare = 0;
  for (const auto &[order, count] : counts)
    chiSquare += (count - expected) * (count - expected) / expected;
  // 23 degrees of freedom: a uniform shuffle exceeds 49.73 once in a thousand seeds, while
  // drawing j from the whole list, or from i + 1 on, lands in the hundreds at least.
  EXPECT_LT(chiSquare, 49.73);
}

}  // namespace
}  // namespace tarnik
