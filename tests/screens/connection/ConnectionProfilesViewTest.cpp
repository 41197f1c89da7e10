// The connection screen's buttons: saved connections, New and Save, the two examples and the
// connection test, each pressed as a person does and read back from the screen.

#include "ConnectionScreen.h"
#include "foundation/ReferenceDate.h"
#include "foundation/UptimeClock.h"
#include "link/OSCManager.h"
#include "screens/support/Screenshots.h"
#include "support/EosConsoleDouble.h"
#include "support/FileSizeLimit.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using testing::ConnectionScreen;
using testing::profile;
using testing::waitUntil;

QString rowName(const ConsoleConnectionProfile &p) {
  return u"connection.profile."_s + p.id.toString(QUuid::WithoutBraces).toUpper();
}

// What a screen reader reads, which is also what is drawn: markup in a plain label stays text.
QString spoken(QWidget *widget) {
  QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(QAccessible::Name) : u"<none>"_s;
}

// Each saved row as its spoken lines ("Selected" where the check shows), then the save
// button's title.
QStringList savedConnections(const ConnectionScreen &screen) {
  screen.settle();
  QStringList rows;
  for (const ConsoleConnectionProfile &p : screen.model->savedConnectionProfiles()) {
    QStringList lines;
    if (auto *row = screen.find<QPushButton>(rowName(p))) {
      for (QLabel *label : row->findChildren<QLabel *>()) {
        lines.append(spoken(label));
      }
    }
    rows.append(lines.join(u" | "_s));
  }
  rows.append(screen.text<QPushButton>(u"connection.profile.save"_s));
  return rows;
}

void press(const ConnectionScreen &screen, const QString &objectName) {
  if (auto *button = screen.find<QPushButton>(objectName)) {
    QTest::mouseClick(button, Qt::LeftButton);
  }
}

void type(const ConnectionScreen &screen, const QString &field, const QString &text) {
  if (auto *edit = screen.find<QLineEdit>(field)) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
  }
}

// Nothing dialled: no route chosen and the manager never left its first state.
void expectNoConnection(const ConnectionScreen &screen) {
  EXPECT_FALSE(screen.model->activeConnectionSettings().has_value());
  EXPECT_EQ(screen.model->oscManager()->connectionStateDescription(), u"Disconnected"_s);
}

TEST(ConnectionProfilesView, TappingARowChecksItAloneAndNewConnectionClearsTheCheck) {
  const QList<ConsoleConnectionProfile> profiles{profile(u"<b>Booth & Co</b>"_s, u"127.0.0.1"_s),
                                                 profile(u"Stage left"_s, u"10.0.0.7"_s)};
  ConnectionScreen screen(profiles);
  const QString booth = u"<b>Booth & Co</b> | 127.0.0.1:3037"_s;
  const QString stage = u"Stage left | 10.0.0.7:3037"_s;
  EXPECT_EQ(savedConnections(screen), (QStringList{booth, stage, u"Save Connection"_s}));

  press(screen, rowName(profiles[0]));
  EXPECT_EQ(savedConnections(screen),
            (QStringList{booth + u" | Selected"_s, stage, u"Update Selected Connection"_s}));
  EXPECT_EQ(screen.text<QLineEdit>(u"connection.name"_s), u"<b>Booth & Co</b>"_s);
  EXPECT_EQ(screen.text<QLineEdit>(u"connection.host"_s), u"127.0.0.1"_s);
  testing::saveScreenshot(*screen.view, u"connection-profile-selected"_s);

  press(screen, rowName(profiles[1]));
  EXPECT_EQ(savedConnections(screen),
            (QStringList{booth, stage + u" | Selected"_s, u"Update Selected Connection"_s}));
  EXPECT_EQ(screen.text<QLineEdit>(u"connection.host"_s), u"10.0.0.7"_s);

  press(screen, u"connection.profile.new"_s);
  EXPECT_EQ(savedConnections(screen), (QStringList{booth, stage, u"Save Connection"_s}));
  EXPECT_EQ((QStringList{screen.text<QLineEdit>(u"connection.name"_s),
                         screen.text<QLineEdit>(u"connection.host"_s),
                         screen.text<QLineEdit>(u"connection.destinationPort"_s)}),
            (QStringList{{}, {}, u"3037"_s}));
  expectNoConnection(screen);
}

