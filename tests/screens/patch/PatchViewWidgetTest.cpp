// The Patch page against a real application model synced from the console double's patch
// table over TCP: rows, orderings, the empty states, the park check and the banners.

#include "app/AppViewModel.h"
#include "screens/kit/NavigationStack.h"
#include "screens/kit/Style.h"
#include "screens/patch/PatchDetailView.h"
#include "screens/patch/PatchListModel.h"
#include "screens/patch/PatchRowDelegate.h"
#include "screens/patch/PatchView.h"
#include "screens/support/DrawnContrast.h"
#include "screens/support/Screenshots.h"
#include "support/EosConsoleDouble.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QAccessible>
#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using testing::ConsolePatchPart;
using testing::ConsoleShow;
using testing::waitUntil;

ConsolePatchPart patchPart(int channel, int part, int absoluteAddress, const QString &label,
                           int level = 0) {
  ConsolePatchPart row = ConsolePatchPart::dimmer(channel, part, absoluteAddress);
  row.setText(ConsolePatchPart::label, label);
  row.fields[ConsolePatchPart::level] = OSCArgument::fromInt(level);
  return row;
}

// Five channels: a two-part fixture with a label that looks like markup, one without a
// label, one in universe 10 and one without an address.
ConsoleShow patchShow() {
  ConsoleShow show;
  show.path = u"/shows/patch.esf"_s;
  show.name = u"Patch"_s;
  ConsolePatchPart spot = patchPart(2, 1, 512 + 10, u"<b>Wash</b>"_s, 100);
  spot.setText(ConsolePatchPart::manufacturer, u"Acme"_s);
  spot.setText(ConsolePatchPart::model, u"Spot 575"_s);
  show.patch = {patchPart(1, 1, 1, u"Front Wash"_s),
                spot,
                patchPart(2, 2, 512 + 20, {}),
                patchPart(3, 1, 101, {}, 50),
                patchPart(5, 1, 9 * 512 + 1, u"Cyc"_s, 100),
                patchPart(7, 1, 0, u"Spare"_s)};
  return show;
}

class PatchViewWidget : public ::testing::Test {
 protected:
  PatchViewWidget() {
    console.setShow(patchShow());
    AppViewModel::Arguments arguments;
    arguments.defaults = &settings;
    // Networking on, as the program runs: the heartbeat, and after a sync the Live controls
    // and their park check. There is no saved connection to restore.
    model = std::make_unique<AppViewModel>(std::move(arguments));
    view = std::make_unique<PatchView>(*model);
    view->resize(620, 520);
    view->show();
    view->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
  }

  // Connected over TCP and the patch mirrored.
  bool connectAndSync() {
    model->setConsoleIP(u"127.0.0.1"_s);
    model->setConnectionTransport(OSCTransport::tcp);
    model->setTcpFraming(OSCTCPFraming::packetLength);
    model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
    model->connect();
    return synced();
  }
  bool parkStatusBecomes(const QString &status) {
    return waitUntil([&] { return model->parkStatusMessage() == status; });
  }
  bool synced() {
    return waitUntil([&] {
      return model->isConsoleReachable() && !model->isLoadingPatch() &&
             model->dataStatusMessage() == u"Synced"_s;
    });
  }
  // One turn of the event loop: the page redraws after the model's changes, and its
  // layouts follow before anything is measured or pictured.
  static void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  }

  template <class T = QWidget>
  T *part(const QString &name) const {
    return view->findChild<T *>(name);
  }
  QAction *action(const QString &name) const { return view->findChild<QAction *>(name); }
  QString text(const QString &name) const { return part<QLabel>(name)->text(); }
  QString shownContent() const {
    return part<QStackedWidget>(u"patch.content"_s)->currentWidget()->objectName();
  }

  PatchListModel &rows() const {
    return *qobject_cast<PatchListModel *>(part<QListView>(u"patch.list"_s)->model());
  }
  QList<qint64> rowNumbers() const {
    QList<qint64> numbers;
    for (int row = 0; row < rows().rowCount(); ++row) numbers.append(rows().channel(row).number);
    return numbers;
  }
  QStringList rowSentences() const {
    QStringList sentences;
    for (int row = 0; row < rows().rowCount(); ++row)
      sentences.append(rows().index(row).data(Qt::AccessibleTextRole).toString());
    return sentences;
  }
  void search(const QString &query) { part<QLineEdit>(u"patch.search"_s)->setText(query); }

  testing::EosConsoleDouble console;
  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(u"settings.ini"_s)};
  std::unique_ptr<AppViewModel> model;
  std::unique_ptr<PatchView> view;
};

