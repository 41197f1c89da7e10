// The show details and command history sheets over the Live page, against the console
// double: they follow the model while open, and every way of closing them resets the page.

#include "LiveScreenTestSupport.h"
#include "foundation/ReferenceDate.h"
#include "screens/kit/LocaleTexts.h"
#include "screens/kit/Style.h"
#include "screens/live/CommandHistoryView.h"
#include "screens/live/LiveShowDetailsView.h"
#include "screens/support/Screenshots.h"
#include "screens/support/WholeText.h"
#include "support/QtPrinting.h"

#include <QClipboard>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include <set>
#include <utility>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;

class LiveSheetsWidget : public LiveScreenTest {
 protected:
  template <typename Sheet>
  Sheet *openSheet(const QString &button) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::mouseClick(view->findChild<QAbstractButton *>(button), Qt::LeftButton);
    auto *sheet = view->findChild<Sheet *>();
    return sheet && sheet->isVisible() ? sheet : nullptr;
  }
  LiveShowDetailsView *openDetails() {
    return openSheet<LiveShowDetailsView>(u"live.header.show"_s);
  }
  CommandHistoryView *openHistory() {
    return openSheet<CommandHistoryView>(u"live.commandLine.history"_s);
  }
  static QString value(QWidget &sheet, const QString &row) {
    auto *label = sheet.findChild<QLabel *>(u"live.showDetails."_s + row);
    return label && label->isVisible() ? label->text() : u"<hidden>"_s;
  }
  // Whether the widget lies whole inside every widget around it, as far as a list that scrolls
  // it: nothing of it is cut off, and scrolling brings every part of it into sight.
  static bool notCut(QWidget &widget) {
    QRect rect = widget.rect();
    for (QWidget *inner = &widget; !inner->isWindow(); inner = inner->parentWidget()) {
      QWidget *outer = inner->parentWidget();
      if (qobject_cast<QAbstractScrollArea *>(outer->parentWidget())) break;
      rect.translate(inner->pos());
      if (!outer->rect().contains(rect)) return false;
    }
    return true;
  }
  static QList<QWidget *> rows(QWidget &sheet) {
    return sheet.findChildren<QWidget *>(u"live.history.row"_s);
  }
  static QString rowText(QWidget *row, const char *part) {
    return row->findChild<QLabel *>(u"live.history.row."_s + QLatin1StringView(part))->text();
  }
};

TEST_F(LiveSheetsWidget, ShowDetailsFollowTheSyncAndTheLostConsoleWhileOpen) {
  console.setShow(generateConsoleShow(7, 4));
  makeView();
  LiveShowDetailsView *details = openDetails();
  ASSERT_TRUE(details);
  EXPECT_TRUE(view->isShowingShowDetails());
  EXPECT_EQ(details->windowModality(), Qt::WindowModal);
  EXPECT_EQ(details->windowTitle(), u"Show Details"_s);
  for (const QString &row : {u"connection"_s, u"cues"_s, u"patchedChannels"_s, u"sync"_s}) {
    EXPECT_NE(value(*details, row), u"<hidden>"_s) << row.toStdString();
  }
  EXPECT_EQ(value(*details, u"lastRefresh"_s), u"<hidden>"_s);
  EXPECT_EQ(value(*details, u"connection"_s), u"Offline"_s);

  connectOverTcp();
  ASSERT_TRUE(waitUntil([&] { return value(*details, u"lastRefresh"_s) != u"<hidden>"_s; }));
  EXPECT_EQ(value(*details, u"lastRefresh"_s),
            diagnosticsTimestampText(dateTimeFromReferenceSeconds(*model->lastDataRefresh())));
  EXPECT_EQ(value(*details, u"cues"_s), u"7"_s);
  std::set<int> channels;
  for (const ConsolePatchPart &part : console.show().patch) channels.insert(part.channel);
  EXPECT_EQ(value(*details, u"patchedChannels"_s), QString::number(channels.size()));
  EXPECT_EQ(value(*details, u"sync"_s), u"Synced"_s);
  EXPECT_EQ(value(*details, u"show"_s), console.showName);
  saveScreenshot(*details, u"live-show-details-online"_s);

  // The console stops answering its pings.
  console.setHandler(u"/eos/ping"_s, [](const OSCMessage &) { return QList<OSCMessage>{}; });
  // Past the ping's freshness the next heartbeat finds the console gone.
  timing->advance(AppViewModel::pingFreshness + 1);
  model->heartbeatTick();
  ASSERT_FALSE(model->isConsoleReachable());
  ASSERT_TRUE(
      waitUntil([&] { return value(*details, u"sync"_s) == u"Offline — cached snapshot"_s; }));
  EXPECT_EQ(details->findChild<QLabel *>(u"live.showDetails.note"_s)->text(),
            u"Tarnik is showing the last cached show snapshot. Show switching is not available "
            u"in this version."_s);
  saveScreenshot(*details, u"live-show-details-offline"_s);
}

