// The three key panels as widgets: their measures, viewer mode, soft-key titles, and what a
// screen reader finds.

#include "LiveKeysTestSupport.h"
#include "screens/live/KeyRowPanel.h"
#include "screens/live/MainKeypadPanel.h"
#include "screens/live/SoftKeyPanel.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QAccessible>
#include <QImage>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;

using LiveKeysWidget = LiveKeysTest;

const KeyPress ignorePress = [](const std::optional<QString> &, bool) {};

QList<int> widths(const KeyPanelFrame &panel) {
  QList<int> result;
  for (const ConsoleKeyButton *key : panel.keys()) result.append(key->width());
  return result;
}

TEST_F(LiveKeysWidget, GridColumnsShareThePanelEquallyWhateverTheTitles) {
  SoftKeyPanel soft(ignorePress);
  soft.resize(7 * 40 + 18 + 10, 200);
  QStringList labels(12);
  labels[2] = u"A console label far longer than any key could ever show"_s;
  soft.refresh(false, labels);
  soft.show();
  EXPECT_EQ(soft.height(), 107);
  EXPECT_EQ(widths(soft), QList<int>(14, 40));
  for (const ConsoleKeyButton *key : soft.keys()) EXPECT_EQ(key->height(), 47);
  EXPECT_EQ(soft.keys().at(7)->geometry(), QRect(5, 5 + 47 + 3, 40, 47));

  KeyRowPanel rows(ignorePress);
  rows.resize(6 * 60 + 20 + 10, 400);
  rows.show();
  EXPECT_EQ(rows.height(), 162);
  EXPECT_EQ(widths(rows), QList<int>(18, 60));
  EXPECT_EQ(rows.keys().last()->geometry(), QRect(5 + 5 * 64, 5 + 2 * 52, 60, 48));
}

TEST_F(LiveKeysWidget, ThePadIsLaidOutForItsWidthAndCollapsesWithoutAWarning) {
  MainKeypadPanel pad(ignorePress);
  pad.resize(510, 400);
  pad.show();
  EXPECT_EQ(pad.size(), QSize(510, 318));
  EXPECT_EQ(pad.padWidth(), 500);
  // Every row ends at the right edge of W; the blanks keep "/" in column 4.
  for (const char *name : {"sneak", "time", "home", "level", "full", "enter"}) {
    const QRect face =
        pad.findChild<ConsoleKeyButton *>(u"live.key."_s + QLatin1StringView(name))->geometry();
    EXPECT_EQ(face.right() + 1, 505) << name;
    EXPECT_EQ(face.height(), 48) << name;
  }
  EXPECT_EQ(pad.findChild<ConsoleKeyButton *>(u"live.key.divide"_s)->geometry(),
            QRect(5 + 3 * 84, 5, 80, 48));
  EXPECT_EQ(pad.findChild<ConsoleKeyButton *>(u"live.key.enter"_s)->width(), 164);

  SoftKeyPanel soft(ignorePress);
  KeyRowPanel rows(ignorePress);
  soft.show();
  rows.show();
  for (int width : {30, 12, 0}) {
    pad.resize(width, 318);
    soft.resize(width, 107);
    rows.resize(width, 162);
    // Painting at these sizes is where a warning would come from.
    pad.grab();
    soft.grab();
    rows.grab();
    EXPECT_EQ(pad.findChild<ConsoleKeyButton *>(u"live.key.7"_s)->width(), 0) << width;
    EXPECT_EQ(pad.findChild<ConsoleKeyButton *>(u"live.key.enter"_s)->width(), 4) << width;
    EXPECT_EQ(widths(soft), QList<int>(14, 10)) << width;
  }
}

