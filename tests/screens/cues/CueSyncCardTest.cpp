// The sync card against the console double: online, loading and offline.

#include "SyncedCueConsole.h"
#include "screens/kit/Style.h"
#include "screens/live/CueStyle.h"
#include "screens/live/CueSyncCard.h"
#include "screens/support/DrawnContrast.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using testing::waitUntil;

class CueSyncCardWidget : public ::testing::Test {
 protected:
  // The card stands in a list row, which gives it its margins.
  void makeCard() {
    row = std::make_unique<QWidget>();
    card = new CueSyncCard(*console.model, row.get());
    auto *layout = new QVBoxLayout(row.get());
    layout->setContentsMargins(16, 10, 16, 10);
    layout->addWidget(card);
    row->resize(380, row->sizeHint().height());
    row->show();
  }
  QString shown(const char *name) {
    return card->findChild<QLabel *>(QString::fromLatin1(name))->text();
  }
  bool spinnerShown() {
    return !card->findChild<QProgressBar *>(u"cues.sync.spinner"_s)->isHidden();
  }
  // The colour the icon is drawn in: its most opaque pixel.
  QColor iconColour() {
    const QImage icon = card->findChild<QLabel *>(u"cues.sync.icon"_s)->pixmap().toImage();
    QColor best(Qt::transparent);
    for (int y = 0; y < icon.height(); ++y) {
      for (int x = 0; x < icon.width(); ++x) {
        const QColor pixel = icon.pixelColor(x, y);
        if (pixel.alpha() > best.alpha()) best = pixel;
      }
    }
    best.setAlpha(255);
    return best;
  }
  QColor nameColour() {
    return card->findChild<QLabel *>(u"cues.sync.showName"_s)
        ->palette()
        .color(QPalette::WindowText);
  }

  testing::SyncedCueConsole console;
  std::unique_ptr<QWidget> row;
  CueSyncCard *card = nullptr;
};

TEST_F(CueSyncCardWidget, OfflineBeforeAnyConnection) {
  makeCard();
  EXPECT_EQ(shown("cues.sync.showName"), u"Show Name"_s);
  EXPECT_EQ(shown("cues.sync.count"), u"0 cues"_s);
  EXPECT_EQ(shown("cues.sync.status"), u"Offline"_s);
  EXPECT_FALSE(spinnerShown());
  EXPECT_EQ(iconColour(), Style::light(Style::Role::warning));
  EXPECT_NE(nameColour(), Style::light(Style::Role::success));
  EXPECT_FALSE(testing::saveScreenshot(*row, u"cues-sync-card-offline"_s).isEmpty());
}

TEST_F(CueSyncCardWidget, OnlineWithTheSyncedShow) {
  makeCard();
  ASSERT_TRUE(console.syncShow(testing::generateConsoleShow(42, 0, 5)));
  ASSERT_TRUE(waitUntil([&] { return shown("cues.sync.status") == u"Synced"_s; }));
  EXPECT_EQ(shown("cues.sync.showName"), console.model->showFileName());
  EXPECT_FALSE(console.model->showFileName().isEmpty());
  EXPECT_EQ(shown("cues.sync.count"), QStringLiteral("%1 cues").arg(console.model->cues().size()));
  EXPECT_FALSE(spinnerShown());
  EXPECT_EQ(iconColour(), Style::light(Style::Role::success));
  EXPECT_EQ(nameColour(), Style::light(Style::Role::success));
  EXPECT_FALSE(testing::saveScreenshot(*row, u"cues-sync-card-online"_s).isEmpty());
  // The "Synced" caption reads on the page by the strongest pixel of its glyphs.
  const QLabel *status = card->findChild<QLabel *>(u"cues.sync.status"_s);
  const testing::DrawnContrast drawn = testing::drawnContrast(
      row->grab().toImage(), QRect(status->mapTo(row.get(), QPoint()), status->size()));
  EXPECT_GE(drawn.text, 4.5) << "on " << drawn.ground.name().toStdString();
}

