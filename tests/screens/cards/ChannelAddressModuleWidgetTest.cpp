// The address card for a synced channel and for records the console may send.

#include "ChannelCardsTestSupport.h"
#include "screens/patch/ChannelAddressModule.h"
#include "screens/patch/FittedTextLabel.h"
#include "screens/patch/FixtureParameterRow.h"
#include "screens/patch/PatchPartAddressRow.h"

#include <QLabel>
#include <QScreen>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

class ChannelAddressModuleWidget : public testing::ConnectedChannelCards {};

TEST_F(ChannelAddressModuleWidget, EachPartIsOneReadableRow) {
  ASSERT_TRUE(connectAndSync());
  auto *module = new ChannelAddressModule(channel(5));
  auto card = framed(ChannelAddressModule::title(), module);
  card->show();
  settle();
  EXPECT_EQ(card->findChild<QLabel *>(u"fixture.address.protocol"_s)->text(), u"sACN"_s);
  EXPECT_EQ(card->findChild<QLabel *>(u"fixture.address.sacnPriority"_s)->text(), u"100"_s);
  EXPECT_EQ(card->findChild<QWidget *>(u"fixture.address.part.1"_s)->accessibleName(),
            u"Universe 1 · DMX 001–016, 16 occupied addresses, Intensity DMX slot U1 · 003, "
            u"DMX 001 through 016 means 16 occupied output addresses in Universe 1."_s);
  picture(*card, u"cards-address-fixture"_s);

  // Three parts out of order, one unpatched, and no protocol reported.
  Channel parts = channel(5);
  parts.interfaceInfo.clear();
  EosPatchPart second = parts.parts[0];
  second.partNumber = 3;
  second.address = u"2/17"_s;
  second.addressEnd = u"2/32"_s;
  EosPatchPart unpatched = parts.parts[0];
  unpatched.partNumber = 2;
  unpatched.address.clear();
  unpatched.addressEnd.clear();
  unpatched.intensityAddress.reset();
  parts.parts = {second, parts.parts[0], unpatched};
  module->setChannel(parts);
  settle();
  EXPECT_EQ(card->findChild<QLabel *>(u"fixture.address.protocol"_s)->text(), u"Unknown"_s);
  QStringList rows;
  for (int row = 1; row <= 3; ++row)
    rows.append(card->findChild<QWidget *>(u"fixture.address.part."_s + QString::number(row))
                    ->accessibleName()
                    .section(u", "_s, 0, 1));
  EXPECT_EQ(rows, (QStringList{u"Part 1, Universe 1 · DMX 001–016"_s, u"Part 2, Unpatched"_s,
                               u"Part 3, Universe 2 · DMX 017–032"_s}));
  picture(*card, u"cards-address-parts"_s);
}

// An address, intensity slot or parameter name as the console reported it wraps onto the
// lines it needs, so a long one shows whole; a 64 KB one takes no more than a few screens.
TEST(ChannelCardLineWidget, AConsolesLongTextShowsWholeAndA64KbOneAFewScreensAtMost) {
  const auto rowsOf = [](const QString &text) {
    std::vector<std::unique_ptr<QWidget>> rows;
    rows.push_back(std::make_unique<PatchPartAddressRow>(EosPatchPart{.address = text}, false));
    rows.push_back(std::make_unique<PatchPartAddressRow>(
        EosPatchPart{.address = u"1/1"_s, .addressEnd = u"1/1"_s, .intensityAddress = text},
        false));
    rows.push_back(std::make_unique<FixtureParameterRow>(FixtureControlParameter{.name = text},
                                                         std::nullopt, false));
    return rows;
  };
  const QString longText = QStringList(12, u"Front truss moving head wash"_s).join(u' ');
  for (const std::unique_ptr<QWidget> &row : rowsOf(longText)) {
    row->resize(300, row->heightForWidth(300));
    FittedTextLabel *line = nullptr;
    for (auto *label : row->findChildren<FittedTextLabel *>())
      if (label->text().endsWith(longText)) line = label;
    ASSERT_TRUE(line) << row->accessibleName().left(40).toStdString();
    EXPECT_FALSE(line->fitted().elided) << line->text().left(40).toStdString();
    EXPECT_EQ(line->fitted().lines.join(u' '), line->text());
  }
  const int screenHeight = QApplication::primaryScreen()->availableGeometry().height();
  for (const std::unique_ptr<QWidget> &row : rowsOf(u"Wash "_s.repeated(13108))) {
    EXPECT_LT(row->heightForWidth(300), 3 * screenHeight)
        << row->accessibleName().left(40).toStdString();
  }
}

}  // namespace
}  // namespace tarnik
