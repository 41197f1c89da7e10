// The Go buttons against the console double: the playback bar, the cue detail and the fill
// they share.

#include "QtMessages.h"
#include "SyncedCueConsole.h"
#include "screens/live/CueDetailView.h"
#include "screens/live/CuePlaybackBar.h"
#include "screens/live/GoButton.h"
#include "screens/live/GoButtonFill.h"
#include "screens/live/SlotLabel.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using testing::waitUntil;

QImage paintedFill(std::optional<double> progress) {
  QImage image(200, 54, QImage::Format_ARGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  paintGoButtonFill(painter, QRectF(image.rect()), goFillLook(progress, true));
  return image;
}

int lightness(const QImage &image, int x) { return image.pixelColor(x, 27).lightness(); }

TEST(GoButtonFillWidget, TheBandLightensTheLeadingShareOnly) {
  const QImage half = paintedFill(0.5);
  EXPECT_GT(lightness(half, 50), lightness(half, 150) + 10);
  for (const std::optional<double> progress :
       {std::optional<double>(1.0), std::optional<double>()}) {
    const QImage plain = paintedFill(progress);
    EXPECT_EQ(plain.pixel(50, 27), plain.pixel(150, 27));
    EXPECT_EQ(plain.pixel(50, 27), half.pixel(150, 27));
  }
}

TEST(GoButtonFillWidget, ProgressOutsideTheRangeDrawsWithoutAWarning) {
  const QImage plain = paintedFill(std::nullopt);
  const QImage full = paintedFill(1.0);
  for (const double progress : {std::numeric_limits<double>::quiet_NaN(), -0.2, 1.7}) {
    QImage image;
    const QStringList messages = testing::qtMessagesDuring([&] { image = paintedFill(progress); });
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    // Nothing of a band where there can be none.
    EXPECT_EQ(image, progress > 1 ? full : plain) << progress;
  }
}

// The opacity a control is drawn with: the alpha of its fill at a point clear of any text,
// rendered on nothing.
int drawnAlpha(QWidget &widget, QPoint at) {
  QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image.pixelColor(at).alpha();
}

class GoButtonsWidget : public ::testing::Test {
 protected:
  void SetUp() override { SlotLabel::setSlideDuration(std::chrono::milliseconds(0)); }
  void TearDown() override { SlotLabel::setSlideDuration(std::chrono::milliseconds(450)); }

  void makeBar() {
    bar = std::make_unique<CuePlaybackBar>(*console.model);
    bar->resize(420, bar->sizeHint().height());
    bar->show();
  }
  void makeDetail(const Cue &cue) {
    detail = std::make_unique<CueDetailView>(*console.model, cue);
    detail->resize(420, 640);
    detail->show();
  }
  template <typename T = QAbstractButton>
  T *part(QWidget &screen, const QString &name) {
    return screen.findChild<T *>(name);
  }
  QString titleShown() {
    return part<SlotLabel>(*bar, u"cues.playback.goPrefix"_s)->text() +
           part<SlotLabel>(*bar, u"cues.playback.goNumber"_s)->text();
  }
  bool synced() { return console.syncShow(testing::generateConsoleShow(12, 0, 7)); }
  void sendActiveCue(const QString &number, float progress) {
    console.console.send(
        {OSCMessage{u"/eos/out/active/cue/1/"_s + number, {OSCArgument::fromFloat(progress)}}});
  }
  const CommandHistoryEntry &lastEntry() { return console.model->commandHistory().last(); }

  testing::SyncedCueConsole console;
  std::unique_ptr<CuePlaybackBar> bar;
  std::unique_ptr<CueDetailView> detail;
};

TEST_F(GoButtonsWidget, GoAndStopSendFixedAddressesWhateverTheNextCue) {
  makeBar();
  ASSERT_TRUE(synced());
  bar->setNextCue(Cue{.number = u"12"_s, .label = u"Cue 12 Finale"_s});
  auto *go = part(*bar, u"cues.playback.go"_s);
  auto *stop = part(*bar, u"cues.playback.stop"_s);
  ASSERT_TRUE(waitUntil([&] { return go->isEnabled() && stop->isEnabled(); }));
  EXPECT_EQ(stop->accessibleName(), u"Stop/Back"_s);

  QTest::mouseClick(go, Qt::LeftButton);
  ASSERT_TRUE(
      waitUntil([&] { return console.console.requests(u"/eos/cues/1/fire"_s).size() == 1; }));
  EXPECT_TRUE(console.console.requests(u"/eos/cues/1/fire"_s).first().arguments.isEmpty());
  EXPECT_EQ(lastEntry().text, u"Go"_s);
  EXPECT_EQ(lastEntry().source, u"Sent"_s);

  QTest::mouseClick(stop, Qt::LeftButton);
  ASSERT_TRUE(
      waitUntil([&] { return console.console.requests(u"/eos/cues/1/stop"_s).size() == 1; }));
  EXPECT_TRUE(console.console.requests(u"/eos/cues/1/stop"_s).first().arguments.isEmpty());
  EXPECT_EQ(lastEntry().text, u"Stop/Back"_s);
  EXPECT_EQ(lastEntry().source, u"Sent"_s);
  for (const OSCMessage &request : console.console.requests())
    EXPECT_FALSE(request.address.contains(u"/12"_s)) << request.address.toStdString();
}

TEST_F(GoButtonsWidget, BeforeTheSyncBothButtonsAreOffAndFaint) {
  makeBar();
  auto *go = part(*bar, u"cues.playback.go"_s);
  auto *stop = part(*bar, u"cues.playback.stop"_s);
  const QPoint goFill(10, go->height() / 2);
  const QPoint stopFill(8, stop->height() / 2);
  // The console answers, but the sync waits for the cue count.
  console.console.setShow(testing::generateConsoleShow(12, 0, 7));
  console.console.setHandler(u"/eos/get/cue/1/count"_s,
                             [](const OSCMessage &) { return QList<OSCMessage>{}; });
  console.manager().connect(u"127.0.0.1"_s, console.console.tcpPort(OSCTCPFraming::packetLength));
  ASSERT_TRUE(waitUntil(
      [&] { return console.model->isLoadingCues() && console.model->isConsoleReachable(); }));
  QTest::qWait(50);
  EXPECT_FALSE(go->isEnabled());
  EXPECT_FALSE(stop->isEnabled());
  EXPECT_NEAR(drawnAlpha(*go, goFill), 0.35 * 255, 2);
  EXPECT_NEAR(drawnAlpha(*stop, stopFill), 0.35 * 255, 2);
  QTest::mouseClick(go, Qt::LeftButton);
  QTest::mouseClick(stop, Qt::LeftButton);
  EXPECT_TRUE(console.model->commandHistory().isEmpty());

  console.console.removeHandler(u"/eos/get/cue/1/count"_s);
  console.console.send({OSCMessage{u"/eos/out/get/cue/1/count"_s, {OSCArgument::fromInt(12)}}});
  ASSERT_TRUE(waitUntil([&] { return go->isEnabled() && stop->isEnabled(); }));
  EXPECT_NEAR(drawnAlpha(*go, goFill), 0.95 * 255, 2);
  EXPECT_NEAR(drawnAlpha(*stop, stopFill), 0.95 * 255, 2);
  EXPECT_TRUE(console.console.requests(u"/eos/cues/1/fire"_s).isEmpty());
}

TEST_F(GoButtonsWidget, TheTitleFollowsTheNextCue) {
  makeBar();
  auto *subtitle = part<SlotLabel>(*bar, u"cues.playback.subtitle"_s);
  EXPECT_EQ(titleShown(), u"Go"_s);
  EXPECT_TRUE(subtitle->isHidden());
  bar->setNextCue(Cue{.number = u"5"_s, .label = u"Cue 5"_s});
  EXPECT_EQ(titleShown(), u"Go Cue 5"_s);
  EXPECT_TRUE(subtitle->isHidden());
  bar->setNextCue(Cue{.number = u"12"_s, .label = u"Cue 12 Finale"_s});
  EXPECT_EQ(subtitle->text(), u"Finale"_s);
  EXPECT_FALSE(subtitle->isHidden());
  bar->setNextCue(Cue{.number = u"13"_s});
  EXPECT_EQ(titleShown(), u"Go Cue 13"_s);
  EXPECT_EQ(part(*bar, u"cues.playback.go"_s)->text(), u"Go Cue 13"_s);
  EXPECT_TRUE(subtitle->isHidden());
  // A console's 64 KB label asks for no more than the screen is wide.
  bar->setNextCue(Cue{.number = u"14"_s, .label = u"Wash "_s.repeated(13108)});
  EXPECT_LE(subtitle->sizeHint().width(), subtitle->screen()->availableGeometry().width());
}

TEST_F(GoButtonsWidget, ANewTitleSlidesOnTheSpringAndComesToRest) {
  SlotLabel::setSlideDuration(std::chrono::milliseconds(450));
  makeBar();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
  auto *prefix = part<SlotLabel>(*bar, u"cues.playback.goPrefix"_s);
  auto *number = part<SlotLabel>(*bar, u"cues.playback.goNumber"_s);
  bar->setNextCue(Cue{.number = u"12"_s});
  EXPECT_TRUE(prefix->isSliding());
  ASSERT_TRUE(waitUntil([&] { return !prefix->isSliding(); }));
  bar->setNextCue(Cue{.number = u"13"_s});
  EXPECT_FALSE(prefix->isSliding());
  EXPECT_TRUE(number->isSliding());
  EXPECT_TRUE(waitUntil([&] { return !number->isSliding(); }));
  EXPECT_EQ(titleShown(), u"Go Cue 13"_s);
}

TEST_F(GoButtonsWidget, TheBarShowsTheRunningCuesProgress) {
  makeBar();
  ASSERT_TRUE(synced());
  bar->setNextCue(Cue{.number = u"6"_s, .label = u"Cue 6 Sunrise"_s});
  auto *go = part<GoButton>(*bar, u"cues.playback.go"_s);
  sendActiveCue(u"5"_s, 0.4f);
  ASSERT_TRUE(waitUntil([&] { return go->fillLook().bandOpacity == 1; }));
  EXPECT_NEAR(go->fillLook().progress, 0.4, 1e-6);
  EXPECT_FALSE(testing::saveScreenshot(*bar, u"cues-playback-bar"_s).isEmpty());
  sendActiveCue(u"5"_s, 1.0f);
  EXPECT_TRUE(waitUntil([&] { return go->fillLook().bandOpacity == 0; }));
}

TEST_F(GoButtonsWidget, TheDetailFiresItsOwnCue) {
  ASSERT_TRUE(synced());
  makeDetail(Cue{.number = u"7"_s, .label = u"Cue 7 Storm"_s});
  auto *go = part(*detail, u"cues.detail.go"_s);
  ASSERT_TRUE(waitUntil([&] { return go->isEnabled(); }));
  EXPECT_TRUE(part<QLabel>(*detail, u"cues.detail.offline"_s)->isHidden());
  EXPECT_EQ(go->text(), u"Go to Cue 7"_s);
  QTest::mouseClick(go, Qt::LeftButton);
  ASSERT_TRUE(
      waitUntil([&] { return console.console.requests(u"/eos/cue/1/7/fire"_s).size() == 1; }));
  EXPECT_TRUE(console.console.requests(u"/eos/cue/1/7/fire"_s).first().arguments.isEmpty());
  EXPECT_EQ(lastEntry().text, u"Go to Cue 7"_s);
  EXPECT_EQ(lastEntry().source, u"Sent"_s);
}

TEST_F(GoButtonsWidget, ADetailOfANumberWithALineBreakSendsNothing) {
  ASSERT_TRUE(synced());
  makeDetail(Cue{.number = u"5\n"_s});
  auto *go = part(*detail, u"cues.detail.go"_s);
  ASSERT_TRUE(waitUntil([&] { return go->isEnabled(); }));
  const qsizetype before = console.console.requests().size();
  QTest::mouseClick(go, Qt::LeftButton);
  EXPECT_EQ(lastEntry().text, u"Fire cue — invalid cue or cue list"_s);
  EXPECT_EQ(lastEntry().source, u"Rejected"_s);
  QTest::qWait(100);
  for (const OSCMessage &request : console.console.requests().mid(before))
    EXPECT_FALSE(request.address.startsWith(u"/eos/cue/"_s)) << request.address.toStdString();
}

TEST_F(GoButtonsWidget, TheDetailsGoShowsOnlyItsOwnCuesProgress) {
  ASSERT_TRUE(synced());
  makeDetail(Cue{.number = u"5"_s});
  auto *go = part<GoButton>(*detail, u"cues.detail.go"_s);
  sendActiveCue(u"5"_s, 0.4f);
  ASSERT_TRUE(waitUntil([&] { return go->fillLook().bandOpacity == 1; }));
  EXPECT_NEAR(go->fillLook().progress, 0.4, 1e-6);
  sendActiveCue(u"6"_s, 0.4f);
  EXPECT_TRUE(waitUntil([&] { return go->fillLook().bandOpacity == 0; }));
}

TEST_F(GoButtonsWidget, ViewerModeShowsOnlyTheNoteEvenOffline) {
  console.model->setInteractionMode(InteractionMode::viewer);
  makeDetail(Cue{.number = u"7"_s});
  EXPECT_FALSE(console.model->isConsoleReachable());
  EXPECT_FALSE(part<QLabel>(*detail, u"cues.detail.viewerNote"_s)->isHidden());
  EXPECT_EQ(part<QLabel>(*detail, u"cues.detail.viewerNote"_s)->text(),
            u"Viewer mode: cue playback is read-only."_s);
  EXPECT_TRUE(part(*detail, u"cues.detail.go"_s)->isHidden());
  EXPECT_TRUE(part<QLabel>(*detail, u"cues.detail.offline"_s)->isHidden());
}

TEST_F(GoButtonsWidget, ASilentConsoleShowsOfflineAndADimGo) {
  // The transport comes up, but no ping is ever answered.
  console.console.silent = true;
  console.manager().connect(u"127.0.0.1"_s, console.console.tcpPort(OSCTCPFraming::packetLength));
  makeDetail(Cue{.number = u"7"_s});
  ASSERT_TRUE(waitUntil([&] { return console.manager().isConnected(); }));
  QTest::qWait(100);
  auto *go = part<GoButton>(*detail, u"cues.detail.go"_s);
  auto *offline = part<QLabel>(*detail, u"cues.detail.offline"_s);
  EXPECT_FALSE(console.model->isConsoleReachable());
  EXPECT_FALSE(offline->isHidden());
  EXPECT_EQ(offline->text(), u"Offline"_s);
  EXPECT_FALSE(go->isHidden());
  EXPECT_FALSE(go->isEnabled());
  EXPECT_EQ(go->fillLook().fillOpacity, 0.35);
}

// Every section, in both modes.
Cue fullCue() {
  return Cue{.number = u"12"_s,
             .label = u"Cue 12 Finale — the long storm that ends the second act and wraps"_s,
             .duration = u"5"_s,
             .upTime = u"3"_s,
             .downTime = u"2.5"_s,
             .focusTime = u"1"_s,
             .colorTime = u"4"_s,
             .beamTime = u" "_s,
             .mark = u"M"_s,
             .assert = u"A"_s,
             .follow = u"0.5"_s,
             .hang = u"2"_s,
             .link = u"14"_s,
             .curve = u"Linear"_s,
             .rate = u"80"_s};
}

TEST_F(GoButtonsWidget, DetailScreenshotsInBothModes) {
  ASSERT_TRUE(synced());
  makeDetail(fullCue());
  detail->resize(420, 900);
  QCoreApplication::processEvents();
  ASSERT_TRUE(waitUntil([&] { return part(*detail, u"cues.detail.go"_s)->isEnabled(); }));
  for (const char *section : {"cues.detail.timing", "cues.detail.flags", "cues.detail.sequence",
                              "cues.detail.flags.mark", "cues.detail.timing.beamTime"})
    EXPECT_TRUE(detail->findChild<QWidget *>(QString::fromLatin1(section))) << section;
  EXPECT_EQ(part<QLabel>(*detail, u"cues.detail.timing.beamTime.value"_s)->text(), u"-"_s);
  EXPECT_FALSE(detail->findChild<QWidget *>(u"cues.detail.flags.block"_s));
  EXPECT_FALSE(testing::saveScreenshot(*detail, u"cues-detail-editor"_s).isEmpty());
  console.model->setInteractionMode(InteractionMode::viewer);
  makeDetail(fullCue());
  detail->resize(420, 900);
  QCoreApplication::processEvents();
  EXPECT_FALSE(testing::saveScreenshot(*detail, u"cues-detail-viewer"_s).isEmpty());
}

}  // namespace
}  // namespace tarnik