TEST_F(CueSyncCardWidget, OfflineAfterARefusedSyncSaysWhyBesideTheLastTime) {
  makeCard();
  ASSERT_TRUE(console.syncShow(testing::generateConsoleShow(2, 0)));
  console.console.setHandler(u"/eos/get/cue/1/count"_s, [](const OSCMessage &) {
    return QList<OSCMessage>{{u"/eos/out/get/cue/1/count"_s, {OSCArgument::fromInt(-1)}}};
  });
  console.model->requestFullSync(u"Refresh"_s);
  ASSERT_TRUE(waitUntil([&] { return shown("cues.sync.status").startsWith(u"Offline · "_s); }))
      << shown("cues.sync.status").toStdString();
  const QString status = shown("cues.sync.status");
  EXPECT_TRUE(
      status.endsWith(u" — Console returned an invalid item count — cached data retained"_s))
      << status.toStdString();
}

TEST_F(CueSyncCardWidget, TheReachableIconIsACheckCutFromAFilledCircle) {
  makeCard();
  ASSERT_TRUE(console.syncShow(testing::generateConsoleShow(2, 0)));
  ASSERT_TRUE(waitUntil([&] { return iconColour() == Style::light(Style::Role::success); }));
  const QImage icon = card->findChild<QLabel *>(u"cues.sync.icon"_s)->pixmap().toImage();
  const int middle = icon.width() / 2;
  const int edge = icon.width() / 10;
  // The circle reaches all four sides; a bare check touches none of the top or left ones.
  for (const QPoint at :
       {QPoint(middle, edge), QPoint(edge, middle), QPoint(icon.width() - 1 - edge, middle),
        QPoint(middle, icon.height() - 1 - edge)}) {
    EXPECT_GT(icon.pixelColor(at).alpha(), 128) << at.x() << "," << at.y();
  }
}

TEST_F(CueSyncCardWidget, ALongShowNameFillsTheRowAndEndsInAnEllipsisAfterTwoLines) {
  const QString name =
      u"Winter Gala in the Grand Theatre with the City Orchestra and Choir, "_s.repeated(5)
          .trimmed();
  testing::ConsoleShow show = testing::generateConsoleShow(2, 0);
  show.name = name;
  makeCard();
  ASSERT_TRUE(console.syncShow(show));
  auto *label = card->findChild<QLabel *>(u"cues.sync.showName"_s);
  ASSERT_TRUE(waitUntil([&] { return label->toolTip() == name; }));
  EXPECT_EQ(label->accessibleName(), name);
  const QStringList lines = label->text().split(u'\n');
  ASSERT_EQ(lines.size(), 2) << label->text().toStdString();
  EXPECT_TRUE(lines.last().endsWith(u'\u2026')) << lines.last().toStdString();
  // The free width of the row is the name's, and both lines are whole, not clipped.
  const QFontMetrics metrics(label->font());
  EXPECT_GT(label->width(), card->width() * 3 / 4);
  EXPECT_GE(label->height(), metrics.height() + metrics.lineSpacing());
  testing::saveScreenshot(*row, u"cues-sync-card-long-name"_s);
}

TEST_F(CueSyncCardWidget, TheSpinnerTurnsWhileCuesLoad) {
  makeCard();
  // The first cue never answers, so the sync stays in its cue part.
  console.console.cueFaults = {{0, testing::EosConsoleDouble::RecordFault::noAnswer}};
  console.console.setShow(testing::generateConsoleShow(4, 0));
  console.manager().connect(u"127.0.0.1"_s, console.console.tcpPort(OSCTCPFraming::packetLength));
  ASSERT_TRUE(waitUntil([&] { return console.model->isLoadingCues(); }));
  EXPECT_TRUE(waitUntil([&] { return spinnerShown(); }));
  testing::saveScreenshot(*row, u"cues-sync-card-loading"_s);
}

}  // namespace
}  // namespace tarnik
