// What the connection screen decides from the model's values, without a widget.

#include "screens/connection/ConnectionViewRules.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik {
namespace {

TEST(ConnectionViewRules, TheLastReplyRowWaitsForAReply) {
  EXPECT_FALSE(connectionStatusRows({}).lastEosResponse);
  EXPECT_TRUE(connectionStatusRows({.lastEosResponse = 0.0}).lastEosResponse);
}

TEST(ConnectionViewRules, OnlyASelectionTheListHoldsIsCheckedAndUpdatedOnSave) {
  const QList<ConsoleConnectionProfile> profiles{
      {.id = QUuid::createUuid(), .name = u"Stage"_s, .host = u"10.0.0.2"_s},
      {.id = QUuid::createUuid(), .name = u"Booth"_s, .host = u"eos"_s, .destinationPort = 80}};
  const struct {
    std::optional<QUuid> selection;
    bool firstChecked, secondChecked;
    QString saveTitle;
  } cases[] = {{std::nullopt, false, false, u"Save Connection"_s},
               {profiles[1].id, false, true, u"Update Selected Connection"_s},
               {QUuid::createUuid(), false, false, u"Save Connection"_s}};  // a deleted one
  for (const auto &row : cases) {
    const SavedConnections saved =
        savedConnections({.savedProfiles = profiles, .selectedProfileID = row.selection});
    EXPECT_EQ(saved.saveButtonTitle, row.saveTitle);
    EXPECT_EQ(saved.rows,
              (QList<SavedConnectionRow>{{u"Stage"_s, u"10.0.0.2:0"_s, row.firstChecked},
                                         {u"Booth"_s, u"eos:80"_s, row.secondChecked}}));
  }
}

TEST(ConnectionViewRules, AnEmptyListSaysSo) {
  EXPECT_EQ(savedConnections({}).emptyText, u"No saved connections"_s);
  EXPECT_FALSE(savedConnections({.savedProfiles = {{}}}).emptyText);
  EXPECT_EQ(nearbyServices({}).emptyText, u"No OSC services are currently advertised."_s);
  EXPECT_FALSE(nearbyServices({.hasNearbyServices = true}).emptyText);
}

TEST(ConnectionViewRules, AnEmptyMessageHidesItsRowAndAnyOtherIsShownVerbatim) {
  const struct {
    std::optional<QString> message, shown;
  } cases[] = {{std::nullopt, std::nullopt}, {u""_s, std::nullopt}, {u" Full "_s, u" Full "_s}};
  for (const auto &row : cases) {
    const ConnectionPageInput page{.profileStorageError = row.message,
                                   .settingsIssue = row.message,
                                   .testStatus = row.message.value_or(QString()),
                                   .testIdentity = row.message,
                                   .testVersion = row.message};
    const ConnectionTest test = connectionTest(page);
    for (const std::optional<QString> &shown :
         {savedConnections(page).storageError, connectionSettings(page).validationError,
          test.result, test.identity, test.version}) {
      EXPECT_EQ(shown, row.shown);
    }
  }
}

TEST(ConnectionViewRules, NearbyMacsReactOnlyToACodeOfThirtyTwoBytes) {
  const QString code = QString::fromLatin1(QByteArray(32, 'k').toBase64());
  const struct {
    QString code;
    bool enabled;
  } cases[] = {{u""_s, false}, {code.chopped(4), false}, {u" \n"_s + code + u"\n"_s, true}};
  for (const auto &row : cases) {
    EXPECT_EQ(connectionRoute({.relayPairingCode = row.code}).nearbyMacsEnabled, row.enabled);
  }
}

TEST(ConnectionViewRules, TheTransportPicksThePortTitleAndTheRowsItUses) {
  const ConnectionSettings udp = connectionSettings({.transport = OSCTransport::udp});
  const ConnectionSettings tcp = connectionSettings({.transport = OSCTransport::tcp});
  EXPECT_EQ(QStringList({udp.destinationPortTitle, udp.destinationPortPlaceholder}),
            QStringList({u"Destination Port (Console RX)"_s, u"8000"_s}));
  EXPECT_EQ(QStringList({tcp.destinationPortTitle, tcp.destinationPortPlaceholder}),
            QStringList({u"TCP Port (Console RX)"_s, u"3032"_s}));
  EXPECT_TRUE(udp.listenPortShown && !udp.framingShown);
  EXPECT_TRUE(tcp.framingShown && !tcp.listenPortShown);
  EXPECT_NE(udp.footer, tcp.footer);
}

}  // namespace
}  // namespace tarnik
