// The connection form built alone on a settings file of its own, with the keychain as a
// table in memory. Each reopen ends the form and its settings, as the program's end does,
// and reads a copy of the file as written, as the next start would.

#include "app/ConnectionForm.h"
#include "foundation/UuidText.h"
#include "support/BackgroundWorkSettling.h"
#include "support/HeldAnswer.h"
#include "support/LogCapture.h"
#include "support/ProcessRunner.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"
#include "support/WithoutPermissionOverride.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace tarnik::testing {
namespace {

class ConnectionFormAlone : public ::testing::Test {
 protected:
  ConnectionFormAlone() { ensureCoreApplication(); }
  ~ConnectionFormAlone() override { settleBackgroundWork(); }

  // A form on a copy of the last file written, or on a fresh file the first time.
  ConnectionForm &reopen(SettingsStore::Options options = {}) {
    const QString path = folder.filePath(u"settings-%1.ini"_s.arg(opened++));
    if (openSettings) {
      const QString last = openSettings->fileName();
      close();
      EXPECT_TRUE(QFile::copy(last, path));
    }
    return open(path, std::move(options));
  }
  // Ends the form and its settings, as the program's end does.
  void close() {
    openForm.reset();
    openSettings.reset();
  }
  ConnectionForm &open(const QString &path, SettingsStore::Options options = {}) {
    close();
    openSettings.emplace(path, std::move(options));
    openForm.emplace(
        *openSettings,
        [this](const QString &code,
               const QString &account) -> std::expected<void, TarnikRelaySecurity::Failure> {
          keychain.insert(account, code);
          return {};
        },
        [this](const QString &account)
            -> std::expected<std::optional<QString>, TarnikRelaySecurity::Failure> {
          if (!keychain.contains(account)) return std::nullopt;
          return keychain.value(account);
        });
    return *openForm;
  }
  SettingsStore &file() { return *openSettings; }
  // This copy's pass over its file is done, and wrote what it carried.
  bool written() {
    return waitUntil([&] { return !file().isWriting(); }) && !file().fileFailure();
  }
  // Another program sets a key of this copy's file.
  bool setByAnotherProgram(const QString &key, const QString &value) {
    const auto ended = ProcessRunner::run(QStringLiteral(TARNIK_SETTINGS_PEER),
                                          {file().fileName(), key + u'=' + value}, 10s);
    return ended && ended->exitCode == 0;
  }

