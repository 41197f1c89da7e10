// A stored connection list the model cannot read is never lost: the write over it keeps its
// bytes aside, beside any kept there before, and says where.

#include "AppViewModelTestSupport.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

const QString profilesKey = u"connectionProfiles.v1"_s;
const QString keptKey = u"connectionProfiles.unreadable.v1"_s;
QString keptMessage(const QString &key) {
  return u"Saved connections could not be read. Their original data is kept under “%1”."_s.arg(key);
}

class UnreadableProfiles : public AppViewModelTest {
 protected:
  // The keychain's work and then the settings' write are done.
  bool settled() {
    settleBackgroundWork();
    return waitUntil([&] { return !settings.isWriting(); }) && !settings.fileFailure();
  }
};

TarnikRelayDiscovery::Relay stageMac() {
  return {u"Stage Mac"_s,
          OSCEndpoint::service(u"Stage Mac"_s, u"_tarnik-relay._tcp"_s, u"local."_s)};
}

TEST_F(UnreadableProfiles, PairingWithARelayKeepsTheUnreadableListAside) {
  const QString unreadable = u"[{\"id\":\"C4A811E0-0000-4000-8000-000000000001\"}]"_s;
  settings.setValue(profilesKey, unreadable);
  auto model = makeModel();
  model->setRelayPairingCode(QString::fromLatin1(QByteArray(32, '\x2a').toBase64()));
  model->connectToMacRelay(stageMac());
  ASSERT_TRUE(settled());

  EXPECT_EQ(storedText(keptKey), unreadable.toUtf8());
  EXPECT_EQ(model->profileStorageError(), keptMessage(keptKey));
  EXPECT_EQ(model->savedConnectionProfiles().size(),
            AppViewModel::builtInConnectionProfiles().size() + 1);
  EXPECT_NE(storedText(profilesKey), unreadable.toUtf8());

  // The list now reads, so later writes leave the kept bytes alone.
  model->connectToMacRelay(stageMac());
  ASSERT_TRUE(settled());
  model = makeModel();
  EXPECT_EQ(model->profileStorageError(), std::nullopt);
  model->setRelayPairingCode(QString::fromLatin1(QByteArray(32, '\x2b').toBase64()));
  model->connectToMacRelay(stageMac());
  ASSERT_TRUE(settled());
  EXPECT_EQ(storedText(keptKey), unreadable.toUtf8());

  // A later unreadable list is kept beside the first, never in its place.
  settings.setValue(profilesKey, u"not a list"_s);
  model = makeModel();
  model->setConsoleName(u"Desk"_s);
  model->setConsoleIP(u"10.0.0.9"_s);
  model->saveConnectionProfile();
  ASSERT_TRUE(settled());
  EXPECT_EQ(storedText(keptKey), unreadable.toUtf8());
  EXPECT_EQ(storedText(keptKey + u".2"_s), "not a list");
  EXPECT_EQ(model->profileStorageError(), keptMessage(keptKey + u".2"_s));
}

}  // namespace
}  // namespace tarnik::testing
