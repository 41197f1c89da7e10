#include "LocalHttpsServer.h"
#include "shell/AppcastUpdater.h"
#include "support/ProcessRunner.h"
#include "support/QtTestApplication.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::HttpsAnswer;
using testing::LocalHttpsServer;
using testing::waitUntil;
using Ending = HttpsAnswer::Ending;

QByteArray readFile(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool runOpenssl(const QStringList &arguments) {
  const auto result =
      ProcessRunner::run(QStringLiteral("openssl"), arguments, std::chrono::seconds(20));
  return result && result->exitCode == 0;
}

// An Ed25519 key pair made by openssl, and signatures made by it over whole files.
class SigningKey {
 public:
  SigningKey(const QString &folder, const QString &name)
      : folder_(folder), privateKey_(QDir(folder).filePath(name + QStringLiteral(".pem"))) {
    const QString publicKey = QDir(folder).filePath(name + QStringLiteral(".der"));
    made_ = runOpenssl({QStringLiteral("genpkey"), QStringLiteral("-algorithm"),
                        QStringLiteral("ed25519"), QStringLiteral("-out"), privateKey_}) &&
            runOpenssl({QStringLiteral("pkey"), QStringLiteral("-in"), privateKey_,
                        QStringLiteral("-pubout"), QStringLiteral("-outform"),
                        QStringLiteral("DER"), QStringLiteral("-out"), publicKey});
    // The DER public key ends with the 32 raw key bytes.
    publicKeyBase64_ = QString::fromLatin1(readFile(publicKey).right(32).toBase64());
  }
  bool isMade() const { return made_; }
  QString publicKeyBase64() const { return publicKeyBase64_; }
  QString signature(const QByteArray &bytes) const {
    const QString input = QDir(folder_).filePath(QStringLiteral("to-sign"));
    const QString output = QDir(folder_).filePath(QStringLiteral("signature"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
    file.close();
    if (!runOpenssl({QStringLiteral("pkeyutl"), QStringLiteral("-sign"), QStringLiteral("-rawin"),
                     QStringLiteral("-inkey"), privateKey_, QStringLiteral("-in"), input,
                     QStringLiteral("-out"), output}))
      return {};
    return QString::fromLatin1(readFile(output).toBase64());
  }

 private:
  QString folder_;
  QString privateKey_;
  QString publicKeyBase64_;
  bool made_ = false;
};

QByteArray enclosureItem(const QString &version, const QString &os, const QUrl &url, qint64 length,
                         const QString &signature) {
  return QStringLiteral(
             "<item><title>Tarnik %1</title><enclosure url=\"%2\" length=\"%3\" "
             "type=\"application/gzip\" sparkle:version=\"%1\" sparkle:os=\"%4\" "
             "sparkle:edSignature=\"%5\"/></item>")
      .arg(version, url.toString(QUrl::FullyEncoded), QString::number(length), os, signature)
      .toUtf8();
}

QByteArray appcast(const QByteArray &items) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" "
         "xmlns:sparkle=\"https://example.com/appcast-namespace\"><channel><title>Tarnik</title>" +
         items + "</channel></rss>";
}

class AppcastUpdaterHttpsIntegration : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new QTemporaryDir;
    server_ = new LocalHttpsServer(folder_->path());
    signer_ = new SigningKey(folder_->path(), QStringLiteral("signer"));
    stranger_ = new SigningKey(folder_->path(), QStringLiteral("stranger"));
  }
  static void TearDownTestSuite() {
    delete stranger_;
    delete signer_;
    delete server_;
    delete folder_;
  }

  void SetUp() override {
    ASSERT_TRUE(server_->isListening());
    ASSERT_TRUE(signer_->isMade() && stranger_->isMade());
    // The test program's home is a temporary folder: never the user's own downloads.
    downloads_ = QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    ASSERT_TRUE(downloads_.absolutePath().startsWith(QDir::homePath()));
    ASSERT_TRUE(QDir::homePath().startsWith(QDir::tempPath()));
    downloads_.removeRecursively();

    release_ = QByteArray(48 * 1024, '\0');
    QRandomGenerator(29).fillRange(reinterpret_cast<quint32 *>(release_.data()),
                                   release_.size() / 4);
    server_->answer(QStringLiteral("/Tarnik-1.3.tar.gz"), HttpsAnswer::ok(release_));
    updater_ = std::make_unique<AppcastUpdater>(
        InformationDictionary{
            {QStringLiteral("SUFeedURL"), server_->url("/appcast.xml").toString()},
            {QStringLiteral("SUPublicEDKey"), signer_->publicKeyBase64()}},
        AppcastUpdater::Options{{server_->certificate()}, QStringLiteral("1.2")});
    ASSERT_EQ(updater_->start(), std::nullopt);
    ASSERT_TRUE(updater_->canCheckForUpdates());
  }

  void TearDown() override { updater_.reset(); }

  QByteArray releaseItem(qint64 length, const QString &signature,
                         const QString &path = QStringLiteral("/Tarnik-1.3.tar.gz")) const {
    return enclosureItem(QStringLiteral("1.3"), QStringLiteral("linux"), server_->url(path), length,
                         signature);
  }
  void serveFeed(const QByteArray &items) {
    server_->answer(QStringLiteral("/appcast.xml"), HttpsAnswer::ok(appcast(items)));
  }

  QDialog *dialog() const {
    for (QWidget *widget : QApplication::topLevelWidgets())
      if (widget->objectName() == QStringLiteral("updates.dialog") && widget->isVisible())
        return static_cast<QDialog *>(widget);
    return nullptr;
  }
  QString message() const {
    QDialog *shown = dialog();
    return shown ? shown->findChild<QLabel *>(QStringLiteral("updates.dialog.message"))->text()
                 : QString();
  }
  QPushButton *button(const char *name) const {
    QDialog *shown = dialog();
    QPushButton *found =
        shown ? shown->findChild<QPushButton *>(QString::fromLatin1(name)) : nullptr;
    return found && found->isVisible() ? found : nullptr;
  }
  bool waitForMessage(const QString &part) {
    const bool shown = waitUntil([&] { return message().contains(part); });
    if (!shown) ADD_FAILURE() << "shown: " << message().toStdString();
    return shown;
  }
  // Checks, waits for the offer and takes it.
  void download() {
    updater_->checkForUpdates();
    ASSERT_TRUE(waitForMessage(QStringLiteral("Tarnik 1.3 is available")));
    QTest::mouseClick(button("updates.dialog.download"), Qt::LeftButton);
  }
  void close(const char *name) {
    QPushButton *found = button(name);
    ASSERT_NE(found, nullptr) << name;
    QTest::mouseClick(found, Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return !dialog(); }));
    EXPECT_TRUE(updater_->canCheckForUpdates());
  }
  QStringList downloadedFiles() const {
    return downloads_.entryList(QDir::Files | QDir::Hidden | QDir::System);
  }

  static inline QTemporaryDir *folder_ = nullptr;
  static inline LocalHttpsServer *server_ = nullptr;
  static inline SigningKey *signer_ = nullptr;
  static inline SigningKey *stranger_ = nullptr;
  QDir downloads_;
  QByteArray release_;
  std::unique_ptr<AppcastUpdater> updater_;
};