TEST(ConnectionProfilesView, SaveAddsTheFormThenUpdatesItInPlace) {
  ConnectionScreen screen;
  EXPECT_EQ(savedConnections(screen), QStringList{u"Save Connection"_s});
  press(screen, u"connection.profile.new"_s);
  type(screen, u"connection.name"_s, u"Booth"_s);
  type(screen, u"connection.host"_s, u"127.0.0.1"_s);
  press(screen, u"connection.profile.save"_s);
  EXPECT_EQ(savedConnections(screen),
            (QStringList{u"Booth | 127.0.0.1:3037 | Selected"_s, u"Update Selected Connection"_s}));
  EXPECT_FALSE(screen.shown(u"connection.profiles.empty"_s));

  type(screen, u"connection.name"_s, u"Booth B"_s);
  press(screen, u"connection.profile.save"_s);
  EXPECT_EQ(savedConnections(screen), (QStringList{u"Booth B | 127.0.0.1:3037 | Selected"_s,
                                                   u"Update Selected Connection"_s}));
  expectNoConnection(screen);
}

// A relaunch may find a stored selection whose profile is not in the list (a list that could
// not be read, or one written without it): no row is checked, so the button saves a new
// profile and says so, and that profile is then the one it updates.
TEST(ConnectionProfilesView, AfterARelaunchWithoutTheSelectedProfileTheButtonSavesANewOne) {
  const ConsoleConnectionProfile gone = profile(u"Gone"_s, u"10.0.0.9"_s);
  const ConsoleConnectionProfile kept = profile(u"Booth"_s, u"10.0.0.6"_s);
  const struct {
    const char *relaunch;
    QList<ConsoleConnectionProfile> stored;
    QString storedText;  // replaces the stored list when set
  } cases[] = {
      {"list without the profile", {kept}, {}},
      {"unreadable list", {}, u"[{"_s},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.relaunch);
    ConnectionScreen screen(
        c.stored, gone.id, testing::idleBrowserFactory(), [&](AppViewModel::Arguments &arguments) {
          if (!c.storedText.isEmpty()) {
            arguments.defaults->setValue(u"connectionProfiles.v1"_s, c.storedText);
          }
        });
    QStringList rows = savedConnections(screen);
    EXPECT_EQ(rows.takeLast(), u"Save Connection"_s);
    EXPECT_FALSE(rows.join(QString()).contains(u"Selected"_s)) << rows.join(u", "_s).toStdString();
    const qsizetype rowsBefore = rows.size();

    type(screen, u"connection.host"_s, u"127.0.0.1"_s);
    press(screen, u"connection.profile.save"_s);
    rows = savedConnections(screen);
    EXPECT_EQ(rows.takeLast(), u"Update Selected Connection"_s);
    EXPECT_EQ(rows.size(), rowsBefore + 1);
    EXPECT_TRUE(rows.last().endsWith(u" | Selected"_s)) << rows.last().toStdString();
  }
}

