#include "LocalHttpsServer.h"
#include "screens/support/Screenshots.h"
#include "shell/AppcastUpdater.h"
#include "support/ProcessRunner.h"
#include "support/QtTestApplication.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::HttpsAnswer;
using testing::waitUntil;
using Ending = HttpsAnswer::Ending;

QByteArray readFile(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool openssl(const QStringList &arguments) {
  const auto result =
      ProcessRunner::run(QStringLiteral("openssl"), arguments, std::chrono::seconds(20));
  return result && result->exitCode == 0;
}

// An Ed25519 key made by openssl, signing whole files the way a release is signed.
struct SigningKey {
  SigningKey(const QDir &folder, const QString &name)
      : folder(folder), pem(folder.filePath(name + QStringLiteral(".pem"))) {
    const QString der = folder.filePath(name + QStringLiteral(".der"));
    made = openssl({"genpkey", "-algorithm", "ed25519", "-out", pem}) &&
           openssl({"pkey", "-in", pem, "-pubout", "-outform", "DER", "-out", der});
    // A DER public key ends with the 32 raw key bytes.
    publicKey = QString::fromLatin1(readFile(der).right(32).toBase64());
  }
  QString signature(const QByteArray &bytes) const {
    QFile input(folder.filePath(QStringLiteral("to-sign")));
    const QString output = folder.filePath(QStringLiteral("signature"));
    if (!input.open(QIODevice::WriteOnly) || input.write(bytes) != bytes.size()) return {};
    input.close();
    if (!openssl(
            {"pkeyutl", "-sign", "-rawin", "-inkey", pem, "-in", input.fileName(), "-out", output}))
      return {};
    return QString::fromLatin1(readFile(output).toBase64());
  }
  QDir folder;
  QString pem;
  QString publicKey;
  bool made = false;
};

QByteArray appcastItem(const QString &version, const QString &os, const QUrl &url, qint64 length,
                       const QString &signature) {
  return QStringLiteral(
             "<item><title>Tarnik %1</title><enclosure url=\"%2\" length=\"%3\" "
             "sparkle:version=\"%1\" sparkle:os=\"%4\" sparkle:edSignature=\"%5\"/>"
             "</item>")
      .arg(version, url.toString(QUrl::FullyEncoded), QString::number(length), os, signature)
      .toUtf8();
}

QByteArray appcast(const QByteArray &items) {
  return "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:sparkle=\"https://example.com/ns\">"
         "<channel><title>Tarnik</title>" +
         items + "</channel></rss>";
}

// The updater of a build at version 1.2, reading a feed from a local server whose
// certificate it trusts, and the dialog it shows, found by objectName.
class AppcastUpdaterHttpsIntegration : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new QTemporaryDir;
    server_ = new testing::LocalHttpsServer(folder_->path());
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
    ASSERT_TRUE(server_->isListening() && signer_->made && stranger_->made);
    // The program's home is a temporary folder (ShellTestEnvironment), never the user's.
    downloads_ = QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    ASSERT_TRUE(downloads_.absolutePath().startsWith(QDir::tempPath()));
    downloads_.removeRecursively();
    release_ = QByteArray(48 * 1024, '\0');
    QRandomGenerator(29).fillRange(reinterpret_cast<quint32 *>(release_.data()),
                                   release_.size() / 4);
    server_->answer(QStringLiteral("/files/Tarnik-1.3.tar.gz"), HttpsAnswer::ok(release_));
    updater_ = makeUpdater({server_->certificate()});
  }

  std::unique_ptr<AppcastUpdater> makeUpdater(const QList<QSslCertificate> &trusted) {
    auto updater = std::make_unique<AppcastUpdater>(
        InformationDictionary{
            {QStringLiteral("SUFeedURL"), server_->url(QStringLiteral("/appcast.xml")).toString()},
            {QStringLiteral("SUPublicEDKey"), signer_->publicKey}},
        AppcastUpdater::Options{trusted, QStringLiteral("1.2")});
    EXPECT_EQ(updater->start(), std::nullopt);
    EXPECT_TRUE(updater->canCheckForUpdates());
    return updater;
  }

  void serveRelease(qint64 length, const QString &signature,
                    const QString &path = QStringLiteral("/files/Tarnik-1.3.tar.gz")) {
    serveFeed(appcastItem(QStringLiteral("1.3"), QStringLiteral("linux"), server_->url(path),
                          length, signature));
  }
  void serveFeed(const QByteArray &items) {
    server_->answer(QStringLiteral("/appcast.xml"), HttpsAnswer::ok(appcast(items)));
  }

  QDialog *dialog() const {
    for (QWidget *widget : QApplication::topLevelWidgets())
      if (widget->objectName() == QStringLiteral("updates.dialog") && widget->isVisible())
        return qobject_cast<QDialog *>(widget);
    return nullptr;
  }
  QString message() const {
    return dialog() ? dialog()->findChild<QLabel *>("updates.dialog.message")->text() : QString();
  }
  bool waitForMessage(const QString &part) const {
    if (waitUntil([&] { return message().contains(part); })) return true;
    ADD_FAILURE() << "the dialog shows: " << message().toStdString();
    return false;
  }
  void click(const char *name) {
    QPushButton *button = dialog() ? dialog()->findChild<QPushButton *>(name) : nullptr;
    ASSERT_TRUE(button && button->isVisible()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  // Ends the check with the named button: the dialog goes and a check may run again.
  void close(const char *name) {
    ASSERT_NO_FATAL_FAILURE(click(name));
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_TRUE(updater_->canCheckForUpdates());
  }
  void checkAndDownload() {
    updater_->checkForUpdates();
    EXPECT_FALSE(updater_->canCheckForUpdates());
    ASSERT_TRUE(waitForMessage(QStringLiteral("Tarnik 1.3 is available. You have 1.2.")));
    EXPECT_FALSE(
        testing::saveScreenshot(*dialog(), QStringLiteral("update-dialog-available")).isEmpty());
    ASSERT_NO_FATAL_FAILURE(click("updates.dialog.download"));
  }
  QStringList downloadedFiles() const {
    return downloads_.entryList(QDir::Files | QDir::Hidden | QDir::System);
  }

  static inline QTemporaryDir *folder_ = nullptr;
  static inline testing::LocalHttpsServer *server_ = nullptr;
  static inline SigningKey *signer_ = nullptr;
  static inline SigningKey *stranger_ = nullptr;
  QDir downloads_;
  QByteArray release_;
  std::unique_ptr<AppcastUpdater> updater_;
};

TEST_F(AppcastUpdaterHttpsIntegration, AFeedOfOlderOrEqualVersionsIsUpToDate) {
  const QUrl somewhere = server_->url(QStringLiteral("/old"));
  serveFeed(appcastItem(QStringLiteral("1.1"), QStringLiteral("linux"), somewhere, 1, "c2ln") +
            appcastItem(QStringLiteral("1.2.0"), QStringLiteral("linux"), somewhere, 1, "c2ln"));
  updater_->checkForUpdates();
  ASSERT_TRUE(waitForMessage(QString::fromUtf8("You\u2019re up to date: Tarnik 1.2")));
  EXPECT_FALSE(updater_->canCheckForUpdates());
  EXPECT_FALSE(
      testing::saveScreenshot(*dialog(), QStringLiteral("update-dialog-up-to-date")).isEmpty());
  close("updates.dialog.done");
}

TEST_F(AppcastUpdaterHttpsIntegration, ANewerReleaseWithoutASignatureIsNeverUpToDate) {
  serveRelease(release_.size(), QString());
  updater_->checkForUpdates();
  ASSERT_TRUE(waitForMessage(QStringLiteral(
      "An update to Tarnik 1.3 was found, but it is not signed and was not downloaded.")));
  EXPECT_EQ(dialog()->findChild<QPushButton *>("updates.dialog.download")->isVisible(), false);
  EXPECT_FALSE(
      testing::saveScreenshot(*dialog(), QStringLiteral("update-dialog-unsigned")).isEmpty());
  close("updates.dialog.done");
  EXPECT_EQ(server_->requestCount(QStringLiteral("/files/Tarnik-1.3.tar.gz")), 0);
}

TEST_F(AppcastUpdaterHttpsIntegration, SavesOnlyTheLinuxReleaseVerifiedAndNotExecutable) {
  // The enclosure moves once within HTTPS; the release for another system is never fetched.
  server_->answer(QStringLiteral("/Tarnik-1.3.tar.gz"),
                  HttpsAnswer::redirect(server_->url(QStringLiteral("/files/Tarnik-1.3.tar.gz"))));
  serveFeed(appcastItem(QStringLiteral("2.0"), QStringLiteral("windows"),
                        server_->url(QStringLiteral("/Tarnik-2.0.exe")), 5, "c2ln") +
            appcastItem(QStringLiteral("1.3"), QStringLiteral("linux"),
                        server_->url(QStringLiteral("/Tarnik-1.3.tar.gz")), release_.size(),
                        signer_->signature(release_)));

  for (const char *savedName : {"Tarnik-1.3.tar.gz", "Tarnik-1.3-2.tar.gz"}) {
    ASSERT_NO_FATAL_FAILURE(checkAndDownload());
    ASSERT_TRUE(waitForMessage(QStringLiteral("The update was saved as")));
    EXPECT_FALSE(updater_->canCheckForUpdates());
    const QString saved = downloads_.filePath(QLatin1String(savedName));
    EXPECT_TRUE(message().contains(saved));
    EXPECT_EQ(readFile(saved), release_);
    EXPECT_FALSE(QFileInfo(saved).permissions() &
                 (QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther));
    EXPECT_FALSE(
        testing::saveScreenshot(*dialog(), QStringLiteral("update-dialog-saved")).isEmpty());
    close("updates.dialog.done");
  }
  // A second download never replaces the first, and nothing else is left behind.
  EXPECT_EQ(downloadedFiles(), QStringList({"Tarnik-1.3-2.tar.gz", "Tarnik-1.3.tar.gz"}));
  EXPECT_EQ(server_->requestCount(QStringLiteral("/Tarnik-2.0.exe")), 0);
}

TEST_F(AppcastUpdaterHttpsIntegration, ADownloadThatFailsItsCheckLeavesNoFile) {
  server_->answer(QStringLiteral("/cut.tar.gz"), HttpsAnswer::ok(release_, Ending::cutShort));
  server_->answer(QStringLiteral("/moved.tar.gz"),
                  HttpsAnswer::redirect(server_->url(QStringLiteral("/files/Tarnik-1.3.tar.gz"),
                                                     QStringLiteral("http"))));
  const QString good = signer_->signature(release_);
  const qint64 size = release_.size();
  const struct {
    const char *why;
    qint64 length;
    QString signature;
    QString path;
    const char *reason;
  } rows[] = {
      {"signed by another key", size, stranger_->signature(release_), {}, "signature does not"},
      {"signature of other bytes", size, signer_->signature("other"), {}, "signature does not"},
      {"signature not base64", size, QStringLiteral("%%%%"), {}, "signature does not"},
      {"more than the feed says", size - 1, good, {}, "length does not match"},
      {"less than the feed says", size + 1, good, {}, "length does not match"},
      {"transfer cut short", size, good, QStringLiteral("/cut.tar.gz"), "Connection closed"},
      {"redirected to http", size, good, QStringLiteral("/moved.tar.gz"), "not HTTPS"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.why);
    row.path.isEmpty() ? serveRelease(row.length, row.signature)
                       : serveRelease(row.length, row.signature, row.path);
    ASSERT_NO_FATAL_FAILURE(checkAndDownload());
    ASSERT_TRUE(waitForMessage(QStringLiteral("The download failed: ")));
    EXPECT_TRUE(message().contains(QLatin1String(row.reason))) << message().toStdString();
    EXPECT_EQ(downloadedFiles(), QStringList());
    close("updates.dialog.done");
  }
}

TEST_F(AppcastUpdaterHttpsIntegration, CancelOrQuittingPartWayLeavesNoFile) {
  server_->answer(QStringLiteral("/slow.tar.gz"), HttpsAnswer::ok(release_, Ending::stall));
  serveRelease(release_.size(), signer_->signature(release_), QStringLiteral("/slow.tar.gz"));
  // The partial file has no name while it is written, so the server tells when the
  // transfer is under way.
  const auto transferStarted = [&](int count) {
    return waitUntil(
        [&] { return server_->requestCount(QStringLiteral("/slow.tar.gz")) == count; });
  };
  ASSERT_NO_FATAL_FAILURE(checkAndDownload());
  ASSERT_TRUE(transferStarted(1));
  EXPECT_TRUE(message().contains(QStringLiteral("Downloading Tarnik 1.3")));
  close("updates.dialog.cancel");
  EXPECT_EQ(downloadedFiles(), QStringList());

  ASSERT_NO_FATAL_FAILURE(checkAndDownload());
  ASSERT_TRUE(transferStarted(2));
  updater_.reset();
  EXPECT_EQ(dialog(), nullptr);
  EXPECT_EQ(downloadedFiles(), QStringList());
}

TEST_F(AppcastUpdaterHttpsIntegration, AFeedThatCannotBeReadIsAClearFailure) {
  QByteArray overCap(AppcastUpdater::maximumFeedBytes + 1, ' ');
  overCap.replace(0, 40, appcast({}).left(40));
  const struct {
    const char *why;
    HttpsAnswer answer;
    const char *reason;
  } rows[] = {
      {"malformed XML", HttpsAnswer::ok(appcast({}).chopped(7)), "not valid XML"},
      {"over the cap, announced", HttpsAnswer::ok(overCap), "larger than 4 MiB"},
      {"over the cap, unannounced", HttpsAnswer::ok(overCap, Ending::unannounced),
       "larger than 4 MiB"},
      {"redirected to http",
       HttpsAnswer::redirect(
           server_->url(QStringLiteral("/elsewhere.xml"), QStringLiteral("http"))),
       "not HTTPS"},
      {"not found", HttpsAnswer::failure(404, "gone"), "Not Found"},
      {"redirected nowhere", HttpsAnswer::failure(302, {}), "redirect without an address"},
      {"redirected past the limit", HttpsAnswer::redirect(server_->url(QStringLiteral("/hop1"))),
       "redirected more than 5 times"},
  };
  for (int hop = 1; hop <= 6; ++hop) {
    server_->answer(QStringLiteral("/hop%1").arg(hop),
                    HttpsAnswer::redirect(server_->url(QStringLiteral("/hop%1").arg(hop + 1))));
  }
  for (const auto &row : rows) {
    SCOPED_TRACE(row.why);
    server_->answer(QStringLiteral("/appcast.xml"), row.answer);
    updater_->checkForUpdates();
    ASSERT_TRUE(waitForMessage(QStringLiteral("The update check failed: ")));
    EXPECT_TRUE(message().contains(QLatin1String(row.reason))) << message().toStdString();
    EXPECT_FALSE(updater_->canCheckForUpdates());
    close("updates.dialog.done");
  }

  // Without the test certificate the system's authorities decide, and they refuse it.
  serveRelease(release_.size(), signer_->signature(release_));
  updater_ = makeUpdater({});
  updater_->checkForUpdates();
  ASSERT_TRUE(waitForMessage(QStringLiteral("The update check failed: ")));
  close("updates.dialog.done");
}

}  // namespace
}  // namespace tarnik
