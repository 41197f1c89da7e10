// The key tables, titles, looks and geometry: plain rules, no widget built.

#include "app/AppViewModel.h"
#include "screens/live/KeyFaceLook.h"
#include "screens/live/KeyTables.h"
#include "screens/live/KeypadGeometry.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <limits>

namespace tarnik {
namespace {

using namespace Qt::StringLiterals;

QList<KeypadCell> allCells() {
  QList<KeypadCell> cells = KeyTables::softKeys();
  for (const auto &row : KeyTables::keyRows()) cells.append(row);
  for (const auto &row : KeyTables::mainKeypad()) cells.append(row);
  return cells;
}

TEST(KeyTables, HoldFourteenEighteenAndThirtyFiveCellsInTheirColumns) {
  EXPECT_EQ(KeyTables::softKeys().size(), 14);
  qsizetype rowKeys = 0;
  for (const auto &row : KeyTables::keyRows()) {
    EXPECT_EQ(row.size(), 6);
    rowKeys += row.size();
  }
  EXPECT_EQ(rowKeys, 18);
  qsizetype padCells = 0, padKeys = 0;
  for (const auto &row : KeyTables::mainKeypad()) {
    int columns = 0;
    for (const KeypadCell &cell : row) {
      columns += cell.span;
      if (cell.kind != KeypadCell::Kind::blank) ++padKeys;
    }
    EXPECT_EQ(columns, 6);
    padCells += row.size();
  }
  EXPECT_EQ(KeyTables::mainKeypad().size(), 6);
  EXPECT_EQ(padCells, 35);
  EXPECT_EQ(padKeys, 33);
  // The blanks hold columns 2 and 3 of the first row, so "/" stays in column 4.
  EXPECT_EQ(KeyTables::mainKeypad().first().at(3).title, u"/"_s);
}

TEST(KeyTables, SendTheConsolesNamesForTheirTitles) {
  QHash<QString, QString> sent;
  for (const KeypadCell &cell : allCells()) {
    if (cell.key) sent.insert(cell.title, *cell.key);
  }
  const QList<std::pair<QString, QString>> fixed{
      {u"Select\nMan"_s, u"select_manual"_s},
      {u"Rem Dim"_s, u"remdim"_s},
      {u"."_s, u"decimal"_s},
      {u"Clear"_s, u"clear_cmd"_s},
      {u"/"_s, u"divide"_s},
      {u"GoTo\nCue"_s, u"goto_cue"_s},
      {u"Recall\nFrom"_s, u"recall_from"_s},
      {u"More SK"_s, u"more_softkeys"_s},
      {u"Record\nOnly"_s, u"record_only"_s},
      {u"Address"_s, u"softkey_1"_s},
      {u"7"_s, u"7"_s},
  };
  for (const auto &[title, name] : fixed) EXPECT_EQ(sent.value(title), name) << title.toStdString();
}

TEST(KeyTables, EveryNameIsOneObjectNameAndPassesTheModelsKeyCheck) {
  testing::ensureCoreApplication();
  QTemporaryDir folder;
  SettingsStore settings(folder.filePath(u"settings.ini"_s));
  AppViewModel model({.defaults = &settings,
                      .startNetworkingOnInit = false,
                      .timing = std::make_shared<testing::ManualAppTiming>()});
  QSet<QString> names;
  for (const KeypadCell &cell : allCells()) {
    if (cell.kind == KeypadCell::Kind::blank) continue;
    ASSERT_TRUE(cell.key) << cell.title.toStdString();
    EXPECT_FALSE(names.contains(*cell.key)) << cell.key->toStdString();
    names.insert(*cell.key);
    // Offline, a valid name gets as far as the transport check.
    model.sendKey(*cell.key);
    EXPECT_EQ(model.commandHistory().last().text,
              u"Key "_s + *cell.key + u" — console transport is not ready"_s);
  }
  EXPECT_EQ(names.size(), 65);
}

TEST(KeyTables, SoftKeyTitlesTakeTheConsolesLabelWhileItHoldsText) {
  QStringList labels(12);
  labels[0] = u"  Gel  "_s;
  labels[1] = u"Gel\nPick\n "_s;
  labels[2] = u" \n\t"_s;
  labels[6] = u"Seventh"_s;
  struct Case {
    QStringList labels;
    qsizetype index;
    QString title;
  };
  const QList<Case> cases{
      {labels, 0, u"Gel"_s},      {labels, 1, u"Gel\nPick"_s},
      {labels, 2, u"Default"_s},  {labels, 3, u"Default"_s},
      {labels, -1, u"Default"_s}, {labels.first(2), 4, u"Default"_s},
      {{}, 0, u"Default"_s},      {QStringList(12), 0, u"Default"_s},
  };
  for (const Case &row : cases) {
    EXPECT_EQ(softKeyTitle(row.labels, row.index, u"Default"_s), row.title) << row.index;
  }
  // Only soft keys 1 to 6 are numbered, so the seventh label never reaches a key.
  for (const KeypadCell &cell : KeyTables::softKeys()) {
    if (cell.number) {
      EXPECT_LE(*cell.number, 6);
    }
  }
  EXPECT_EQ(KeyTables::softKeys().at(6).title, u"More SK"_s);
}

TEST(KeyFaceLook, ReadsTitlesOnOneLineAndDimsOnlyInViewerMode) {
  EXPECT_EQ(keyAccessibleName(u"Channel\nCheck"_s), u"Channel Check"_s);
  EXPECT_EQ(keyAccessibleName(u"<b>A&B</b>"_s), u"<b>A&B</b>"_s);
  EXPECT_EQ(keyAccessibleHint(true), u"Unavailable in Viewer mode"_s);
  EXPECT_EQ(softKeyFaceLook(true, true),
            (KeyFaceLook{KeypadColor::selectedSoftKeyFace, 0.25, 0.4}));
  EXPECT_EQ(softKeyFaceLook(false, false), (KeyFaceLook{KeypadColor::softKeyFace, 1, 0.86}));
}

TEST(KeypadGeometry, SharesThePadWidthAmongSixCellsAndNeverGoesNegative) {
  EXPECT_EQ(keypadCellWidth(500), 80);
  EXPECT_EQ(wideKeyWidth(2, keypadCellWidth(500)), 164);
  for (double narrow : {20.0, 0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(keypadCellWidth(narrow), 0) << narrow;
    EXPECT_EQ(wideKeyWidth(2, keypadCellWidth(narrow)), 4) << narrow;
  }
  EXPECT_EQ(keypadPanelSize(500), QSizeF(510, 318));
  EXPECT_EQ(keyRowPanelHeight(), 162);
  EXPECT_EQ(gridPanelHeight(2, 47, 3), 107);
  const QList<ColumnSpan> soft = equalColumns(7 * 40 + 18, 7, 3);
  EXPECT_EQ(soft.last(), (ColumnSpan{6 * 43, 40}));
  EXPECT_EQ(equalColumns(0, 6, 4).first().width, 10);
}

}  // namespace
}  // namespace tarnik