// A save replaces the list that could not be read; the line then says where its bytes went,
// once the write has kept them there.
TEST(ConnectionProfilesView, AnUnreadableListShowsItsErrorAndASaveSaysWhereItWasKept) {
  ConnectionScreen screen({}, std::nullopt, testing::idleBrowserFactory(),
                          [](AppViewModel::Arguments &arguments) {
                            arguments.defaults->setValue(u"connectionProfiles.v1"_s, u"[{"_s);
                          });
  screen.settle();
  ASSERT_TRUE(screen.shown(u"connection.profile.storageError"_s));
  EXPECT_EQ(screen.text(u"connection.profile.storageError"_s),
            screen.model->profileStorageError().value_or(u"<none>"_s));
  EXPECT_TRUE(screen.find(u"connection.profile.storageError"_s)->textInteractionFlags() &
              Qt::TextSelectableByMouse);

  type(screen, u"connection.host"_s, u"127.0.0.1"_s);
  press(screen, u"connection.profile.save"_s);
  EXPECT_TRUE(waitUntil([&] {
    screen.settle();
    return screen.text(u"connection.profile.storageError"_s)
        .endsWith(u"kept under “connectionProfiles.unreadable.v1”."_s);
  }));
  ASSERT_TRUE(screen.shown(u"connection.profile.storageError"_s));
  EXPECT_EQ(screen.settings.value(u"connectionProfiles.unreadable.v1"_s).toString(), u"[{"_s);
}

// Where settings are saved, a settings file that cannot be read or written is told, in the
// system's words, until a write succeeds: here a folder comes to stand where the file,
// read at the start, belongs, then the file may not grow as large as the settings.
TEST(ConnectionProfilesView, SettingsThatCannotBeReadOrWrittenAreToldUntilAWriteSucceeds) {
  ConnectionScreen screen(
      {}, std::nullopt, testing::idleBrowserFactory(),
      [](AppViewModel::Arguments &arguments) { QDir().mkpath(arguments.defaults->fileName()); });
  ASSERT_TRUE(waitUntil([&] {
    screen.settle();
    return screen.shown(u"connection.settings.fileError"_s);
  }));
  EXPECT_EQ(
      screen.text(u"connection.settings.fileError"_s),
      u"Settings could not be read: Is a directory. Tarnik tries again; changes not yet saved are lost if Tarnik quits first."_s);
  testing::saveScreenshot(*screen.view, u"connection-settings-not-read"_s);

  QDir().rmdir(screen.settings.fileName());
  type(screen, u"connection.host"_s, u"127.0.0.1"_s);
  press(screen, u"connection.profile.save"_s);
  EXPECT_TRUE(waitUntil([&] {
    screen.settle();
    return !screen.shown(u"connection.settings.fileError"_s);
  }));
  EXPECT_TRUE(QFileInfo(screen.settings.fileName()).isFile());

  {
    const testing::FileSizeLimit full(200);
    type(screen, u"connection.name"_s, u"Booth"_s);
    press(screen, u"connection.profile.save"_s);
    ASSERT_TRUE(waitUntil([&] {
      screen.settle();
      return screen.shown(u"connection.settings.fileError"_s);
    }));
  }
  EXPECT_EQ(screen.text(u"connection.settings.fileError"_s),
            u"Settings could not be saved: File too large. Tarnik tries again; changes not yet "
            u"saved are lost if Tarnik quits first."_s);
  testing::saveScreenshot(*screen.view, u"connection-settings-not-saved"_s);
  type(screen, u"connection.name"_s, u"Booth B"_s);
  press(screen, u"connection.profile.save"_s);
  EXPECT_TRUE(waitUntil([&] {
    screen.settle();
    return !screen.shown(u"connection.settings.fileError"_s);
  }));

  // A file that could not be read at the start says what becomes of the changes meanwhile.
  const QTemporaryDir folder;
  const QString unreadablePath = folder.filePath(u"Tarnik.conf"_s);
  ASSERT_TRUE(QDir().mkpath(unreadablePath));
  SettingsStore unreadable(unreadablePath);
  ConnectionScreen atStart(
      {}, std::nullopt, testing::idleBrowserFactory(),
      [&](AppViewModel::Arguments &arguments) { arguments.defaults = &unreadable; });
  atStart.settle();
  EXPECT_EQ(atStart.text(u"connection.settings.fileError"_s),
            u"Settings could not be read: Is a directory. Tarnik leaves the file as it is. Once "
            u"it can read it, connections saved meanwhile are added and other changes dropped; "
            u"quitting first loses them."_s);
  testing::saveScreenshot(*atStart.view, u"connection-settings-not-read-at-start"_s);
}