TEST_F(PatchViewWidget, RowsFollowTheSyncedPatchAndEachOrderingSurvivesAResync) {
  ASSERT_TRUE(connectAndSync());
  settle();
  EXPECT_EQ(shownContent(), u"patch.list"_s);
  EXPECT_FALSE(part(u"patch.banner"_s)->isVisibleTo(view.get()));
  EXPECT_EQ(rowSentences(),
            (QStringList{u"Channel 1, Front Wash, Dimmer, address 1/1"_s,
                         u"Channel 2, <b>Wash</b>, Acme Spot 575, address 2/10-2/20, 2 parts"_s,
                         u"Channel 3, No label, Dimmer, address 1/101"_s,
                         u"Channel 5, Cyc, Dimmer, address 10/1"_s,
                         u"Channel 7, Spare, Dimmer, unpatched"_s}));
  // The label is kept as typed, markup and all: its own text finds it.
  search(u"<B>wash"_s);
  EXPECT_EQ(rowNumbers(), QList<qint64>{2});
  search(u"   "_s);
  EXPECT_EQ(rowNumbers().size(), 5);
  testing::saveScreenshot(*view, u"patch-list"_s);

  const struct {
    const char *action;
    QList<qint64> order;
  } orderings[] = {
      {"patch.sort.address", {7, 1, 3, 2, 5}}, {"patch.sort.universe", {1, 3, 2, 5, 7}},
      {"patch.sort.on", {2, 5, 3, 1, 7}},      {"patch.sort.type", {2, 1, 3, 5, 7}},
      {"patch.sort.channel", {1, 2, 3, 5, 7}}, {"patch.sort.address", {7, 1, 3, 2, 5}}};
  for (const auto &ordering : orderings) {
    action(QString::fromLatin1(ordering.action))->trigger();
    EXPECT_EQ(rowNumbers(), ordering.order) << ordering.action;
    EXPECT_TRUE(action(QString::fromLatin1(ordering.action))->isChecked());
  }

  ConsoleShow show = console.show();
  show.setPatchPart(patchPart(4, 1, 50, u"Side"_s));
  console.setShow(show);
  action(u"patch.sync"_s)->trigger();
  ASSERT_TRUE(waitUntil([&] { return model->channels().size() == 6 && !model->isLoadingPatch(); }));
  settle();
  EXPECT_EQ(rowNumbers(), (QList<qint64>{7, 1, 4, 3, 2, 5}));
  EXPECT_TRUE(action(u"patch.sort.address"_s)->isChecked());
  EXPECT_TRUE(action(u"patch.sync"_s)->text().startsWith(u"Sync Now ("_s))
      << action(u"patch.sync"_s)->text().toStdString();
}

