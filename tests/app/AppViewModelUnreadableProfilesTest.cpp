// A stored connection list the model cannot read is never lost: the first write over it
// keeps its bytes aside and says where.

#include "AppViewModelTestSupport.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

const QString profilesKey = u"connectionProfiles.v1"_s;
const QString keptKey = u"connectionProfiles.unreadable.v1"_s;
const QString keptMessage =
    u"Saved connections could not be read. Their original data is kept under "
    u"“connectionProfiles.unreadable.v1”."_s;

using UnreadableProfiles = AppViewModelTest;

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
  settleBackgroundWork();

  EXPECT_EQ(storedText(keptKey), unreadable.toUtf8());
  EXPECT_EQ(model->profileStorageError(), keptMessage);
  EXPECT_EQ(model->savedConnectionProfiles().size(),
            AppViewModel::builtInConnectionProfiles().size() + 1);
  EXPECT_NE(storedText(profilesKey), unreadable.toUtf8());

  // The list now reads, so later writes leave the kept bytes alone.
  model->connectToMacRelay(stageMac());
  settleBackgroundWork();
  model = makeModel();
  EXPECT_EQ(model->profileStorageError(), std::nullopt);
  model->setRelayPairingCode(QString::fromLatin1(QByteArray(32, '\x2b').toBase64()));
  model->connectToMacRelay(stageMac());
  settleBackgroundWork();
  EXPECT_EQ(storedText(keptKey), unreadable.toUtf8());

  // Only a later unreadable list takes the place of the kept one.
  settings.setValue(profilesKey, u"not a list"_s);
  model = makeModel();
  model->setConsoleName(u"Desk"_s);
  model->setConsoleIP(u"10.0.0.9"_s);
  model->saveConnectionProfile();
  EXPECT_EQ(storedText(keptKey), "not a list");
  EXPECT_EQ(model->profileStorageError(), keptMessage);
}

}  // namespace
}  // namespace tarnik::testing