TEST_F(LiveKeysWidget, ViewerModeDisablesAllSixtyFiveKeysInPlaceUntilEditorModeReturns) {
  makeView();
  const QList<ConsoleKeyButton *> built = keys();
  ASSERT_EQ(built.size(), 65);
  saveScreenshot(*view, u"live-keys-editor"_s);
  model->setInteractionMode(InteractionMode::viewer);
  settle();
  EXPECT_EQ(keys(), built);
  for (const ConsoleKeyButton *key : built) {
    EXPECT_FALSE(key->isEnabled()) << key->objectName().toStdString();
    EXPECT_TRUE(key->isViewer());
    EXPECT_EQ(key->accessibleDescription(), u"Unavailable in Viewer mode"_s);
  }
  saveScreenshot(*view, u"live-keys-viewer"_s);

  model->setInteractionMode(InteractionMode::editor);
  settle();
  EXPECT_EQ(keys(), built);
  for (const ConsoleKeyButton *key : built) {
    EXPECT_TRUE(key->isEnabled()) << key->objectName().toStdString();
    EXPECT_EQ(key->accessibleDescription(), u"Sends this key to the console"_s);
  }
}

TEST_F(LiveKeysWidget, SoftKeyTitlesFollowTheConsoleAndReturnToTheirDefaults) {
  makeView();
  const QList<ConsoleKeyButton *> built = keys();
  EXPECT_EQ(key(u"softkey_6"_s)->title(), u"Color\nPath"_s);
  EXPECT_EQ(key(u"softkey_6"_s)->accessibleName(), u"Color Path"_s);
  const auto label = [&](int number, const QString &text) {
    model->handleOSCMessage(u"/eos/out/softkey/"_s + QString::number(number),
                            {OSCArgument::fromString(text)});
  };
  label(2, u"  Gel \n"_s);
  label(3, u"Very Long Console Label For Soft Key Three"_s);
  label(7, u"Seventh"_s);
  settle();
  EXPECT_EQ(key(u"softkey_2"_s)->title(), u"Gel"_s);
  EXPECT_EQ(key(u"softkey_2"_s)->accessibleName(), u"Gel"_s);
  EXPECT_EQ(key(u"more_softkeys"_s)->title(), u"More SK"_s);
  // A long label does not widen its column.
  EXPECT_EQ(key(u"softkey_3"_s)->width(), key(u"softkey_2"_s)->width());
  saveScreenshot(*view, u"live-keys-console-labels"_s);

  model->resetSessionState(u"Disconnected"_s);
  settle();
  EXPECT_EQ(key(u"softkey_2"_s)->title(), u"Query"_s);
  EXPECT_EQ(key(u"softkey_3"_s)->title(), u"Snapshot"_s);
  EXPECT_EQ(keys(), built);
}

TEST_F(LiveKeysWidget, ScreenReadersHearOneLineTitlesAndFindNoBlanks) {
  makeView();
  for (const auto &[name, heard] :
       {std::pair{u"recall_from"_s, u"Recall From"_s},
        std::pair{u"channel_check"_s, u"Channel Check"_s}, std::pair{u"remdim"_s, u"Rem Dim"_s}}) {
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(key(name));
    ASSERT_TRUE(accessible) << name.toStdString();
    EXPECT_EQ(accessible->text(QAccessible::Name), heard);
    EXPECT_EQ(accessible->text(QAccessible::Description), u"Sends this key to the console"_s);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_TRUE(key(name)->text().isEmpty());
  }
  // The pad's accessible children are its 33 keys: the two blanks are nothing at all.
  QAccessibleInterface *pad =
      QAccessible::queryAccessibleInterface(view->findChild<QWidget *>(u"live.keypad"_s));
  ASSERT_TRUE(pad);
  ASSERT_EQ(pad->childCount(), 33);
  for (int child = 0; child < pad->childCount(); ++child) {
    EXPECT_EQ(pad->child(child)->role(), QAccessible::Button);
  }

  // A disabled face shows its colour at a quarter over the panel's ground.
  model->setInteractionMode(InteractionMode::viewer);
  settle();
  ConsoleKeyButton *palette = key(u"intensity_palette"_s);
  const QImage shown = view->grab().toImage();
  const QColor probe = shown.pixelColor(palette->mapTo(view.get(), QPoint(12, 4)));
  const auto blended = [](double face, double ground) {
    return (0.25 * face + 0.75 * ground) * 255;
  };
  EXPECT_NEAR(probe.red(), blended(0.53, 0.015), 2);
  EXPECT_NEAR(probe.green(), blended(0.23, 0.018), 2);
  EXPECT_NEAR(probe.blue(), blended(0.18, 0.024), 2);
}

}  // namespace
}  // namespace tarnik::testing
