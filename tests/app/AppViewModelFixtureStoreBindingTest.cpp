// The fixture-control store is bound to the show the model publishes: by every completed
// sync, and again when the console saves that show under another path.

#include "AppViewModelTestSupport.h"
#include "link/OSCManagerTestSupport.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using FixtureStoreBinding = AppViewModelTest;

TEST_F(FixtureStoreBinding, TheFixtureStoreFollowsTheSyncAndASaveUnderANewPath) {
  EosConsoleDouble console;
  ConsoleShow show = generateConsoleShow(3, 4, 2);
  show.path = u"/shows/first.esf"_s;
  console.setShow(show);
  auto model = makeModel({.oscManager = makeManager(packetLengthCase)});
  model->oscManager()->connect(u"127.0.0.1"_s, console.tcpPort(OSCTCPFraming::packetLength));
  ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == "Synced"_L1; }))
      << model->dataStatusMessage().toStdString();
  const FixtureControlStore &store = model->fixtureControls();
  EXPECT_EQ(store.sessionID(), model->consoleSession().id);
  EXPECT_EQ(store.showIdentity(), u"/shows/first.esf"_s);

  console.showPath = u" /shows/second.esf"_s;
  console.sendShowEvent(u"saved"_s);
  EXPECT_TRUE(waitUntil([&] { return store.showIdentity() == u"/shows/second.esf"_s; }))
      << store.showIdentity().value_or(u"(none)"_s).toStdString();
  EXPECT_EQ(store.sessionID(), model->consoleSession().id);
  EXPECT_EQ(model->dataStatusMessage(), "Synced"_L1);
}

}  // namespace
}  // namespace tarnik::testing