// The channel badge's two lines, the number and "Chan" under it, read on the badge's wash on
// a row at rest and on the selected one, each by the strongest pixel of its glyphs.
TEST_F(PatchViewWidget, TheChannelBadgeReadsOnItsWash) {
  ASSERT_TRUE(connectAndSync());
  settle();
  auto *list = part<QListView>(u"patch.list"_s);
  list->setCurrentIndex(rows().index(1));
  settle();
  ASSERT_TRUE(list->selectionModel()->isSelected(rows().index(1)));
  testing::saveScreenshot(*view, u"patch-list-selected"_s);
  const QImage image = list->viewport()->grab().toImage();
  const struct {
    const char *name;
    int row;
    int line;
  } texts[] = {
      {"number", 0, 0},
      {"Chan", 0, 1},
      {"number on the selected row", 1, 0},
      {"Chan on the selected row", 1, 1},
  };
  for (const auto &text : texts) {
    // The badge's column inside its rounded corners, clear of its edges.
    const QRect row = list->visualRect(rows().index(text.row));
    const QRect badge(row.left() + 20, row.top() + 7, 36, row.height() - 14);
    const QList<QRect> lines = testing::drawnLines(image, badge);
    ASSERT_EQ(lines.size(), 2) << text.name;
    const testing::DrawnContrast drawn = testing::drawnContrast(image, lines[text.line]);
    EXPECT_GE(drawn.text, 4.5) << text.name << " on " << drawn.ground.name().toStdString();
  }
}

// One row of the patch list, 600 wide, as its delegate paints it, with a row's height of
// white ground above and below it, where the rows beside it lie.
QImage paintedRow(const Channel &channel, bool parked) {
  PatchListModel model;
  model.setRows({channel}, {0}, {parked});
  PatchRowDelegate delegate;
  QStyleOptionViewItem option;
  option.font = QApplication::font();
  option.palette = QApplication::palette();
  const int height = delegate.sizeHint(option, model.index(0)).height();
  option.rect = QRect(0, height, 600, height);
  QImage image(600, 3 * height, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  delegate.paint(&painter, option, model.index(0));
  return image;
}

// A label, type or address of one letter under a pile of combining marks, as a console may
// send it, is drawn inside its own row and never over the rows beside it.
TEST(PatchRowWidget, EachRowDrawsInsideItsOwnRow) {
  const QString piled = u"É"_s + QString(QChar(0x0301)).repeated(200);
  const Channel channels[] = {
      {.number = 1, .label = piled, .address = u"1/1"_s},
      {.number = 2, .label = u"Wash"_s, .address = u"1/1"_s, .type = piled},
      {.number = 3, .label = u"Wash"_s, .address = u"1/1"_s, .addressEnd = piled},
  };
  for (const Channel &channel : channels) {
    const QImage image = paintedRow(channel, false);
    const int height = image.height() / 3;
    for (const int top : {0, 2 * height}) {
      int inked = 0;
      for (int y = top; y < top + height; ++y) {
        for (int x = 0; x < image.width(); ++x) inked += image.pixel(x, y) != qRgb(255, 255, 255);
      }
      EXPECT_EQ(inked, 0) << "channel " << channel.number << " at " << top;
    }
  }
}

// An end address far too long for the address column, as a console may send it, draws as the
// part a row can show followed by "…": at full size, however long the rest, parked or not.
TEST(PatchRowWidget, AnEndAddressTooLongForTheColumnDrawsAsItsShownPartAndAnEllipsis) {
  const struct {
    QString end;
    qsizetype shown;
  } cases[] = {
      {u"Row 1 front wash warm — "_s.repeated(2731), 200},
      {u"ABCDEFGHIJK"_s + QString(QChar(0x200B)).repeated(65525), 200},
      {u"Row 2 e"_s + QString(QChar(0x0301)).repeated(65529), 7 + 30},
  };
  for (const auto &[end, shown] : cases) {
    for (const bool parked : {false, true}) {
      Channel channel{.number = 12, .label = u"Wash"_s, .address = u"1/1"_s};
      channel.addressEnd = end;
      const QImage whole = paintedRow(channel, parked);
      channel.addressEnd = end.left(shown) + QChar(0x2026);
      EXPECT_EQ(whole, paintedRow(channel, parked))
          << end.left(11).toStdString() << " parked " << parked;
    }
  }
}

TEST_F(PatchViewWidget, ARowPushesItsChannelsDetailAndAddOpensTheEditor) {
  ASSERT_TRUE(connectAndSync());
  int editors = 0;
  PatchView page(*model, {.newPatchEditor = [&](AppViewModel &, QWidget *) { ++editors; }});
  page.resize(620, 520);
  page.show();
  settle();
  auto *list = page.findChild<QListView *>(u"patch.list"_s);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualRect(list->model()->index(1, 0)).center());
  auto *navigation = page.findChild<NavigationStack *>(u"patch.navigation"_s);
  EXPECT_EQ(navigation->depth(), 2);
  EXPECT_EQ(page.findChild<QLabel *>(u"patch.navigation.title"_s)->text(), u"Channel 2"_s);
  EXPECT_NE(page.findChild<PatchDetailView *>(), nullptr);
  navigation->pop();
  QTest::mouseClick(page.findChild<QToolButton *>(u"patch.add"_s), Qt::LeftButton);
  EXPECT_EQ(editors, 1);
}