TEST_F(AppcastUpdaterHttpsIntegration, AFeedOfOlderOrEqualVersionsIsUpToDate) {
  serveFeed(enclosureItem(QStringLiteral("1.1"), QStringLiteral("linux"), server_->url("/a"), 1,
                          QStringLiteral("c2ln")) +
            enclosureItem(QStringLiteral("1.2.0"), QStringLiteral("linux"), server_->url("/b"), 1,
                          QStringLiteral("c2ln")));
  updater_->checkForUpdates();
  EXPECT_FALSE(updater_->canCheckForUpdates());
  ASSERT_TRUE(waitForMessage(QString::fromUtf8("You\u2019re up to date: Tarnik 1.2")));
  EXPECT_FALSE(updater_->canCheckForUpdates());
  EXPECT_FALSE(
      testing::saveScreenshot(*dialog(), QStringLiteral("update-dialog-up-to-date")).isEmpty());
  close("updates.dialog.done");
}

TEST_F(AppcastUpdaterHttpsIntegration, OffersOnlyTheLinuxItemAndSavesItVerifiedAndInert) {
  serveFeed(enclosureItem(QStringLiteral("2.0"), QStringLiteral("windows"),
                          server_->url("/Tarnik-2.0.exe"), 5, QStringLiteral("c2ln")) +
            releaseItem(release_.size(), signer_->signature(release_)));
  ASSERT_NO_FATAL_FAILURE(download());
  EXPECT_FALSE(updater_->canCheckForUpdates());
  ASSERT_TRUE(waitForMessage(QStringLiteral("The update was saved as")));
  EXPECT_FALSE(updater_->canCheckForUpdates());
  EXPECT_EQ(server_->requestCount(QStringLiteral("/Tarnik-2.0.exe")), 0);

  const QString saved = downloads_.filePath(QStringLiteral("Tarnik-1.3.tar.gz"));
  EXPECT_TRUE(message().contains(saved));
  EXPECT_EQ(downloadedFiles(), QStringList{QStringLiteral("Tarnik-1.3.tar.gz")});
  EXPECT_EQ(readFile(saved), release_);
  EXPECT_FALSE(QFileInfo(saved).permissions() &
               (QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther));
  EXPECT_FALSE(testing::saveScreenshot(*dialog(), QStringLiteral("update-dialog-saved")).isEmpty());
  close("updates.dialog.done");

  // A second download of the same release keeps the first file.
  ASSERT_NO_FATAL_FAILURE(download());
  ASSERT_TRUE(waitForMessage(QStringLiteral("The update was saved as")));
  EXPECT_EQ(downloadedFiles(), QStringList({QStringLiteral("Tarnik-1.3-2.tar.gz"),
                                            QStringLiteral("Tarnik-1.3.tar.gz")}));
  close("updates.dialog.done");
}

