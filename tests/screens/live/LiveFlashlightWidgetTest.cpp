// The Live page's flashlight: the switch's alert, the report of a failed automatic turn-off,
// and the turn-offs when the window leaves the active phase or the page goes away.

#include "LiveScreenTestSupport.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QShowEvent>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;

const QString noFlashlight =
    u"The Simulator has no physical flashlight. Run Tarnik on an iPhone to use this control."_s;
const QString cleanupFailure =
    u"Tarnik could not access the flashlight to turn it off automatically. Check whether it is "
    u"still on."_s;

class LiveFlashlightWidget : public LiveScreenTest {
 protected:
  void makeLitView() {
    LivePageParts parts;
    parts.torch = std::make_unique<LitTorch>();
    makeView(560, std::move(parts));
  }
  void closeAlert() {
    QAbstractButton *ok = torchAlert()->buttons().value(0);
    ASSERT_TRUE(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
  }
  // What the alert's body reads, top to bottom: a desktop may draw no window title at all.
  QStringList bodyTexts() {
    QStringList texts;
    for (const QLabel *label : torchAlert()->findChildren<QLabel *>()) {
      if (label->isVisible() && !label->text().isEmpty()) texts.append(label->text());
    }
    return texts;
  }
  // Takes the pending report, as the page would, to count each turn-off apart.
  std::optional<QString> takeReport() {
    std::optional<QString> report = view->torch().pendingCleanupFailure();
    view->torch().setPendingCleanupFailure(std::nullopt);
    return report;
  }
};

TEST_F(LiveFlashlightWidget, APressExplainsWhyAndOkClosesTheAlertChangingNothingElse) {
  makeView();
  const qsizetype historyBefore = model->commandHistory().size();
  QTest::mouseClick(symbolButton(u"live.header.torch"_s), Qt::LeftButton);
  ASSERT_TRUE(alertShown());
  EXPECT_EQ(torchAlert()->windowTitle(), u"Flashlight unavailable"_s);
  EXPECT_EQ(bodyTexts(), (QStringList{u"Flashlight unavailable"_s, noFlashlight}));
  EXPECT_EQ(torchAlert()->textFormat(), Qt::PlainText);
  EXPECT_EQ(torchAlert()->windowModality(), Qt::WindowModal);
  ASSERT_EQ(torchAlert()->buttons().size(), 1);
  EXPECT_EQ(torchAlert()->buttons().first()->text(), u"OK"_s);
  EXPECT_EQ(torchAlert()->buttonRole(torchAlert()->buttons().first()), QMessageBox::RejectRole);
  EXPECT_TRUE(view->isShowingTorchAlert());
  saveScreenshot(*torchAlert(), u"live-screen-alert"_s);

  closeAlert();
  EXPECT_FALSE(alertShown());
  EXPECT_FALSE(view->isShowingTorchAlert());
  EXPECT_FALSE(view->torch().isOn());
  EXPECT_FALSE(view->torch().isAvailable());
  EXPECT_FALSE(view->torch().pendingCleanupFailure());
  EXPECT_EQ(model->commandHistory().size(), historyBefore);
}

TEST_F(LiveFlashlightWidget, AFailedTurnOffOnHidingIsShownOnceWhenThePageComesBack) {
  makeLitView();
  ASSERT_FALSE(alertShown());
  view->hide();
  EXPECT_EQ(view->torch().pendingCleanupFailure(), cleanupFailure);
  view->show();
  ASSERT_TRUE(alertShown());
  EXPECT_EQ(torchAlert()->windowTitle(), u"Check Flashlight"_s);
  EXPECT_EQ(bodyTexts(), (QStringList{u"Check Flashlight"_s, cleanupFailure}));
  EXPECT_FALSE(view->torch().pendingCleanupFailure());
  closeAlert();

  // Shown again with nothing recorded meanwhile: nothing to say.
  QShowEvent again;
  QCoreApplication::sendEvent(view.get(), &again);
  EXPECT_FALSE(alertShown());
}

TEST_F(LiveFlashlightWidget, EachPhaseLeftTurnsItOffAndTheActivePhaseShowsTheReport) {
  makeLitView();
  ASSERT_FALSE(takeReport());
  emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_EQ(takeReport(), cleanupFailure);
  emit qGuiApp->applicationStateChanged(Qt::ApplicationHidden);
  EXPECT_EQ(takeReport(), cleanupFailure);
  EXPECT_FALSE(alertShown());

  emit qGuiApp->applicationStateChanged(Qt::ApplicationSuspended);
  emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
  ASSERT_TRUE(alertShown());
  EXPECT_EQ(torchAlert()->windowTitle(), u"Check Flashlight"_s);
  EXPECT_FALSE(view->torch().pendingCleanupFailure());
}

TEST_F(LiveFlashlightWidget, AMinimiseIsSpontaneousAndLeavesTheLightAlone) {
  makeLitView();
  QHideEvent minimised;
  QSpontaneKeyEvent::setSpontaneous(&minimised);
  // Delivered as the window system delivers it; sendEvent would make it an ordinary one.
  qApp->notify(view.get(), &minimised);
  EXPECT_FALSE(view->torch().pendingCleanupFailure());
}

TEST_F(LiveFlashlightWidget, APageDroppedWhileShownTurnsTheLightOffOnce) {
  makeLitView();
  auto lit = std::make_unique<LitTorch>();
  // The page's own controller goes with it, so watch the reports it leaves on the way.
  int reports = 0;
  QObject::connect(&view->torch(), &TorchController::pendingCleanupFailureChanged,
                   [&](const std::optional<QString> &report) { reports += report ? 1 : 0; });
  view.reset();
  EXPECT_EQ(reports, 1);
}

TEST_F(LiveFlashlightWidget, ASecondAlertDueAtOnceReplacesTheFirst) {
  makeLitView();
  view->toggleTorch();
  view->turnOffTorch();
  view->presentTorchCleanupFailure();
  ASSERT_TRUE(alertShown());
  EXPECT_EQ(view->findChildren<QMessageBox *>().size(), 1);
  EXPECT_EQ(torchAlert()->windowTitle(), u"Check Flashlight"_s);
  EXPECT_EQ(bodyTexts(), (QStringList{u"Check Flashlight"_s, cleanupFailure}));
  closeAlert();
  EXPECT_FALSE(view->isShowingTorchAlert());
}

}  // namespace
}  // namespace tarnik::testing