TEST_F(PatchViewWidget, AnEmptyPatchSaysWhetherItIsLoadingAndWhetherEosAnswers) {
  settle();
  EXPECT_EQ(shownContent(), u"patch.emptyPatch"_s);
  EXPECT_EQ(text(u"patch.emptyPatch.title"_s), u"No Patch Loaded"_s);
  EXPECT_EQ(text(u"patch.emptyPatch.description"_s), u"Connect to Eos to load patch data."_s);
  EXPECT_EQ(action(u"patch.sync"_s)->text(), u"Sync Now"_s);
  EXPECT_FALSE(part(u"patch.banner"_s)->isVisibleTo(view.get()));
  testing::saveScreenshot(*view, u"patch-empty-offline"_s);

  ConsoleShow empty = console.show();
  empty.patch.clear();
  console.setShow(empty);
  ASSERT_TRUE(connectAndSync());
  settle();
  EXPECT_EQ(text(u"patch.emptyPatch.title"_s), u"No Patch Loaded"_s);
  EXPECT_EQ(text(u"patch.emptyPatch.description"_s), u"Pulling patch data from Eos."_s);
  testing::saveScreenshot(*view, u"patch-empty"_s);

  // The refresh keys ask for the sync while the page is shown, the focus anywhere in the
  // window, here in a stand-in for the sidebar.
  QWidget window;
  auto *sidebar = new QLineEdit;
  auto *layout = new QHBoxLayout(&window);
  layout->addWidget(sidebar);
  layout->addWidget(new PatchView(*model));
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  sidebar->setFocus();
  for (const QKeySequence &keys : {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)}) {
    const qsizetype counts = console.requests(u"/eos/get/patch/count"_s).size();
    QTest::keySequence(sidebar, keys);
    EXPECT_TRUE(waitUntil([&] {
      return console.requests(u"/eos/get/patch/count"_s).size() > counts;
    })) << keys.toString().toStdString();
    ASSERT_TRUE(synced());
  }
  window.close();
  view->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));

  // The refresh key asks for the sync; the console never answers its count.
  console.setHandler(u"/eos/get/patch/count"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  QTest::keySequence(view.get(), QKeySequence(QKeySequence::Refresh));
  ASSERT_TRUE(waitUntil([&] { return model->isLoadingPatch(); }));
  settle();
  EXPECT_EQ(text(u"patch.emptyPatch.title"_s), u"Loading Patch"_s);
  EXPECT_EQ(text(u"patch.emptyPatch.description"_s), u"Pulling patch data from Eos."_s);
  EXPECT_FALSE(part(u"patch.banner"_s)->isVisibleTo(view.get()));
  testing::saveScreenshot(*view, u"patch-loading"_s);
}

