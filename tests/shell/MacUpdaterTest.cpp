#include "screens/connection/UpdatesPage.h"
#include "screens/support/Screenshots.h"
#include "shell/MacUpdater.h"

#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

const QString notConfigured = QString::fromUtf8(
    "Updates aren\u2019t configured for this build. A secure update feed and signing public key "
    "are required.");
const QString feed = QStringLiteral("https://updates.example.com/tarnik/appcast.xml");
const QString key = QString::fromLatin1(QByteArray(32, '\x5c').toBase64());

// Stands in for the updater and writes down what MacUpdater asks of it.
class FakeUpdateService : public UpdateService {
 public:
  FakeUpdateService(QStringList &log, std::optional<QString> failure, bool initiallyCanCheck)
      : log_(log), failure_(std::move(failure)), initiallyCanCheck_(initiallyCanCheck) {
    log_.append(QStringLiteral("made"));
  }
  std::optional<QString> start() override {
    log_.append(QStringLiteral("start"));
    if (!failure_) setCanCheckForUpdates(initiallyCanCheck_);
    return failure_;
  }
  void checkForUpdates() override { log_.append(QStringLiteral("check")); }
  using UpdateService::setCanCheckForUpdates;

 private:
  QStringList &log_;
  std::optional<QString> failure_;
  bool initiallyCanCheck_;
};

// One updater and its page, built the way the application builds them.
struct UpdatesFixture {
  explicit UpdatesFixture(const InformationDictionary &information,
                          std::optional<QString> failure = std::nullopt,
                          bool initiallyCanCheck = false)
      : updater(information,
                [&, failure, initiallyCanCheck] {
                  auto made = std::make_unique<FakeUpdateService>(log, failure, initiallyCanCheck);
                  service = made.get();
                  return made;
                }),
        page(updater) {
    page.resize(560, 220);
  }

  QString shownStatus() const {
    return page.findChild<QLabel *>(QStringLiteral("updates.status"))->text();
  }
  QPushButton *check() const {
    return page.findChild<QPushButton *>(QStringLiteral("updates.check"));
  }

  QStringList log;
  FakeUpdateService *service = nullptr;
  MacUpdater updater;
  UpdatesPage page;
};

InformationDictionary configured(const QVariant &feedValue, const QVariant &keyValue) {
  InformationDictionary information;
  if (feedValue.isValid()) information.insert(QStringLiteral("SUFeedURL"), feedValue);
  if (keyValue.isValid()) information.insert(QStringLiteral("SUPublicEDKey"), keyValue);
  return information;
}

TEST(MacUpdaterConfiguration, AnythingButASecureFeedAndAnExactKeyLeavesUpdatesOff) {
  const QByteArray keyBytes(32, '\x5c');
  const struct {
    const char *name;
    QVariant feed;
    QVariant key;
  } rows[] = {
      {"feed-absent", {}, key},
      {"feed-not-text", QVariant(42), key},
      {"feed-url-value", QVariant(QUrl(feed)), key},
      {"feed-http", QStringLiteral("http://updates.example.com/appcast.xml"), key},
      {"feed-ftp", QStringLiteral("ftp://updates.example.com/appcast.xml"), key},
      {"feed-user", QStringLiteral("https://builder@updates.example.com/appcast.xml"), key},
      {"feed-password", QStringLiteral("https://:secret@updates.example.com/appcast.xml"), key},
      {"feed-no-host", QStringLiteral("https:///appcast.xml"), key},
      {"feed-unexpanded-setting", QStringLiteral("https://updates.example.com/$(FEED_PATH)"), key},
      {"feed-unexpanded-in-query", QStringLiteral("https://updates.example.com/a?b=$(C)"), key},
      {"feed-not-a-url", QStringLiteral("https://updates example.com/appcast.xml"), key},
      {"key-absent", feed, {}},
      {"key-31-bytes", feed, QString::fromLatin1(keyBytes.first(31).toBase64())},
      {"key-33-bytes", feed, QString::fromLatin1((keyBytes + 'x').toBase64())},
      {"key-trailing-line-break", feed, key + u'\n'},
      {"key-without-padding", feed, key.chopped(1)},
      {"key-blank-inside", feed, key.left(20) + u' ' + key.mid(20)},
  };
  for (const auto &row : rows) {
    UpdatesFixture fixture(configured(row.feed, row.key), std::nullopt, true);
    EXPECT_EQ(fixture.updater.status(), notConfigured) << row.name;
    EXPECT_EQ(fixture.shownStatus(), notConfigured) << row.name;
    EXPECT_FALSE(fixture.check()->isEnabled()) << row.name;
    EXPECT_TRUE(fixture.log.isEmpty()) << row.name;
    fixture.updater.checkForUpdates();
    EXPECT_TRUE(fixture.log.isEmpty()) << row.name;
    EXPECT_FALSE(
        testing::saveScreenshot(fixture.page, QStringLiteral("updates-not-configured-") + row.name)
            .isEmpty());
  }
}