// An invalid form puts its first problem in "Result", whichever button asked, and nothing
// is stored or started.
TEST(ConnectionProfilesView, AnInvalidFormAnswersInTheResultRowAndStartsNothing) {
  const struct {
    const char *button;
    QString host, port, result;
  } cases[] = {
      {"connection.test", u""_s, u"3037"_s, u"Enter a console IP address or hostname."_s},
      {"connection.test", u"127.0.0.1"_s, u"0"_s, u"Destination port must be 1–65535."_s},
      {"connection.profile.save", u"a b"_s, u"3037"_s,
       u"Enter only an IP address or hostname, without a URL or port."_s},
  };
  ConnectionScreen screen;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.button);
    type(screen, u"connection.host"_s, c.host);
    type(screen, u"connection.destinationPort"_s, c.port);
    press(screen, QString::fromLatin1(c.button));
    screen.settle();
    EXPECT_TRUE(screen.shown(u"connection.test.status"_s));
    EXPECT_EQ(screen.text(u"connection.test.status"_s), c.result);
    EXPECT_TRUE(screen.find<QPushButton>(u"connection.test"_s)->isEnabled());
    EXPECT_FALSE(screen.shown(u"connection.test.busy"_s));
    EXPECT_FALSE(screen.model->isTestingConnection());
    EXPECT_EQ(savedConnections(screen), QStringList{u"Save Connection"_s});
  }
  expectNoConnection(screen);
}

TEST(ConnectionProfilesView, AnExampleFillsTheFormWithoutSelectingOrConnecting) {
  const QList<ConsoleConnectionProfile> examples = AppViewModel::builtInConnectionProfiles();
  ASSERT_EQ(examples.size(), 2);
  const struct {
    const char *button;
    QString title, host, name;
  } cases[] = {
      {"connection.example.school", u"Vellick — School Network"_s, examples[0].host,
       u"Vellick · School Ethernet"_s},
      {"connection.example.lighting", u"Vellick — Lighting Network"_s, examples[1].host,
       u"Vellick · Lighting Ethernet"_s},
  };
  const ConsoleConnectionProfile saved = profile(u"Saved"_s, u"127.0.0.1"_s);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.button);
    ConnectionScreen screen({saved}, saved.id);
    screen.model->setConnectionTransport(OSCTransport::udp);
    screen.model->setCustomListenPort(u"9000"_s);
    auto *button = screen.find<QPushButton>(QString::fromLatin1(c.button));
    ASSERT_NE(button, nullptr);
    QStringList label;
    screen.settle();
    for (QLabel *line : button->findChildren<QLabel *>()) {
      if (line->pixmap().isNull()) label.append(line->text());
    }
    EXPECT_EQ(label, (QStringList{c.title, c.host}));

    press(screen, QString::fromLatin1(c.button));
    screen.settle();
    EXPECT_EQ((QStringList{screen.text<QLineEdit>(u"connection.name"_s),
                           screen.text<QLineEdit>(u"connection.host"_s),
                           screen.find<QComboBox>(u"connection.transport"_s)->currentText(),
                           screen.find<QComboBox>(u"connection.tcpFraming"_s)->currentText(),
                           screen.text<QLineEdit>(u"connection.destinationPort"_s),
                           screen.text<QLineEdit>(u"connection.udpListenPort"_s)}),
              (QStringList{c.name, c.host, u"TCP"_s, u"SLIP (OSC 1.1)"_s, u"3037"_s, u"8001"_s}));
    EXPECT_EQ(savedConnections(screen),
              (QStringList{u"Saved | 127.0.0.1:3037"_s, u"Save Connection"_s}));
    expectNoConnection(screen);
  }
}