TEST_F(PatchViewWidget, TheParkCheckFillsTheParkedOnlyFilter) {
  // A completed sync prepares the Live controls, which check the park on their own.
  ASSERT_TRUE(connectAndSync());
  ASSERT_TRUE(parkStatusBecomes(u"0 channels parked"_s));
  action(u"patch.parkedOnly"_s)->trigger();
  EXPECT_EQ(shownContent(), u"patch.noParkedChannels"_s);
  EXPECT_EQ(text(u"patch.noParkedChannels.title"_s), u"No Confirmed Parked Channels"_s);
  EXPECT_EQ(text(u"patch.noParkedChannels.description"_s),
            u"0 channels parked. Check Parked Channels to refresh the authoritative Eos result."_s);
  auto *button = part<QPushButton>(u"patch.noParkedChannels.button"_s);
  EXPECT_EQ(button->text(), u"Check Parked Channels"_s);
  EXPECT_EQ(button->accessibleName(), u"Check parked channels"_s);
  EXPECT_EQ(action(u"patch.parkStatus"_s)->text(), u"0 channels parked"_s);
  EXPECT_FALSE(action(u"patch.parkStatus"_s)->isEnabled());
  testing::saveScreenshot(*view, u"patch-no-parked-channels"_s);

  console.parkedChannels = {2};
  QTest::mouseClick(button, Qt::LeftButton);
  settle();
  EXPECT_FALSE(button->isEnabled());
  EXPECT_EQ(button->text(), u"Checking Parked Channels…"_s);
  EXPECT_EQ(button->accessibleName(), u"Checking parked channels"_s);
  EXPECT_FALSE(action(u"patch.parkCheck"_s)->isEnabled());
  EXPECT_EQ(action(u"patch.parkCheck"_s)->text(), u"Checking Parked Channels…"_s);
  EXPECT_EQ(text(u"patch.noParkedChannels.description"_s),
            u"Checking parked channels… Results will appear after Eos finishes the isolated "
            u"check."_s);
  testing::saveScreenshot(*view, u"patch-checking-parked"_s);

  ASSERT_TRUE(parkStatusBecomes(u"1 channel parked"_s));
  settle();
  EXPECT_TRUE(action(u"patch.parkCheck"_s)->isEnabled());
  EXPECT_EQ(action(u"patch.parkCheck"_s)->text(), u"Check Parked Channels"_s);
  EXPECT_EQ(
      rowSentences(),
      QStringList{u"Channel 2, <b>Wash</b>, Acme Spot 575, address 2/10-2/20, 2 parts, parked"_s});
  testing::saveScreenshot(*view, u"patch-parked-only"_s);

  // A parked channel exists, so a search that misses it names the query.
  search(u"cyc"_s);
  EXPECT_EQ(shownContent(), u"patch.noResults"_s);
  EXPECT_EQ(text(u"patch.noResults.title"_s), u"No Results for “cyc”"_s);
  testing::saveScreenshot(*view, u"patch-no-results"_s);
  action(u"patch.parkedOnly"_s)->trigger();
  EXPECT_EQ(rowNumbers(), QList<qint64>{5});
  search({});
  EXPECT_EQ(rows().rowCount(), 5);
  EXPECT_TRUE(rows().isParked(1));
  EXPECT_FALSE(rows().isParked(0));
  testing::saveScreenshot(*view, u"patch-list-parked"_s);
}

// What a screen reader says for the park items of the options menu, read through the menu
// as it reads them.
TEST_F(PatchViewWidget, TheParkItemsOfTheOptionsMenuAreSpokenByTheirOwnNames) {
  auto *menu = view->findChild<QMenu *>(u"patch.optionsMenu"_s);
  ASSERT_TRUE(menu);
  const auto spoken = [&](const QString &name) {
    QAccessibleInterface *items = QAccessible::queryAccessibleInterface(menu);
    for (int index = 0; items && index < items->childCount(); ++index)
      if (items->child(index)->object() == action(name))
        return items->child(index)->text(QAccessible::Name);
    return u"<none>"_s;
  };
  EXPECT_EQ(spoken(u"patch.parkCheck"_s), u"Check parked channels"_s);
  EXPECT_EQ(spoken(u"patch.parkStatus"_s), u"Park status: Park status not checked"_s);
  EXPECT_EQ(action(u"patch.parkStatus"_s)->text(), u"Park status not checked"_s);

  ASSERT_TRUE(connectAndSync());
  ASSERT_TRUE(parkStatusBecomes(u"0 channels parked"_s));
  settle();
  action(u"patch.parkCheck"_s)->trigger();
  ASSERT_TRUE(model->isRefreshingParkedChannels());
  settle();
  EXPECT_EQ(spoken(u"patch.parkCheck"_s), u"Checking parked channels"_s);
  EXPECT_EQ(spoken(u"patch.parkStatus"_s), u"Park status: Checking parked channels…"_s);
  ASSERT_TRUE(parkStatusBecomes(u"0 channels parked"_s));
  settle();
  EXPECT_EQ(spoken(u"patch.parkStatus"_s), u"Park status: 0 channels parked"_s);
}