TEST(MacUpdaterConfiguration, ACapitalSchemeIsStillHttps) {
  UpdatesFixture fixture(
      configured(QStringLiteral("HTTPS://Updates.Example.com/appcast.xml"), key));
  EXPECT_EQ(fixture.log, QStringList({QStringLiteral("made"), QStringLiteral("start")}));
  EXPECT_EQ(fixture.updater.status(), QStringLiteral("Ready to check for updates."));
}

TEST(MacUpdaterStart, TheButtonFollowsTheServiceFromTheFirstMoment) {
  for (const bool initially : {false, true}) {
    UpdatesFixture fixture(configured(feed, key), std::nullopt, initially);
    EXPECT_EQ(fixture.log, QStringList({QStringLiteral("made"), QStringLiteral("start")}));
    EXPECT_EQ(fixture.shownStatus(), QStringLiteral("Ready to check for updates."));
    EXPECT_EQ(fixture.check()->isEnabled(), initially);
    EXPECT_FALSE(testing::saveScreenshot(fixture.page, initially
                                                           ? QStringLiteral("updates-ready")
                                                           : QStringLiteral("updates-ready-busy"))
                     .isEmpty());

    fixture.service->setCanCheckForUpdates(!initially);
    EXPECT_EQ(fixture.check()->isEnabled(), !initially);
    fixture.service->setCanCheckForUpdates(initially);
    EXPECT_EQ(fixture.check()->isEnabled(), initially);
  }
}

TEST(MacUpdaterStart, AFailedStartIsShownAndKeepsTheButtonOff) {
  UpdatesFixture fixture(configured(feed, key), QStringLiteral("No TLS backend."));
  EXPECT_EQ(fixture.log, QStringList({QStringLiteral("made"), QStringLiteral("start")}));
  const QString status =
      QString::fromUtf8("The update service couldn\u2019t start: No TLS backend.");
  EXPECT_EQ(fixture.updater.status(), status);
  EXPECT_EQ(fixture.shownStatus(), status);
  EXPECT_FALSE(
      testing::saveScreenshot(fixture.page, QStringLiteral("updates-start-failed")).isEmpty());

  fixture.service->setCanCheckForUpdates(true);
  EXPECT_FALSE(fixture.updater.canCheckForUpdates());
  EXPECT_FALSE(fixture.check()->isEnabled());
  fixture.updater.checkForUpdates();
  EXPECT_FALSE(fixture.log.contains(QStringLiteral("check")));
}

TEST(MacUpdaterCheck, ReachesTheServiceOnlyWhileACheckMayRun) {
  UpdatesFixture fixture(configured(feed, key));
  fixture.updater.checkForUpdates();
  EXPECT_EQ(fixture.log.count(QStringLiteral("check")), 0);

  fixture.service->setCanCheckForUpdates(true);
  QTest::mouseClick(fixture.check(), Qt::LeftButton);
  EXPECT_EQ(fixture.log.count(QStringLiteral("check")), 1);
}

TEST(MacUpdaterApplication, ABuildWithoutAFeedAndKeySaysSo) {
  if (!mainBundleInformation().isEmpty()) GTEST_SKIP() << "this build was given an update feed";
  MacUpdater updater;
  EXPECT_EQ(updater.status(), notConfigured);
  EXPECT_FALSE(updater.canCheckForUpdates());
}

}  // namespace
}  // namespace tarnik