// A long show name wraps whole onto the lines it needs inside the sheet, and a copy of it
// gives it whole; a console's 64 KB one is shown a few screens' worth, ended in "…". At the
// smallest window a value of many lines keeps them all and the sheet its size, its rows
// scrolling instead; a refresh that changes nothing leaves the value and a selection in it
// alone.
TEST_F(LiveSheetsWidget, ALongShowNameWrapsWholeInsideTheDetails) {
  const QString longName = QStringList(8, u"Spring gala main stage rehearsal"_s).join(u' ');
  QStringList scenes;
  for (int scene = 1; scene <= 50; ++scene) scenes << u"Scene %1 main stage"_s.arg(scene);
  const QString tallName = scenes.join(u'\n');
  const QString wideWords =
      QStringList(11, u"Spring_gala_main_stage_rehearsal_with_the_full_company_and_band"_s)
          .join(u' ');
  const std::pair<QString, QString> names[] = {{longName, u"long-name"_s},
                                               {wideWords, u"wide-words"_s},
                                               {tallName, u"tall-name"_s},
                                               {u"Wash "_s.repeated(13108), u"64kb-name"_s}};
  for (const auto &[showName, picture] : names) {
    SCOPED_TRACE(picture.toStdString());
    ConsoleShow show = generateConsoleShow(1, 1);
    show.name = showName;
    console.setShow(show);
    makeView();
    view->resize(950, 680);
    connectOverTcp();
    ASSERT_TRUE(waitUntil([&] { return model->showFileName() == showName.trimmed(); }));
    LiveShowDetailsView *details = openDetails();
    ASSERT_TRUE(details);
    saveScreenshot(*details, u"live-show-details-"_s + picture);
    auto *name = details->findChild<QLabel *>(u"live.showDetails.show"_s);
    EXPECT_LE(name->geometry().right(), details->width());
    EXPECT_GE(name->height(), name->heightForWidth(name->width()));
    EXPECT_TRUE(notCut(*name));
    EXPECT_LE(details->height(), view->height());
    if (showName == longName) {
      EXPECT_TRUE(showsWholeText(*name, details->width()));
    }
    if (showName.size() > 1000) {
      EXPECT_TRUE(name->text().endsWith(QChar(0x2026))) << name->text().left(40).toStdString();
      EXPECT_LT(name->height(), 3 * details->screen()->availableGeometry().height());
    }

    const int shown = int(name->text().size());
    name->setSelection(0, shown);
    model->setConsoleName(u"Ion"_s);
    ASSERT_TRUE(waitUntil([&] { return value(*details, u"console"_s) == u"Ion"_s; }));
    EXPECT_EQ(name->selectedText().size(), shown);
    QTest::keyClick(name, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text() == showName.trimmed());
    details->close();
  }
}

TEST_F(LiveSheetsWidget, HistoryShowsSentAndRefusedKeysAtTheTopWhileOpen) {
  makeView();
  connectOverTcp();
  CommandHistoryView *history = openHistory();
  ASSERT_TRUE(history);
  EXPECT_EQ(history->windowTitle(), u"Command History"_s);
  QTest::mouseClick(key(u"7"_s), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] {
    return !rows(*history).isEmpty() && rowText(rows(*history).first(), "text") == u"Key 7"_s;
  }));
  EXPECT_EQ(rowText(rows(*history).first(), "source"), u"Sent"_s);

  model->setInteractionMode(InteractionMode::viewer);
  model->sendKey(u"7"_s);
  ASSERT_TRUE(waitUntil(
      [&] { return rowText(rows(*history).first(), "text") == u"Key 7 — Viewer mode"_s; }));
  QLabel *badge = rows(*history).first()->findChild<QLabel *>(u"live.history.row.source"_s);
  EXPECT_EQ(badge->text(), u"Rejected"_s);
  EXPECT_TRUE(badge->styleSheet().contains(Style::light(Style::Role::warning).name()))
      << badge->styleSheet().toStdString();
  model->recordCommandHistory(u"LIVE: Chan 1 Full #"_s, u"Console"_s);
  settle();
  saveScreenshot(*history, u"live-history-sources"_s);
}