  QTemporaryDir folder;
  QHash<QString, QString> keychain;
  int opened = 0;
  std::optional<SettingsStore> openSettings;  // outlives the form built on it
  std::optional<ConnectionForm> openForm;
};

ConsoleConnectionProfile profile(const QString &name, const QString &host, OSCTransport transport) {
  return {.id = QUuid::createUuid(),
          .name = name,
          .host = host,
          .transport = transport,
          .destinationPort = 8000,
          .udpListenPort = 9001,
          .tcpFraming = OSCTCPFraming::slip};
}

// Saved profiles (texts beyond ASCII included), the selection and the viewer switch read
// back after a restart as they were left, and the selected profile fills the form.
TEST_F(ConnectionFormAlone, WhatTheFormStoresIsWhatTheNextStartReads) {
  const ConsoleConnectionProfile booth =
      profile(u"Bühne “Nord”"_s, u"10.0.0.7"_s, OSCTransport::udp);
  ConsoleConnectionProfile stage = profile(u"Stage"_s, u"10.0.0.8"_s, OSCTransport::tcp);
  stage.usesMacRelay = true;
  keychain.insert(ConnectionForm::relayKeyAccount(stage.id), u"code"_s);
  ConnectionForm &first = reopen();
  first.storeSelectedProfile(booth);
  first.storeSelectedProfile(stage);
  first.setInteractionMode(InteractionMode::viewer);
  const QList<ConsoleConnectionProfile> saved = first.savedConnectionProfiles();
  ASSERT_EQ(saved.size(), ConnectionForm::builtInConnectionProfiles().size() + 2);

  ConnectionForm &second = reopen();
  settleBackgroundWork();  // the pairing code is read on the keychain's thread
  EXPECT_EQ(second.savedConnectionProfiles(), saved);
  EXPECT_EQ(second.selectedConnectionProfileID(), stage.id);
  EXPECT_EQ(std::tuple(second.consoleIP(), second.usesMacRelay(), second.relayPairingCode()),
            std::tuple(u"10.0.0.8"_s, true, u"code"_s));
  EXPECT_EQ(second.interactionMode(), InteractionMode::viewer);
  second.selectProfile(booth);

  ConnectionForm &third = reopen();
  EXPECT_EQ(third.selectedConnectionProfileID(), booth.id);
  EXPECT_EQ(std::tuple(third.consoleName(), third.connectionTransport(), third.customListenPort(),
                       third.tcpFraming(), third.usesMacRelay()),
            std::tuple(booth.name, OSCTransport::udp, u"9001"_s, OSCTCPFraming::slip, false));
}

// A start that finds what it reads already stored writes nothing, so a disk with less room
// than the settings file loses none of the profiles, the selection or the last connection.
TEST_F(ConnectionFormAlone, AStartThatChangesNothingWritesNothing) {
  ConnectionForm &first = reopen();
  for (int index = 0; index < 40; ++index) {
    first.storeSelectedProfile(profile(u"Desk %1"_s.arg(index), u"10.0.0.9"_s, OSCTransport::tcp));
  }
  first.rememberLastConnected(first.savedConnectionProfiles().last());
  const QList<ConsoleConnectionProfile> saved = first.savedConnectionProfiles();
  int writes = 0;
  reopen({.writeFile = [&](const QString &file, const QByteArray &content) {
    ++writes;
    return writeFileWhole(file, content);
  }});
  ConnectionForm &restarted = reopen();
  EXPECT_FALSE(file().isWriting());  // not even a pass over the file began
  EXPECT_EQ(writes, 0);
  EXPECT_EQ(restarted.savedConnectionProfiles(), saved);
  EXPECT_EQ(restarted.selectedConnectionProfileID(), saved.last().id);
  EXPECT_EQ(restarted.lastConnectedProfile(), saved.last());
}

QByteArray fileBytes(const QString &fileName) {
  QFile file(fileName);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A settings file the program may not read (left by a run as root) may hold every saved
// connection: starts and changes, and the end of the program, leave it byte for byte, and
// the person is told, the log naming what is lost. Once it can be read, its connections,
// mode and selection are the ones shown, a connection the person saved meanwhile joins them
// (the examples shown meanwhile do not), the other changes made without it are let go, and a
// save goes on from the file as it is; so too when the program ends before it read the file
// again. One that can no longer be read is told as a read, on the page and in the log.
TEST_F(ConnectionFormAlone, ASettingsFileThatCannotBeReadIsNeverWrittenOver) {
  ConnectionForm &first = reopen();
  for (int index = 0; index < 40; ++index) {
    first.storeSelectedProfile(profile(u"Desk %1"_s.arg(index), u"10.0.0.9"_s, OSCTransport::tcp));
  }
  QList<SettingsRecord> examples;
  for (const ConsoleConnectionProfile &example : ConnectionForm::builtInConnectionProfiles()) {
    examples.append({.id = uuidText(example.id)});
  }
  file().changeRecords(u"connectionProfiles.v1"_s, {}, examples);
  const QList<ConsoleConnectionProfile> saved = reopen().savedConnectionProfiles();
  ASSERT_EQ(saved.size(), 40);
  const QString path = file().fileName();
  close();
  const QByteArray stored = fileBytes(path);
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
  const SettingsStore::Options retried{.retryDelay = 50ms};
  const ConsoleConnectionProfile added = profile(u"Added"_s, u"10.0.0.2"_s, OSCTransport::tcp);
  const ConsoleConnectionProfile meanwhile =
      profile(u"Made while read"_s, u"10.0.0.3"_s, OSCTransport::udp);
  {
    const WithoutPermissionOverride asAUser;
    const LogCapture log("tarnik.app");
    QStringList madeWithoutIt;
    for (int start = 0; start < 2; ++start) {
      ConnectionForm &form = open(path, retried);
      EXPECT_EQ(form.savedConnectionProfiles(), ConnectionForm::builtInConnectionProfiles());
      EXPECT_EQ(file().fileFailure(),
                SettingsFileFailure(SettingsFileFailure::Step::read, u"Permission denied"_s));
      const ConsoleConnectionProfile made =
          profile(u"Made without it"_s, u"10.0.0.1"_s, OSCTransport::udp);
      madeWithoutIt.append(uuidText(made.id));
      form.storeSelectedProfile(made);
      form.setInteractionMode(InteractionMode::viewer);
      ASSERT_TRUE(waitUntil([&] { return !file().isWriting(); }));
    }
    close();
    const QStringList lost = LogCapture::lines().filter(u"changes not yet written are lost"_s);
    ASSERT_EQ(lost.size(), 2) << LogCapture::lines().join(u'\n').toStdString();
    for (int start = 0; start < 2; ++start) {
      EXPECT_TRUE(lost[start].contains(u"could not be read from"_s));
      EXPECT_TRUE(lost[start].contains(u"connectionProfiles.v1[%1]"_s.arg(madeWithoutIt[start])));
    }
    // The file is mended while another program holds its lock, so the read that finds it
    // waits there, and a save made meanwhile is made without the file too.
    ConnectionForm &form = open(path, retried);
    ProcessRunner holder;
    ASSERT_TRUE(holder.start(QStringLiteral(TARNIK_SETTINGS_PEER), {u"--hold-lock"_s, path}));
    ASSERT_TRUE(
        holder.waitForOutput([](const QByteArray &out) { return out.contains("locked"); }, 10s));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(fileBytes(path), stored);
    // A read begun once the lock is held waits for it.
    ASSERT_TRUE(waitUntil([&] { return !file().isWriting(); }));
    ASSERT_TRUE(waitUntil([&] { return file().isWriting(); }));
    form.storeSelectedProfile(meanwhile);
    form.setInteractionMode(InteractionMode::viewer);
    holder.kill();
    EXPECT_TRUE(
        waitUntil([&] { return form.savedConnectionProfiles() == (saved + QList{meanwhile}); }));
    EXPECT_FALSE(file().fileFailure());
    EXPECT_EQ(form.interactionMode(), InteractionMode::editor);
    EXPECT_EQ(form.selectedConnectionProfileID(), saved.last().id);
    EXPECT_EQ(form.consoleName(), saved.last().name);

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    LogCapture::lines().clear();
    form.setInteractionMode(InteractionMode::editor);
    EXPECT_TRUE(waitUntil([&] {
      return file().fileFailure() ==
             SettingsFileFailure(SettingsFileFailure::Step::readAgain, u"Permission denied"_s);
    }));
    EXPECT_EQ(LogCapture::lines().filter(u"could not be read from"_s).size(), 1)
        << LogCapture::lines().join(u'\n').toStdString();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
    form.storeSelectedProfile(added);
    EXPECT_TRUE(written());
  }
  ConnectionForm &reopened = reopen();
  EXPECT_EQ(reopened.savedConnectionProfiles(), (saved + QList{meanwhile, added}));
  EXPECT_EQ(reopened.interactionMode(), InteractionMode::editor);

  // The program ends within the while before it would read the mended file again.
  const QString last = file().fileName();
  const ConsoleConnectionProfile beforeTheEnd =
      profile(u"Saved before the end"_s, u"10.0.0.4"_s, OSCTransport::tcp);
  {
    ASSERT_EQ(::chmod(QFile::encodeName(last).constData(), 0), 0);
    const WithoutPermissionOverride asAUser;
    open(last, {.retryDelay = 1h}).storeSelectedProfile(beforeTheEnd);
    ASSERT_EQ(::chmod(QFile::encodeName(last).constData(), 0600), 0);
    EXPECT_EQ(reopen().savedConnectionProfiles(), (saved + QList{meanwhile, added, beforeTheEnd}));
  }
}

// A file that could not be read, and holds no saved connections once it can: it is taken
// as a start takes it, the console of an earlier version's single-console keys carried over
// and selected beside the examples, and the connection the person saved meanwhile joins
// them; nothing is made up from the form as typed.
TEST_F(ConnectionFormAlone, ConnectionsSavedWhileTheFileCannotBeReadGoIntoAFileWithoutAny) {
  const QString path = folder.filePath(u"settings.ini"_s);
  ASSERT_TRUE(writeFileWhole(path,
                             "[General]\nconsoleIP=10.0.0.50\nconsoleName=Booth\n"
                             "interactionMode=viewer\n"));
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
  const WithoutPermissionOverride asAUser;
  ConnectionForm &form = open(path, {.retryDelay = 50ms});
  const ConsoleConnectionProfile meanwhile =
      profile(u"Made without it"_s, u"10.0.0.1"_s, OSCTransport::udp);
  form.storeSelectedProfile(meanwhile);
  form.setConsoleIP(u"10.0.0.99"_s);  // typed, never saved
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
  ASSERT_TRUE(waitUntil([&] { return !file().fileFailure() && !file().isWriting(); }));
  const QList<ConsoleConnectionProfile> shown = form.savedConnectionProfiles();
  ASSERT_EQ(shown.size(), ConnectionForm::builtInConnectionProfiles().size() + 2);
  EXPECT_EQ(std::tuple(shown.first().name, shown.first().host),
            std::tuple(u"Booth"_s, u"10.0.0.50"_s));
  EXPECT_EQ(shown.sliced(1), (ConnectionForm::builtInConnectionProfiles() + QList{meanwhile}));
  EXPECT_EQ(form.selectedConnectionProfileID(), shown.first().id);
  EXPECT_EQ(std::tuple(form.consoleIP(), form.interactionMode()),
            std::tuple(u"10.0.0.50"_s, InteractionMode::viewer));
  EXPECT_EQ(reopen().savedConnectionProfiles(), shown);
}

// Two copies of the program on one settings file, as when one person drives two consoles
// from two windows: a connection each saves, or changes, is kept beside the other's; one
// both change keeps the later change, and each shows the other's after its next write.
TEST_F(ConnectionFormAlone, TwoCopiesThatEachSaveAConnectionKeepBoth) {
  ConnectionForm &first = reopen();
  SettingsStore secondFile(file().fileName());
  ConnectionForm second(secondFile, {}, {});
  const auto written = [](SettingsStore &store) {
    return waitUntil([&] { return !store.isWriting(); }) && !store.fileFailure();
  };
  const ConsoleConnectionProfile addedA = profile(u"Added A"_s, u"10.0.0.1"_s, OSCTransport::tcp);
  ConsoleConnectionProfile addedB = profile(u"Added B"_s, u"10.0.0.2"_s, OSCTransport::udp);
  first.storeSelectedProfile(addedA);
  ASSERT_TRUE(written(file()));
  second.storeSelectedProfile(addedB);
  ASSERT_TRUE(written(secondFile));
  const QList<ConsoleConnectionProfile> both =
      ConnectionForm::builtInConnectionProfiles() + QList{addedA, addedB};
  EXPECT_EQ(second.savedConnectionProfiles(), both);

  ConsoleConnectionProfile changedA = addedA;
  changedA.name = u"Changed in the first"_s;
  first.storeSelectedProfile(changedA);
  ASSERT_TRUE(written(file()));
  EXPECT_EQ(first.savedConnectionProfiles(),
            (ConnectionForm::builtInConnectionProfiles() + QList{changedA, addedB}));
  changedA.name = u"Changed in the second"_s;
  second.storeSelectedProfile(changedA);
  ASSERT_TRUE(written(secondFile));
  // The first still shows its own change of A: a save of another connection leaves A be.
  const ConsoleConnectionProfile addedC = profile(u"Added C"_s, u"10.0.0.3"_s, OSCTransport::tcp);
  first.storeSelectedProfile(addedC);
  ASSERT_TRUE(written(file()));
  EXPECT_EQ(reopen().savedConnectionProfiles(),
            (ConnectionForm::builtInConnectionProfiles() + QList{changedA, addedB, addedC}));
}

// A stored list this version cannot read is all the user may have: choosing, clearing and
// switching modes leave its bytes alone; only a save moves them aside.
TEST_F(ConnectionFormAlone, AnUnreadableListOutlivesEverythingButASave) {
  const QString unreadable = u"[{\"id\":\"C4A811E0-0000-4000-8000-000000000001\"}]"_s;
  reopen();
  file().setValue(u"connectionProfiles.v1"_s, unreadable);
  ConnectionForm &form = reopen();
  EXPECT_EQ(form.savedConnectionProfiles(), ConnectionForm::builtInConnectionProfiles());
  form.selectProfile(ConnectionForm::builtInConnectionProfiles().front());
  form.setInteractionMode(InteractionMode::viewer);
  form.clear();
  form.rememberLastConnected(ConnectionForm::builtInConnectionProfiles().front());

  ConnectionForm &reopened = reopen();
  EXPECT_EQ(file().value(u"connectionProfiles.v1"_s).toString(), unreadable);
  EXPECT_EQ(reopened.profileStorageError(),
            u"Saved connections could not be read. The original data is retained until you "
            u"explicitly save a connection."_s);
  reopened.storeSelectedProfile(profile(u"Desk"_s, u"10.0.0.9"_s, OSCTransport::tcp));
  EXPECT_EQ(file().value(u"connectionProfiles.unreadable.v1"_s).toString(), unreadable);
}

// Another program leaves the saved list in a form this version cannot read (a hand edit gone
// wrong, a newer version's record) after this copy last read it: a save keeps that text
// aside, never over one kept before, writes every connection the page shows in its place
// and says where the text is. A copy that started on such a list says so only until it
// reads one again.
TEST_F(ConnectionFormAlone, AListAnotherProgramLeftUnreadableIsKeptAsideAndTheShownOneWritten) {
  const QString profilesKey = u"connectionProfiles.v1"_s;
  ConnectionForm &form = reopen();
  form.storeSelectedProfile(profile(u"Desk"_s, u"10.0.0.9"_s, OSCTransport::tcp));
  ASSERT_TRUE(written());
  const struct Row {
    QString text;
    QString keptUnder;
  } rows[] = {{u"not a list"_s, u"connectionProfiles.unreadable.v1"_s},
              {u"[{\"id\":\"C4A811E0-0000-4000-8000-0000000000AA\",\"name\":\"Next\","
               u"\"host\":\"10.0.0.5\",\"transport\":\"websocket\",\"destinationPort\":80,"
               u"\"udpListenPort\":8001,\"tcpFraming\":\"slip\"}]"_s,
               u"connectionProfiles.unreadable.v1.2"_s}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.keptUnder.toStdString());
    ASSERT_TRUE(setByAnotherProgram(profilesKey, row.text));
    const ConsoleConnectionProfile added = profile(u"Added"_s, u"10.0.0.2"_s, OSCTransport::udp);
    const QList<ConsoleConnectionProfile> shown = form.savedConnectionProfiles() + QList{added};
    form.storeSelectedProfile(added);
    ASSERT_TRUE(written());
    EXPECT_EQ(form.savedConnectionProfiles(), shown);
    EXPECT_EQ(SettingsStore(file().fileName()).value(row.keptUnder), row.text);
    EXPECT_EQ(form.profileStorageError(),
              u"Saved connections could not be read. Their original data is kept under “%1”."_s.arg(
                  row.keptUnder));
  }
  const QString listShown = file().value(profilesKey).toString();
  ConnectionForm &reopened = reopen();
  EXPECT_EQ(file().value(rows[0].keptUnder), rows[0].text);
  EXPECT_EQ(reopened.savedConnectionProfiles().size(),
            ConnectionForm::builtInConnectionProfiles().size() + 3);

  ASSERT_TRUE(setByAnotherProgram(profilesKey, rows[0].text));
  ConnectionForm &again = reopen();
  EXPECT_EQ(again.profileStorageError(),
            u"Saved connections could not be read. The original data is retained until you "
            u"explicitly save a connection."_s);
  ASSERT_TRUE(setByAnotherProgram(profilesKey, listShown));
  again.setInteractionMode(InteractionMode::viewer);
  ASSERT_TRUE(written());
  EXPECT_EQ(again.profileStorageError(), std::nullopt);
  EXPECT_EQ(again.savedConnectionProfiles().size(),
            ConnectionForm::builtInConnectionProfiles().size() + 3);
}

// A keychain that hangs holds up the load it hangs in, and no more: of the relay profiles
// chosen meanwhile, only the last one's code is read once it answers.
TEST_F(ConnectionFormAlone, ProfilesChosenWhileTheKeychainHangsReadOnlyTheLastOnesCode) {
  HeldAnswer hung;
  QStringList asked;  // written on the keychain's thread, read once it is done
  SettingsStore file(folder.filePath(u"hung.ini"_s));
  ConnectionForm form(file, {}, [&](const QString &account) -> ConnectionForm::LoadedRelayKey {
    asked.append(account);
    if (asked.size() == 1) hung.await();
    return u"code of "_s + account;
  });
  QList<ConsoleConnectionProfile> relays;
  for (const QString &name : {u"First"_s, u"Second"_s, u"Third"_s, u"Last"_s}) {
    relays.append(profile(name, u"10.0.0.7"_s, OSCTransport::tcp));
    relays.last().usesMacRelay = true;
  }
  form.selectProfile(relays.first());
  ASSERT_TRUE(waitUntil([&] { return hung.calls == 1; }));
  for (const ConsoleConnectionProfile &relay : relays.sliced(1)) form.selectProfile(relay);
  ASSERT_TRUE(hung.releaseFromEventLoop());
  settleBackgroundWork();

  const QString last = ConnectionForm::relayKeyAccount(relays.last().id);
  EXPECT_EQ(asked, QStringList({ConnectionForm::relayKeyAccount(relays.first().id), last}));
  EXPECT_EQ(form.relayPairingCode(), u"code of "_s + last);
}

}  // namespace
}  // namespace tarnik::testing