TEST_F(AppcastUpdaterHttpsIntegration, ADownloadThatFailsItsCheckLeavesNoFile) {
  server_->answer(QStringLiteral("/cut.tar.gz"), HttpsAnswer::ok(release_, Ending::cutShort));
  server_->answer(
      QStringLiteral("/moved.tar.gz"),
      HttpsAnswer::redirect(server_->url("/Tarnik-1.3.tar.gz", QStringLiteral("http"))));
  const QString good = signer_->signature(release_);
  const struct {
    const char *why;
    QByteArray item;
    const char *reason;
  } rows[] = {
      {"signed by another key", releaseItem(release_.size(), stranger_->signature(release_)),
       "signature does not match"},
      {"signature of other bytes", releaseItem(release_.size(), signer_->signature("other")),
       "signature does not match"},
      {"signature not base64", releaseItem(release_.size(), QStringLiteral("%%%%")),
       "signature does not match"},
      {"longer than the feed says", releaseItem(release_.size() - 1, good),
       "length does not match"},
      {"shorter than the feed says", releaseItem(release_.size() + 1, good),
       "length does not match"},
      {"cut short", releaseItem(release_.size(), good, QStringLiteral("/cut.tar.gz")),
       "The download failed: "},
      {"redirected to http", releaseItem(release_.size(), good, QStringLiteral("/moved.tar.gz")),
       "not HTTPS"},
      {"plain http address",
       enclosureItem(QStringLiteral("1.3"), QStringLiteral("linux"),
                     server_->url("/Tarnik-1.3.tar.gz", QStringLiteral("http")), release_.size(),
                     good),
       "not HTTPS"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.why);
    serveFeed(row.item);
    ASSERT_NO_FATAL_FAILURE(download());
    ASSERT_TRUE(waitForMessage(QStringLiteral("The download failed: ")));
    EXPECT_TRUE(message().contains(QLatin1String(row.reason))) << message().toStdString();
    EXPECT_EQ(downloadedFiles(), QStringList());
    EXPECT_FALSE(updater_->canCheckForUpdates());
    close("updates.dialog.done");
  }
}

