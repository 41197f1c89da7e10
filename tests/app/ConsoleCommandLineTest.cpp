// The console's command line built alone on virtual time: what the console reports unasked
// lands in the right values, and the history keeps its rows across what ends a session.

#include "app/ConsoleCommandLine.h"
#include "support/ManualAppTiming.h"
#include "support/QtPrinting.h"
#include "support/QtTestApplication.h"

#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

// Views into the address, which the caller keeps alive.
AddressComponents componentsOf(const QString &address) {
  AddressComponents components;
  for (const QStringView part : QStringView(address).split(u'/', Qt::SkipEmptyParts))
    components.append(part);
  return components;
}

class ConsoleCommandLineAlone : public ::testing::Test {
 protected:
  ConsoleCommandLineAlone() { ensureCoreApplication(); }

  std::shared_ptr<ManualAppTiming> timing = std::make_shared<ManualAppTiming>();
};

// An echo is told apart on uptime, so a wall clock that steps neither doubles an echo nor
// swallows a new line; the rows carry the wall-clock date the history screen shows.
TEST_F(ConsoleCommandLineAlone, TheEchoWindowRunsOnUptimeAndRowsCarryTheWallClockDate) {
  ConsoleCommandLine commandLine(timing);
  const double firstDate = timing->date();
  commandLine.handleCommandLineText(u"LIVE: Chan 1"_s);
  timing->stepDate(3600);
  commandLine.handleCommandLineText(u"LIVE: Chan 1"_s);
  timing->stepDate(-7200);
  timing->advance(0.3);
  commandLine.handleCommandLineText(u"LIVE: Chan 1"_s);

  const QList<CommandHistoryEntry> &history = commandLine.commandHistory();
  ASSERT_EQ(history.size(), 2);
  EXPECT_EQ(history.first().timestamp, firstDate);
  EXPECT_EQ(history.last().timestamp, timing->date());
  EXPECT_NE(history.first().id, history.last().id);
}

// A lost session forgets everything the console said; a show that went away only its cues.
// Neither touches the history, the last command, the mode or the echo window.
TEST_F(ConsoleCommandLineAlone, EndingASessionOrAShowForgetsOnlyWhatItShould) {
  const struct {
    const char *name;
    std::function<void(ConsoleCommandLine &)> end;
    bool keepsConsoleState;
  } cases[] = {
      {"session", &ConsoleCommandLine::resetSession, false},
      {"show", &ConsoleCommandLine::clearCues, true},
  };
  const QString userLine = u"eos/out/user/2/cmd"_s;
  for (const auto &row : cases) {
    SCOPED_TRACE(row.name);
    ConsoleCommandLine commandLine(timing);
    commandLine.noteConsoleUser(2);
    commandLine.handleCommandLineText(u"LIVE: Chan 1 #"_s);
    ASSERT_TRUE(commandLine.handleSoftkey(3, u"Go To"_s));
    commandLine.handleCueText(false, u"1/5 Act 45%"_s);
    commandLine.handleCueText(true, u"6 Next"_s);
    commandLine.noteSent(u"Key Go"_s);
    const QList<CommandHistoryEntry> history = commandLine.commandHistory();

    row.end(commandLine);

    EXPECT_EQ(std::tuple(commandLine.activeCue(), commandLine.activeCueNumber(),
                         commandLine.activeCueLabel(), commandLine.pendingCueNumber(),
                         commandLine.pendingCueLabel()),
              std::tuple(QString(), QString(), QString(), QString(), QString()));
    EXPECT_EQ(commandLine.activeCueProgress(), std::nullopt);
    const bool kept = row.keepsConsoleState;
    EXPECT_EQ(commandLine.consoleUser(), kept ? std::optional<qint64>(2) : std::nullopt);
    EXPECT_EQ(commandLine.isCommandLineFeedback(componentsOf(userLine)), kept);
    EXPECT_EQ(commandLine.rawConsoleCommandLine(), kept ? u"LIVE: Chan 1 #"_s : QString());
    EXPECT_EQ(commandLine.displayedCommandLine(), kept ? u"Chan 1 ◆"_s : QString());
    EXPECT_EQ(commandLine.commandLineText(), kept ? u"Chan 1 ◆"_s : QString());
    ASSERT_EQ(commandLine.softkeyLabels().size(), 12);
    EXPECT_EQ(commandLine.softkeyLabels()[2], kept ? u"Go To"_s : QString());
    EXPECT_EQ(commandLine.consoleModeLabel(), u"LIVE"_s);
    EXPECT_EQ(commandLine.lastCommandSummary(), u"Key Go"_s);
    // The console repeating its line right after a reconnect is still an echo.
    commandLine.handleCommandLineText(u"LIVE: Chan 1 #"_s);
    EXPECT_EQ(commandLine.commandHistory(), history);
  }
}

// Cue number messages: a pending one moves only the pending number, an active one only the
// active number and progress; an address of another shape changes nothing.
TEST_F(ConsoleCommandLineAlone, CueNumberMessagesMoveOnlyTheirOwnCue) {
  struct Case {
    QString address;
    QList<OSCArgument> arguments;
    QString activeNumber;
    std::optional<double> activeProgress;
    QString pendingNumber;
  };
  const QList<Case> cases{
      {u"/eos/out/pending/cue/1/7"_s, {}, u"9"_s, 0.5, u"7"_s},
      {u"/eos/out/active/cue/1/7"_s, {OSCArgument::fromInt(3)}, u"7"_s, 1.0, u"8"_s},
      {u"/eos/out/pending/cue/1/text"_s, {}, u"9"_s, 0.5, u"8"_s},
      {u"/eos/out/pending/cue/1"_s, {}, u"9"_s, 0.5, u"8"_s},
      {u"/eos/out/pending/cues/1/7"_s, {}, u"9"_s, 0.5, u"8"_s},
      {u"/eos/out/active/cue/1/7a"_s, {OSCArgument::fromInt(1)}, u"9"_s, 0.5, u"8"_s},
      {u"/eos/in/active/cue/1/7"_s, {OSCArgument::fromInt(1)}, u"9"_s, 0.5, u"8"_s},
  };
  for (const Case &row : cases) {
    SCOPED_TRACE(row.address.toStdString() + " #" + std::to_string(&row - cases.data()));
    ConsoleCommandLine commandLine(timing);
    commandLine.handleCueText(false, u"9 Old 50%"_s);
    commandLine.handleCueText(true, u"8 Next"_s);
    const AddressComponents components = componentsOf(row.address);
    commandLine.handleCueNumber(components.value(2) == u"pending"_s, components, row.arguments);
    EXPECT_EQ(commandLine.activeCueNumber(), row.activeNumber);
    EXPECT_EQ(commandLine.activeCue(), row.activeNumber);
    EXPECT_EQ(commandLine.activeCueLabel(), u"Old"_s);
    EXPECT_EQ(commandLine.activeCueProgress(), row.activeProgress);
    EXPECT_EQ(commandLine.pendingCueNumber(), row.pendingNumber);
    EXPECT_EQ(commandLine.pendingCueLabel(), u"Next"_s);
  }
}

}  // namespace
}  // namespace tarnik::testing