// The form aimed at the console double over TCP with SLIP framing.
ConnectionScreen &aimAt(ConnectionScreen &screen, const testing::EosConsoleDouble &console) {
  screen.model->setConsoleIP(u"127.0.0.1"_s);
  screen.model->setConnectionTransport(OSCTransport::tcp);
  screen.model->setTcpFraming(OSCTCPFraming::slip);
  screen.model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::slip)));
  return screen;
}

// The button rests and the spinner turns for exactly as long as the test runs.
bool looksBusy(const ConnectionScreen &screen) {
  screen.settle();
  const bool busy = screen.shown(u"connection.test.busy"_s);
  EXPECT_EQ(busy, !screen.find<QPushButton>(u"connection.test"_s)->isEnabled());
  return busy;
}

TEST(ConnectionProfilesView, TheTestAgainstTheConsoleShowsTheVerifiedConsole) {
  testing::EosConsoleDouble console;
  // The ping's answer comes last, so the test runs long enough to be seen and the console's
  // identity has arrived when the ping verifies it. (Answered in the order asked, the
  // identity comes after the verification has ended the test, and its row stays away.)
  console.pingReplyDelay = 300ms;
  ConnectionScreen screen;
  aimAt(screen, console);
  EXPECT_FALSE(looksBusy(screen));
  press(screen, u"connection.test"_s);
  EXPECT_TRUE(looksBusy(screen));
  EXPECT_TRUE(screen.text(u"connection.test.status"_s).startsWith(u"Testing "_s));
  EXPECT_TRUE(screen.text(u"connection.test.version"_s).isEmpty());

  ASSERT_TRUE(waitUntil([&] { return !looksBusy(screen); }));
  const QString port = QString::number(console.tcpPort(OSCTCPFraming::slip));
  EXPECT_EQ(screen.text(u"connection.test.status"_s),
            u"Verified Eos 3.2.1 · 127.0.0.1:"_s + port + u" · TCP · SLIP (OSC 1.1)"_s);
  EXPECT_TRUE(screen.shown(u"connection.test.identity"_s));
  EXPECT_EQ(screen.text(u"connection.test.identity"_s), u"1 • Primary"_s);
  EXPECT_TRUE(screen.shown(u"connection.test.version"_s));
  EXPECT_EQ(screen.text(u"connection.test.version"_s), u"3.2.1"_s);
  testing::saveScreenshot(*screen.view, u"connection-test-verified"_s);
  // The test used a socket of its own; the screen's connection was never made.
  expectNoConnection(screen);
}

TEST(ConnectionProfilesView, TheTestOfASilentConsoleEndsAfterTenSecondsOfModelTime) {
  testing::EosConsoleDouble console;
  console.silent = true;
  auto timing = std::make_shared<testing::ManualAppTiming>(systemUptime(), referenceSecondsNow());
  ConnectionScreen screen({}, std::nullopt, testing::idleBrowserFactory(),
                          [&](AppViewModel::Arguments &arguments) { arguments.timing = timing; });
  aimAt(screen, console);
  press(screen, u"connection.test"_s);
  ASSERT_TRUE(waitUntil([&] { return !console.requests().isEmpty(); }));
  timing->advance(9.9);
  EXPECT_TRUE(looksBusy(screen));
  timing->advance(0.2);
  EXPECT_FALSE(looksBusy(screen));
  EXPECT_TRUE(screen.text(u"connection.test.status"_s)
                  .startsWith(u"No verified Eos handshake within 10 seconds at "_s))
      << screen.text(u"connection.test.status"_s).toStdString();
  EXPECT_TRUE(screen.text(u"connection.test.identity"_s).isEmpty());
  EXPECT_TRUE(screen.text(u"connection.test.version"_s).isEmpty());
}

}  // namespace
}  // namespace tarnik
