// A completed sync is kept for offline use at once: the snapshot is taken and stored
// without the user asking for it.

#include "AppViewModelTestSupport.h"
#include "foundation/JsonCoding.h"
#include "link/OSCManagerTestSupport.h"
#include "support/QtPrinting.h"

#include <QDir>
#include <QElapsedTimer>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

class SyncSnapshot : public AppViewModelTest {
 protected:
  // A model connected to a console of three cues, its sync under way.
  std::unique_ptr<AppViewModel> syncingModel() {
    console.setShow(generateConsoleShow(3, 2));
    auto model = makeModel({.oscManager = makeManager(packetLengthCase)});
    model->setConsoleIP(u"127.0.0.1"_s);
    model->oscManager()->connect(u"127.0.0.1"_s, console.tcpPort(OSCTCPFraming::packetLength));
    EXPECT_TRUE(waitUntil([&] { return model->oscManager()->isConnected(); }));
    if (!model->showMirror().syncGeneration()) model->requestFullSync(u"Sync"_s);
    return model;
  }

  EosConsoleDouble console;
};

TEST_F(SyncSnapshot, ACompletedSyncIsStoredUnderItsShowAndConsole) {
  auto model = syncingModel();
  ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == "Synced"_L1; }));

  ASSERT_EQ(model->savedShowFiles().size(), 1);
  const SavedShowFile &snapshot = model->savedShowFiles().first();
  EXPECT_EQ(snapshot.storageKey, AppViewModel::showStorageKey(console.showPath, u"127.0.0.1"_s));
  EXPECT_EQ(snapshot.cues, model->cues());
  EXPECT_EQ(snapshot.channels, model->channels());
  ASSERT_TRUE(waitUntil([&] { return !storedSavedShowsText().isEmpty(); }));
  const auto stored = decodeJsonText<QList<SavedShowFile>>(storedSavedShowsText());
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->size(), 1);
}

// Nothing can be written where the snapshots' file belongs: the sync's line says so, beside
// the records it left out, and again once the show is saved under a new name.
TEST_F(SyncSnapshot, ASnapshotThatCannotBeStoredIsToldWhereTheSyncIs) {
  ASSERT_TRUE(QDir().mkpath(SavedShowStore::savedShowsFileName(settings.fileName())));
  const struct Row {
    const char *name;
    bool recordLeftOut;
    QString told;
  } rows[] = {
      {"every record read", false, u"Synced — the snapshot could not be saved"_s},
      {"a record left out", true,
       u"Synced — 1 record could not be read, and the snapshot could not be saved"_s},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    console.cueFaults.clear();
    if (row.recordLeftOut) console.cueFaults.insert(1, EosConsoleDouble::RecordFault::labelNotUTF8);
    auto model = syncingModel();
    // A record not read is asked again twice, five seconds apart, then left out: the clock
    // moves on while the status waits, short of the sync's 30 s limit, however long the
    // console's answers take on a loaded machine.
    QElapsedTimer waited;
    waited.start();
    for (int advanced = 0; model->dataStatusMessage() != row.told && waited.elapsed() < 20000;) {
      waitUntil([&] { return model->dataStatusMessage() == row.told; }, 100);
      if (advanced++ < 25) timing->advance(1.0);
    }
    EXPECT_EQ(model->dataStatusMessage(), row.told);
    EXPECT_EQ(model->savedShowFiles().size(), 1);

    model->handleOSCMessage(u"/eos/out/event/show/saved"_s,
                            {OSCArgument::fromString(u"/shows/renamed.esf"_s)});
    EXPECT_NE(model->dataStatusMessage(), row.told);
    EXPECT_TRUE(waitUntil([&] { return model->dataStatusMessage() == row.told; }))
        << model->dataStatusMessage().toStdString();
  }
}

}  // namespace
}  // namespace tarnik::testing
