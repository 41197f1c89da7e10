// The list model and its painter against the console double's generated shows.

#include "QtMessages.h"
#include "SyncedCueConsole.h"
#include "screens/kit/Style.h"
#include "screens/live/CueListModel.h"
#include "screens/live/CueListRows.h"
#include "screens/live/CueOrdering.h"
#include "screens/live/CueRowDelegate.h"
#include "screens/live/CueStyle.h"
#include "screens/live/CueTexts.h"
#include "screens/support/Screenshots.h"
#include "support/QtPrinting.h"

#include <QElapsedTimer>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

using testing::qtMessagesDuring;
using testing::waitUntil;
using RowKind = CueListModel::RowKind;

// A row as the model's roles give it: kind, title, label, active.
QString rowText(const CueListModel &model, int row) {
  const QModelIndex index = model.index(row);
  return QStringLiteral("%1|%2|%3|%4")
      .arg(index.data(CueListModel::KindRole).toInt())
      .arg(index.data().toString(), index.data(CueListModel::LabelTextRole).toString())
      .arg(index.data(CueListModel::IsActiveRole).toBool());
}

QStringList rowTexts(const CueListModel &model) {
  QStringList rows;
  for (int row = 0; row < model.rowCount(); ++row) rows.append(rowText(model, row));
  return rows;
}

// The same rows built from the ordering and grouping rules alone.
QStringList expectedRows(const QList<Cue> &cues, const QString &activeNumber) {
  QStringList rows;
  const auto header = [](RowKind kind, const QString &title) {
    return QStringLiteral("%1|%2||0").arg(int(kind)).arg(title);
  };
  for (const CueGroup &group : cueGroups(cueListRows(sortedCues(cues)))) {
    if (group.sceneBreak) rows.append(header(RowKind::sceneBreak, group.sceneBreak->label));
    if (group.showsCueListTitle) rows.append(header(RowKind::cueListTitle, u"Cue List 1"_s));
    for (const Cue &cue : group.cues) {
      rows.append(QStringLiteral("%1|%2|%3|%4")
                      .arg(int(RowKind::cue))
                      .arg(cueRowTitle(cue), cueRowLabelText(cue))
                      .arg(isActiveCue(cue, activeNumber)));
    }
  }
  return rows;
}

// A generated show with a second cue of value 5, spelt "5.0".
testing::ConsoleShow showWithTwoFives() {
  testing::ConsoleShow show = testing::generateConsoleShow(60, 0, 3);
  testing::ConsoleCue five = show.cueLists.at(1).at(8);
  EXPECT_EQ(five.number, u"5"_s);
  five.number = u"5.0"_s;
  show.setCue(1, five);
  return show;
}

class CueListModelWidget : public ::testing::Test {
 protected:
  testing::SyncedCueConsole console;
  CueListModel model;
};

TEST_F(CueListModelWidget, ASyncedShowReadsBackInCueOrderUnderItsBreakers) {
  ASSERT_TRUE(console.syncShow(showWithTwoFives()));
  model.follow(*console.model);
  const QStringList rows = rowTexts(model);
  EXPECT_EQ(rows, expectedRows(console.model->cues(), {}));
  EXPECT_GT(rows.filter(QStringLiteral("%1|").arg(int(RowKind::sceneBreak))).size(), 2);
  EXPECT_EQ(model.sortedCues().size(), 61);
  for (int row = 0; row < model.rowCount(); ++row) {
    EXPECT_EQ(model.flags(model.index(row)).testFlag(Qt::ItemIsSelectable),
              model.kind(row) == RowKind::cue);
  }
}

TEST_F(CueListModelWidget, OnlyANewActiveNumberTouchesRowsAndOnlyThoseItMarks) {
  ASSERT_TRUE(console.syncShow(showWithTwoFives()));
  model.follow(*console.model);
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
  int notices = 0;
  QObject::connect(console.model.get(), &ObservableObject::objectWillChange, [&] { ++notices; });

  // Traffic the model ignores still moves the manager's counters, which it publishes every
  // 500 ms and the model passes on in its own time window; none of that reaches the rows.
  QTimer traffic;
  QObject::connect(&traffic, &QTimer::timeout, [&] {
    console.console.send({{u"/tarnik/ignored"_s, {}}});
  });
  traffic.start(20);
  QElapsedTimer elapsed;
  elapsed.start();
  waitUntil(
      [&] {
        console.timing->advance(0.01);
        return elapsed.elapsed() >= 2000;
      },
      3000);
  traffic.stop();
  EXPECT_GE(notices, 3);
  EXPECT_EQ(resets.size(), 0);
  EXPECT_EQ(changes.size(), 0);

  console.console.send({{u"/eos/out/active/cue/text"_s, {OSCArgument::fromString(u"1/5 Go"_s)}}});
  ASSERT_TRUE(waitUntil([&] { return console.model->activeCueNumber() == u"5"_s; }));
  std::set<QString> changedNumbers;
  for (const QList<QVariant> &change : changes) {
    const int first = change[0].toModelIndex().row();
    const int last = change[1].toModelIndex().row();
    for (int row = first; row <= last; ++row)
      changedNumbers.insert(model.index(row).data(CueListModel::CueNumberRole).toString());
  }
  EXPECT_EQ(changedNumbers, (std::set<QString>{u"5"_s, u"5.0"_s}));
  EXPECT_EQ(resets.size(), 0);
  EXPECT_EQ(rowTexts(model), expectedRows(console.model->cues(), u"5"_s));
}

