// A completed sync is kept for offline use at once: the snapshot is taken and stored
// without the user asking for it.

#include "AppViewModelTestSupport.h"
#include "foundation/JsonCoding.h"
#include "link/OSCManagerTestSupport.h"
#include "support/QtPrinting.h"

#include <QDir>

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

TEST_F(SyncSnapshot, ASnapshotThatCannotBeStoredIsToldWhereTheSyncIs) {
  // Nothing can be written where the snapshots' file belongs.
  ASSERT_TRUE(QDir().mkpath(SavedShowStore::savedShowsFileName(settings)));
  auto model = syncingModel();

  EXPECT_TRUE(waitUntil([&] {
    return model->dataStatusMessage() == u"Synced — the snapshot could not be saved"_s;
  })) << model->dataStatusMessage().toStdString();
  EXPECT_EQ(model->savedShowFiles().size(), 1);
}

}  // namespace
}  // namespace tarnik::testing