TEST_F(LiveSheetsWidget, HistoryTextsAreShownAsTheyStandAndAtMostAHundredRows) {
  makeView();
  model->recordCommandHistory(u"<img src=x>"_s, u"Console"_s);
  CommandHistoryView *history = openHistory();
  ASSERT_TRUE(history);
  ASSERT_EQ(rows(*history).size(), 1);
  auto *text = rows(*history).first()->findChild<QLabel *>(u"live.history.row.text"_s);
  EXPECT_EQ(text->text(), u"<img src=x>"_s);
  EXPECT_EQ(text->textFormat(), Qt::PlainText);
  EXPECT_TRUE(text->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_TRUE(rows(*history).first()->accessibleName().startsWith(u"<img src=x>, Console, "_s));

  for (int number = 2; number <= 200; ++number) {
    // Duplicates are rows of their own.
    model->recordCommandHistory(number % 2 ? u"same"_s : QString::number(number), u"Sent"_s);
  }
  ASSERT_TRUE(waitUntil([&] { return rows(*history).size() == 100; }));
  EXPECT_EQ(rowText(rows(*history).first(), "text"), u"200"_s);
  EXPECT_EQ(rowText(rows(*history).at(1), "text"), u"same"_s);
  EXPECT_EQ(rowText(rows(*history).at(3), "text"), u"same"_s);
  EXPECT_EQ(rowText(rows(*history).last(), "text"), u"same"_s);  // entry 101
}

TEST_F(LiveSheetsWidget, EveryWayOfClosingResetsTheFlagAndTheSheetOpensAgain) {
  makeView();
  CommandHistoryView *history = openHistory();
  ASSERT_TRUE(history);
  ASSERT_TRUE(history->findChild<QWidget *>(u"live.history.empty"_s)->isVisible());
  saveScreenshot(*history, u"live-history-empty"_s);
  QTest::mouseClick(history->findChild<QAbstractButton *>(u"live.history.done"_s), Qt::LeftButton);
  EXPECT_FALSE(view->isShowingCommandHistory());

  LiveShowDetailsView *details = openDetails();
  ASSERT_TRUE(details);
  QTest::keyClick(details, Qt::Key_Escape);
  EXPECT_FALSE(view->isShowingShowDetails());

  history = openHistory();
  ASSERT_TRUE(history);
  history->close();
  EXPECT_FALSE(view->isShowingCommandHistory());

  details = openDetails();
  ASSERT_TRUE(details);
  QTest::mouseClick(details->findChild<QAbstractButton *>(u"live.showDetails.done"_s),
                    Qt::LeftButton);
  EXPECT_FALSE(view->isShowingShowDetails());
  ASSERT_TRUE(openHistory());
  EXPECT_TRUE(view->isShowingCommandHistory());
}

TEST_F(LiveSheetsWidget, HistoryTimesAreTheSharedTimestampInTheUsersLocale) {
  const QLocale previous;
  const QByteArray zone = qgetenv("TZ");
  qputenv("TZ", "UTC");
  const double moment = referenceSecondsFromDateTime(
      QDateTime(QDate(2026, 12, 6), QTime(23, 24, 5), QTimeZone::utc()));
  const QList<CommandHistoryEntry> entries{{QUuid::createUuid(), u"Go"_s, moment, u"Sent"_s}};
  for (const auto &[locale, expected] : {std::pair{u"en_US"_s, u"Dec 6, 11:24:05\u202FPM"_s},
                                         {u"de_DE"_s, u"6. Dez., 23:24:05"_s}}) {
    QLocale::setDefault(QLocale(locale));
    CommandHistoryView history(entries, 100);
    const QString shown = rowText(rows(history).first(), "time");
    EXPECT_EQ(shown, diagnosticsTimestampText(dateTimeFromReferenceSeconds(moment)));
    EXPECT_EQ(shown, expected);
  }
  QLocale::setDefault(previous);
  if (zone.isNull()) {
    qunsetenv("TZ");
  } else {
    qputenv("TZ", zone);
  }
}

TEST_F(LiveSheetsWidget, AnUnbrokenTextWiderThanTheRowWrapsInsideItsWord) {
  const QString path = u"Chan_1_thru_300_Sneak_Time_5_Enter_"_s.repeated(8);
  const QList<CommandHistoryEntry> entries{{QUuid::createUuid(), path, 0, u"Console"_s}};
  CommandHistoryView history(entries, 100);
  history.resize(480, 420);
  history.show();
  saveScreenshot(history, u"live-history-long-text"_s);
  auto *list = history.findChild<QScrollArea *>(u"live.history.list"_s);
  auto *text = history.findChild<QLabel *>(u"live.history.row.text"_s);
  EXPECT_EQ(text->text(), path);
  EXPECT_TRUE(showsWholeText(*text, list->viewport()->width()));
}

TEST_F(LiveSheetsWidget, ANegativeMaximumShowsTheEmptyState) {
  const QList<CommandHistoryEntry> entries{{QUuid::createUuid(), u"Go"_s, 0, u"Sent"_s}};
  CommandHistoryView history(entries, -1);
  history.show();
  EXPECT_TRUE(rows(history).isEmpty());
  EXPECT_TRUE(history.findChild<QWidget *>(u"live.history.empty"_s)->isVisible());
}

}  // namespace
}  // namespace tarnik::testing