TEST_F(CueListModelWidget, NewCuesResetTheRowsAndPendingCuesMoveThePlaybackCue) {
  model.setSource({.cues = {Cue{.number = u"1"_s}}});
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  QSignalSpy playback(&model, &CueListModel::playbackCueChanged);
  model.setSource({.cues = {Cue{.number = u"1"_s}}});  // the same value, a new list
  EXPECT_EQ(resets.size(), 0);
  model.setSource({.cues = {Cue{.number = u"1"_s}, Cue{.number = u"2"_s}},
                   .pendingCueNumber = u"7"_s,
                   .pendingCueLabel = u"Finale"_s});
  EXPECT_EQ(resets.size(), 1);
  EXPECT_EQ(playback.size(), 1);
  EXPECT_EQ(model.playbackCue(), (Cue{.number = u"7"_s, .label = u"Finale"_s}));
  EXPECT_EQ(model.defaultBreakerCueNumber(), u"7"_s);
}

// The row as its delegate paints it, with `around` pixels of white ground above and below.
QImage paintedRow(const CueListModel &model, int row, int width, bool selected = false,
                  int around = 0) {
  CueRowDelegate delegate;
  QStyleOptionViewItem option;
  if (selected) option.state |= QStyle::State_Selected;
  option.font = QApplication::font();
  option.palette = QApplication::palette();
  option.rect = QRect(0, around, width, 0);
  option.rect.setHeight(delegate.sizeHint(option, model.index(row)).height());
  QImage image(width, option.rect.height() + 2 * around, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  delegate.paint(&painter, option, model.index(row));
  return image;
}

// The rightmost column below the row's middle that holds anything but the white ground.
int inkRight(const QImage &image) {
  int right = -1;
  for (int y = image.height() / 2 + 2; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) right = std::max(right, x);
    }
  }
  return right;
}

TEST_F(CueListModelWidget, ABreakerTitleKeepsTheAccentsOfItsCapitals) {
  QString capitals;
  for (char16_t c = u'\u00C0'; c <= u'\u00DE'; ++c) {
    if (c != u'\u00D7') capitals += QChar(c);  // '×' is no letter
  }
  model.setSource({.cues = {Cue{.number = u"1"_s, .sceneLabel = capitals}}});
  ASSERT_EQ(model.index(0).data().toString(), capitals);
  const QImage image = paintedRow(model, 0, 600);
  // The title's ink, top to bottom, in the middle columns where no rule runs.
  int top = image.height();
  int bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = image.width() / 2 - 60; x < image.width() / 2 + 60; ++x) {
      if (qGray(image.pixel(x, y)) < 100) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  const QFont font = cueFont(QApplication::font(), CueTextStyle::caption, true);
  EXPECT_GE(bottom - top + 1, QFontMetrics(font).tightBoundingRect(capitals).height() - 1);
}

TEST_F(CueListModelWidget, ARowDrawsItsLabelAsPlainText) {
  model.setSource({.cues = {Cue{.number = u"1"_s, .label = u"<b>x</b>"_s},
                            Cue{.number = u"2"_s, .label = u"x"_s}}});
  QImage markup;
  QImage plain;
  const QStringList messages = qtMessagesDuring([&] {
    markup = paintedRow(model, 1, 400);  // row 0 is "Cue List 1"
    plain = paintedRow(model, 2, 400);
  });
  EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
  // Eight characters reach much further than the one a rich-text reading would leave.
  EXPECT_GT(inkRight(markup), inkRight(plain) + 3 * (inkRight(plain) - 16));
}

// A number, label or breaker title of one letter under a pile of combining marks, as a
// console may send it, is drawn inside its own row and never over the rows beside it.
TEST_F(CueListModelWidget, EachRowDrawsInsideItsOwnRow) {
  const QString piled = u"\u00C9"_s + QString(QChar(0x0301)).repeated(200);
  model.setSource({.cues = {Cue{.number = u"1"_s, .label = piled, .sceneLabel = piled},
                            Cue{.number = piled, .label = u"Look"_s}}});
  constexpr int around = 200;
  for (int row = 0; row < model.rowCount(); ++row) {
    const QImage image = paintedRow(model, row, 400, false, around);
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
      if (y >= around && y < image.height() - around) continue;
      for (int x = 0; x < image.width(); ++x) inked += image.pixel(x, y) != qRgb(255, 255, 255);
    }
    EXPECT_EQ(inked, 0) << "row " << row;
  }
}