TEST_F(AppcastUpdaterHttpsIntegration, CancelOrQuittingPartWayLeavesNoFile) {
  server_->answer(QStringLiteral("/slow.tar.gz"), HttpsAnswer::ok(release_, Ending::stall));
  serveFeed(
      releaseItem(release_.size(), signer_->signature(release_), QStringLiteral("/slow.tar.gz")));
  // The partial file has no name while it is written, so the server's side tells when the
  // transfer is under way.
  const auto transferStarted = [&](int count) {
    return waitUntil(
        [&] { return server_->requestCount(QStringLiteral("/slow.tar.gz")) == count; });
  };
  ASSERT_NO_FATAL_FAILURE(download());
  ASSERT_TRUE(transferStarted(1));
  EXPECT_TRUE(message().contains(QStringLiteral("Downloading Tarnik 1.3")));
  close("updates.dialog.cancel");
  EXPECT_EQ(downloadedFiles(), QStringList());

  ASSERT_NO_FATAL_FAILURE(download());
  ASSERT_TRUE(transferStarted(2));
  updater_.reset();
  EXPECT_EQ(downloadedFiles(), QStringList());
  EXPECT_EQ(dialog(), nullptr);
}

TEST_F(AppcastUpdaterHttpsIntegration, AFeedThatCannotBeReadIsAClearFailure) {
  QByteArray overCap(AppcastUpdater::maximumFeedBytes + 1, ' ');
  overCap.replace(0, 40, appcast({}).left(40));
  const struct {
    const char *why;
    HttpsAnswer answer;
    const char *reason;
  } rows[] = {
      {"malformed XML",
       HttpsAnswer::ok(appcast(releaseItem(1, QStringLiteral("c2ln"))).chopped(20)),
       "not valid XML"},
      {"over the cap, announced", HttpsAnswer::ok(overCap), "larger than 4 MiB"},
      {"over the cap, unannounced", HttpsAnswer::ok(overCap, Ending::unannounced),
       "larger than 4 MiB"},
      {"redirected to http",
       HttpsAnswer::redirect(server_->url("/elsewhere.xml", QStringLiteral("http"))), "not HTTPS"},
      {"not found", HttpsAnswer::failure(404, "gone"), "Not Found"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.why);
    server_->answer(QStringLiteral("/appcast.xml"), row.answer);
    updater_->checkForUpdates();
    EXPECT_FALSE(updater_->canCheckForUpdates());
    ASSERT_TRUE(waitForMessage(QStringLiteral("The update check failed: ")));
    EXPECT_TRUE(message().contains(QLatin1String(row.reason))) << message().toStdString();
    close("updates.dialog.done");
  }
}

TEST_F(AppcastUpdaterHttpsIntegration, AFeedRedirectedWithinHttpsIsFollowed) {
  serveFeed(releaseItem(release_.size(), signer_->signature(release_)));
  server_->answer(QStringLiteral("/moved.xml"),
                  HttpsAnswer::redirect(server_->url("/appcast.xml")));
  updater_ = std::make_unique<AppcastUpdater>(
      InformationDictionary{{QStringLiteral("SUFeedURL"), server_->url("/moved.xml").toString()},
                            {QStringLiteral("SUPublicEDKey"), signer_->publicKeyBase64()}},
      AppcastUpdater::Options{{server_->certificate()}, QStringLiteral("1.2")});
  ASSERT_EQ(updater_->start(), std::nullopt);
  updater_->checkForUpdates();
  ASSERT_TRUE(waitForMessage(QStringLiteral("Tarnik 1.3 is available. You have 1.2.")));
  EXPECT_FALSE(
      testing::saveScreenshot(*dialog(), QStringLiteral("update-dialog-available")).isEmpty());
  close("updates.dialog.later");
  EXPECT_EQ(downloadedFiles(), QStringList());
}

TEST_F(AppcastUpdaterHttpsIntegration, AnUntrustedCertificateIsRefused) {
  serveFeed(releaseItem(release_.size(), signer_->signature(release_)));
  updater_ = std::make_unique<AppcastUpdater>(
      InformationDictionary{{QStringLiteral("SUFeedURL"), server_->url("/appcast.xml").toString()},
                            {QStringLiteral("SUPublicEDKey"), signer_->publicKeyBase64()}});
  ASSERT_EQ(updater_->start(), std::nullopt);
  updater_->checkForUpdates();
  ASSERT_TRUE(waitForMessage(QStringLiteral("The update check failed: ")));
  close("updates.dialog.done");
}

}  // namespace
}  // namespace tarnik