TEST_F(PatchViewWidget, ViewerModeRemovesTheAddButtonAndNothingElse) {
  const auto visible = [&](const char *name) {
    return part(QString::fromLatin1(name))->isVisibleTo(view.get());
  };
  settle();
  EXPECT_TRUE(visible("patch.add"));
  model->setInteractionMode(InteractionMode::viewer);
  settle();
  EXPECT_FALSE(visible("patch.add"));
  EXPECT_TRUE(visible("patch.options"));
  EXPECT_TRUE(visible("patch.search"));
  for (const char *name : {"patch.sync", "patch.parkCheck", "patch.parkedOnly", "patch.sortBy"})
    EXPECT_TRUE(action(QString::fromLatin1(name))->isEnabled()) << name;
  testing::saveScreenshot(*view, u"patch-viewer-mode"_s);
}

TEST_F(PatchViewWidget, BannersExplainAChangeSyncingAndOfflineAboveTheCachedRows) {
  ASSERT_TRUE(connectAndSync());
  const auto bannerText = [&] { return text(u"patch.banner.text"_s); };

  // The console tells of a patch change; the model reloads after a short pause.
  console.setPatchPart(patchPart(4, 1, 50, u"Side"_s));
  ASSERT_TRUE(
      waitUntil([&] { return model->dataStatusMessage() == u"Patch changed — reloading"_s; }));
  settle();
  EXPECT_TRUE(part(u"patch.banner"_s)->isVisibleTo(view.get()));
  EXPECT_EQ(bannerText(), u"Patch changed — reloading"_s);
  EXPECT_TRUE(part(u"patch.banner.icon"_s)->isVisibleTo(view.get()));
  EXPECT_EQ(rows().rowCount(), 5);
  testing::saveScreenshot(*view, u"patch-banner-attention"_s);
  ASSERT_TRUE(synced());
  settle();
  EXPECT_FALSE(part(u"patch.banner"_s)->isVisibleTo(view.get()));
  EXPECT_EQ(rows().rowCount(), 6);

  console.setHandler(u"/eos/get/patch/count"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  action(u"patch.sync"_s)->trigger();
  ASSERT_TRUE(waitUntil([&] { return model->isLoadingPatch(); }));
  settle();
  EXPECT_EQ(bannerText(), u"Syncing patch"_s);
  EXPECT_TRUE(part(u"patch.banner.progress"_s)->isVisibleTo(view.get()));
  EXPECT_FALSE(part(u"patch.banner.icon"_s)->isVisibleTo(view.get()));
  EXPECT_EQ(rows().rowCount(), 6);
  testing::saveScreenshot(*view, u"patch-banner-syncing"_s);

  model->disconnect();
  settle();
  EXPECT_EQ(bannerText(), u"Offline — showing cached patch"_s);
  EXPECT_FALSE(part(u"patch.banner.progress"_s)->isVisibleTo(view.get()));
  EXPECT_TRUE(part(u"patch.banner.icon"_s)->isVisibleTo(view.get()));
  EXPECT_EQ(shownContent(), u"patch.list"_s);
  EXPECT_EQ(rows().rowCount(), 6);
  testing::saveScreenshot(*view, u"patch-banner-offline"_s);
}

}  // namespace
}  // namespace tarnik