TEST_F(CueListModelWidget, ALongBreakerTitleTakesTwoLinesAtMost) {
  const QString longTitle = QStringLiteral("A breaker title long enough to wrap ").repeated(6);
  model.setSource({.cues = {Cue{.number = u"1"_s, .sceneLabel = u"Act 1"_s},
                            Cue{.number = u"2"_s, .sceneLabel = longTitle}}});
  ASSERT_EQ(model.kind(0), RowKind::sceneBreak);
  ASSERT_EQ(model.kind(2), RowKind::sceneBreak);
  const int shortHeight = paintedRow(model, 0, 360).height();
  const int longHeight = paintedRow(model, 2, 360).height();
  const int lineHeight = QFontMetrics(QApplication::font()).height();
  EXPECT_GT(longHeight, shortHeight + lineHeight / 2);
  EXPECT_LT(longHeight, shortHeight + 2 * lineHeight);
}

TEST_F(CueListModelWidget, ListScreenshotWithBreakersAndTwoActiveRows) {
  QList<Cue> cues;
  const QStringList numbers{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"5.0"_s, u"6"_s, u"7"_s};
  const QStringList scenes{{}, {}, u"Act 1"_s, {}, u"Act 2 — Storm"_s, {}, {}, u"Finale"_s};
  for (qsizetype i = 0; i < numbers.size(); ++i) {
    cues.append(
        Cue{.number = numbers[i],
            .label = i == 1 ? QString() : u"Cue "_s + numbers[i] + u" Look "_s + QString::number(i),
            .sceneLabel = scenes[i]});
  }
  model.setSource({.cues = cues, .activeCueNumber = u"5"_s});
  QListView view;
  view.setModel(&model);
  view.setItemDelegate(new CueRowDelegate(&view));
  view.resize(420, 560);
  view.show();
  QCoreApplication::processEvents();
  EXPECT_FALSE(testing::saveScreenshot(view, u"cues-list-breakers"_s).isEmpty());
}

// The list as a person sees it, cue 5 selected or not.
QImage shownList(CueListModel &model, bool selected, const QString &screenshot = {}) {
  QListView view;
  view.setModel(&model);
  view.setItemDelegate(new CueRowDelegate(&view));
  view.resize(360, 120);
  view.show();
  if (selected) view.setCurrentIndex(model.index(1));
  QCoreApplication::processEvents();
  if (!screenshot.isEmpty()) testing::saveScreenshot(view, screenshot);
  return view.viewport()->grab().toImage();
}

// The Active badge reads on the plain row and on the selected one, the row a person fires from:
// its text stands out from its capsule, and on the selection's blue the capsule from the row.
// (On the plain row the capsule is a faint wash the text alone sets off.)
TEST_F(CueListModelWidget, TheActiveBadgeReadsOnPlainAndSelectedRows) {
  struct Case {
    bool selected;
    double capsuleOnRow;
    QString screenshot;
  };
  const QList<Cue> cues{Cue{.number = u"5"_s, .label = u"Look"_s}};
  for (const Case &c :
       {Case{false, 1.0, u"cues-active-row"_s}, Case{true, 3.0, u"cues-active-row-selected"_s}}) {
    model.setSource({.cues = cues, .activeCueNumber = {}});
    const QImage plain = shownList(model, c.selected);
    model.setSource({.cues = cues, .activeCueNumber = u"5"_s});
    const QImage marked = shownList(model, c.selected, c.screenshot);
    // The badge is what the mark adds: its most frequent colour the capsule, its text the
    // colour that stands out most from it, the row what lay there before.
    std::map<QRgb, int> counts;
    QColor row;
    for (int y = 0; y < marked.height(); ++y) {
      for (int x = 0; x < marked.width(); ++x) {
        if (marked.pixel(x, y) == plain.pixel(x, y)) continue;
        ++counts[marked.pixel(x, y)];
        row = plain.pixelColor(x, y);
      }
    }
    ASSERT_FALSE(counts.empty());
    const QColor capsule = QColor::fromRgb(
        std::ranges::max_element(counts, {}, [](const auto &c) { return c.second; })->first);
    double text = 1;
    for (const auto &[rgb, count] : counts)
      text = std::max(text, Style::contrast(QColor::fromRgb(rgb), capsule));
    EXPECT_GE(text, 4.5) << c.selected;
    EXPECT_GE(Style::contrast(capsule, row), c.capsuleOnRow) << c.selected;
  }
}

}  // namespace
}  // namespace tarnik
