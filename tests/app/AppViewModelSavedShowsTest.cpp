#include "AppViewModelTestSupport.h"
#include "foundation/JsonCoding.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using SavedShows = AppViewModelTest;
using Show = AppViewModelTestAccess::Show;

QList<SavedShowFile> storedShows(QSettings &settings) {
  return decodeJsonText<QList<SavedShowFile>>(
             settings.value(u"savedShowFiles"_s).toString().toUtf8())
      .value_or(QList<SavedShowFile>{});
}

QStringList keysOf(const QList<SavedShowFile> &shows) {
  QStringList keys;
  for (const SavedShowFile &show : shows) keys.append(show.storageKey);
  return keys;
}

TEST(ShowStorageKey, FoldsCaseTrimsAndReplacesEachOtherCodePoint) {
  const struct {
    QString identity;
    QString address;
    QString key;
  } rows[] = {
      {u"/Shows/Spring Gala.esf"_s, u"Booth 2"_s, u"-shows-spring-gala-esf-booth-2"_s},
      {u"/SHOWS/Spring GALA.esf"_s, u"BOOTH 2"_s, u"-shows-spring-gala-esf-booth-2"_s},
      {u"  Gala"_s, u"10.0.0.5\n"_s, u"gala-10-0-0-5"_s},
      {u"a  b"_s, u"c"_s, u"a--b-c"_s},
      {u"snake_case"_s, u"Zürich"_s, u"snake_case-zürich"_s},
      {u"e\u0301t\u00E9"_s, u"\u0663"_s, u"e\u0301t\u00E9-\u0663"_s},  // marks and other digits
      {u"gala\U0001F3AD"_s, u"x"_s, u"gala--x"_s},   // outside the BMP: one code point, one "-"
      {u"\U00020000"_s, u"x"_s, u"\U00020000-x"_s},  // a letter outside the BMP stays whole
      {QString(QChar(0xD800)) + u"a"_s, u"x"_s, u"-a-x"_s},  // a lone surrogate is one "-"
  };
  for (const auto &row : rows) {
    EXPECT_EQ(AppViewModel::showStorageKey(row.identity, row.address), row.key)
        << row.identity.toStdString() << " / " << row.address.toStdString();
  }
}

TEST_F(SavedShows, ASnapshotReplacesItsShowInPlaceAndMovesItFirst) {
  const auto model = makeModel();
  model->setConsoleIP(u"Booth 1"_s);
  model->setConsoleName(u"Booth one"_s);

  Cue cue;
  cue.number = u"1"_s;
  cue.label = u"Preset"_s;
  const Show gala{u"/Shows/Gala.esf"_s, u"Gala"_s, 100.25, {cue}, {}, u"1"_s, u"Preset"_s};
  AppViewModelTestAccess::setShowOnScreen(*model, gala);
  model->saveShowSnapshot();
  AppViewModelTestAccess::setShowOnScreen(
      *model, {u"/Shows/Opera.esf"_s, u"Opera"_s, 200.5, {}, {}, {}, {}});
  model->saveShowSnapshot();
  // The same show on another console is a show of its own.
  model->setConsoleIP(u"Booth 2"_s);
  AppViewModelTestAccess::setShowOnScreen(
      *model, {u"/Shows/Opera.esf"_s, u"Opera"_s, 300.75, {}, {}, {}, {}});
  model->saveShowSnapshot();
  ASSERT_EQ(keysOf(model->savedShowFiles()),
            (QStringList{u"-shows-opera-esf-booth-2"_s, u"-shows-opera-esf-booth-1"_s,
                         u"-shows-gala-esf-booth-1"_s}));

  model->setConsoleIP(u"Booth 1"_s);
  AppViewModelTestAccess::setShowOnScreen(
      *model, {u"/Shows/Gala.esf"_s, u"Gala"_s, 400.125, {cue, cue}, {}, u"1"_s, {}});
  model->saveShowSnapshot();

  const QList<SavedShowFile> shows = model->savedShowFiles();
  EXPECT_EQ(keysOf(shows), (QStringList{u"-shows-gala-esf-booth-1"_s, u"-shows-opera-esf-booth-2"_s,
                                        u"-shows-opera-esf-booth-1"_s}));
  EXPECT_EQ(shows.front().cues.size(), 2);
  EXPECT_EQ(shows.front().consoleName, u"Booth one"_s);
  EXPECT_EQ(shows.front().savedAt, 400.125);
  EXPECT_EQ(storedShows(settings), shows);
}

TEST_F(SavedShows, ASnapshotNeedsAShowAndNamesTheRouteInUse) {
  const auto model = makeModel();
  model->setConsoleIP(u"10.0.0.5"_s);

  AppViewModelTestAccess::setShowOnScreen(*model, {u"/Shows/Gala.esf"_s, {}, 100, {}, {}, {}, {}});
  model->saveShowSnapshot();
  EXPECT_TRUE(model->savedShowFiles().isEmpty());
  EXPECT_FALSE(settings.contains(u"savedShowFiles"_s));

  // Without a completed sync the snapshot carries the time it was taken.
  ConsoleConnectionProfile active = AppViewModel::builtInConnectionProfiles().back();
  AppViewModelTestAccess::setActiveConnection(*model, active);
  AppViewModelTestAccess::setShowOnScreen(
      *model, {u"/Shows/Gala.esf"_s, u"Gala"_s, std::nullopt, {}, {}, {}, {}});
  timing->advance(1.5);
  model->saveShowSnapshot();
  const SavedShowFile &show = model->savedShowFiles().front();
  EXPECT_EQ(show.consoleIP, active.host);
  EXPECT_EQ(show.consoleName, active.name);
  EXPECT_EQ(show.storageKey, AppViewModel::showStorageKey(u"/Shows/Gala.esf"_s, active.host));
  EXPECT_EQ(show.savedAt, timing->date());
}

TEST_F(SavedShows, StoredSnapshotsLoadNewestFirstKeepingTies) {
  QList<SavedShowFile> stored(4);
  const double dates[] = {100, 300, 200, 300};
  for (qsizetype index = 0; index < stored.size(); ++index) {
    stored[index].storageKey = QString::number(index);
    stored[index].savedAt = dates[index];
  }
  settings.setValue(u"savedShowFiles"_s, QString::fromUtf8(encodeJsonText(stored)));

  const auto model = makeModel();
  EXPECT_EQ(keysOf(model->savedShowFiles()), (QStringList{u"1"_s, u"3"_s, u"2"_s, u"0"_s}));
}

TEST_F(SavedShows, UnreadableSnapshotsStayStoredUntilTheNextSnapshot) {
  settings.setValue(u"savedShowFiles"_s, u"[{\"storageKey\":1}]"_s);
  const auto model = makeModel();
  EXPECT_TRUE(model->savedShowFiles().isEmpty());
  EXPECT_EQ(storedText(u"savedShowFiles"_s), "[{\"storageKey\":1}]");

  AppViewModelTestAccess::setShowOnScreen(*model,
                                          {u"/Shows/Gala.esf"_s, u"Gala"_s, 100, {}, {}, {}, {}});
  model->saveShowSnapshot();
  EXPECT_EQ(storedShows(settings), model->savedShowFiles());
  EXPECT_EQ(model->savedShowFiles().size(), 1);
}

}  // namespace
}  // namespace tarnik::testing
