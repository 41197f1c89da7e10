#include "AppViewModelTestSupport.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using SavedShows = AppViewModelTest;

// A snapshot as the model takes it of the show on screen.
SavedShowFile snapshotOf(const QString &identity, const QString &host, double savedAt,
                         QList<Cue> cues = {}) {
  return {.storageKey = SavedShowStore::showStorageKey(identity, host),
          .name = u"Show"_s,
          .consoleIP = host,
          .savedAt = savedAt,
          .cues = std::move(cues)};
}

QStringList keysOf(const QList<SavedShowFile> &shows) {
  QStringList keys;
  for (const SavedShowFile &show : shows) keys.append(show.storageKey);
  return keys;
}

TEST(ShowStorageKey, FoldsCaseTrimsAndReplacesEachOtherCodePoint) {
  const struct {
    QString identity, address, key;
  } rows[] = {
      {u"/Shows/Spring Gala.esf"_s, u"Booth 2"_s, u"-shows-spring-gala-esf-booth-2"_s},
      {u"/SHOWS/Spring GALA.esf"_s, u"BOOTH 2"_s, u"-shows-spring-gala-esf-booth-2"_s},
      {u"  Gala"_s, u"10.0.0.5\n"_s, u"gala-10-0-0-5"_s},
      {u"a  b_c"_s, u"Zürich"_s, u"a--b_c-zürich"_s},
      {u"e\u0301t\u00E9"_s, u"\u0663"_s, u"e\u0301t\u00E9-\u0663"_s},  // marks, other digits
      {u"gala\U0001F3AD"_s, u"x"_s, u"gala--x"_s},   // outside the BMP: one code point, one "-"
      {u"\U00020000"_s, u"x"_s, u"\U00020000-x"_s},  // a letter outside the BMP stays whole
      {QChar(0xD800) + u"a"_s, u"x"_s, u"-a-x"_s},   // a lone surrogate is one "-"
  };
  for (const auto &row : rows)
    EXPECT_EQ(AppViewModel::showStorageKey(row.identity, row.address), row.key)
        << row.key.toStdString();
}

TEST_F(SavedShows, ASnapshotReplacesItsShowInPlaceAndMovesItFirst) {
  SavedShowStore store(settings);
  Cue cue;
  cue.number = u"1.5"_s;
  const auto snapshot = [&](QString host, QString identity, double refreshed, QList<Cue> cues) {
    store.store(snapshotOf(identity, host, refreshed, cues));
  };
  snapshot(u"Booth 1"_s, u"/Gala.esf"_s, 100.25, {cue});
  snapshot(u"Booth 1"_s, u"/Opera.esf"_s, 200.5, {});
  snapshot(u"Booth 2"_s, u"/Opera.esf"_s, 300.75, {});  // another console, another entry
  snapshot(u"Booth 1"_s, u"/Gala.esf"_s, 786'000'000.123456, {cue, cue});

  const QList<SavedShowFile> shows = store.savedShowFiles();
  EXPECT_EQ(keysOf(shows), (QStringList{u"-gala-esf-booth-1"_s, u"-opera-esf-booth-2"_s,
                                        u"-opera-esf-booth-1"_s}));
  EXPECT_EQ(shows.front().cues.size(), 2);
  EXPECT_EQ(shows.front().savedAt, 786'000'000.123456);
  // Stored from a worker thread once encoded.
  EXPECT_TRUE(waitUntil(
      [&] { return decodeJsonText<QList<SavedShowFile>>(storedSavedShowsText()) == shows; }));
}

TEST_F(SavedShows, StoredSnapshotsLoadNewestFirstKeepingTies) {
  QList<SavedShowFile> stored(4);
  const double dates[] = {100, 300, 200, 300};
  for (qsizetype index = 0; index < stored.size(); ++index) {
    stored[index].storageKey = QString::number(index);
    stored[index].savedAt = dates[index];
  }
  settings.setValue(u"savedShowFiles"_s, QString::fromUtf8(encodeJsonText(stored)));
  EXPECT_EQ(keysOf(makeModel()->savedShowFiles()), (QStringList{u"1"_s, u"3"_s, u"2"_s, u"0"_s}));
}

TEST_F(SavedShows, UnreadableSnapshotsStayStoredUntilTheNextSnapshot) {
  // Kept in the settings by an earlier version: they move to their own file as they are.
  settings.setValue(u"savedShowFiles"_s, u"[{\"storageKey\":1}]"_s);
  const auto model = makeModel();
  EXPECT_TRUE(model->savedShowFiles().isEmpty());
  EXPECT_TRUE(waitUntil([&] {
    return storedSavedShowsText() == "[{\"storageKey\":1}]" &&
           !settings.contains(u"savedShowFiles"_s);
  }));

  // No show on screen yet: nothing to snapshot.
  model->saveShowSnapshot();
  EXPECT_EQ(storedSavedShowsText(), "[{\"storageKey\":1}]");
  SavedShowStore store(settings);
  store.store(snapshotOf(u"/Gala.esf"_s, u"Booth"_s, 100));
  ASSERT_EQ(store.savedShowFiles().size(), 1);
  EXPECT_TRUE(waitUntil([&] {
    return decodeJsonText<QList<SavedShowFile>>(storedSavedShowsText()) == store.savedShowFiles();
  }));
}

TEST_F(SavedShows, AStoreThatGoesStoresItsLatestSnapshotsFirst) {
  auto store = std::make_unique<SavedShowStore>(settings);
  for (const QString &identity : {u"/Gala.esf"_s, u"/Opera.esf"_s})
    store->store(snapshotOf(identity, u"Booth"_s, 100));
  const QList<SavedShowFile> shows = store->savedShowFiles();
  store.reset();
  EXPECT_EQ(decodeJsonText<QList<SavedShowFile>>(storedSavedShowsText()), shows);
}

}  // namespace
}  // namespace tarnik::testing
