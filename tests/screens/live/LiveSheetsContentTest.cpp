// The two Live sheets' rules as plain values: the show details rows and the history's
// selection and badge colours.

#include "screens/live/CommandHistoryPresentation.h"
#include "screens/live/ShowDetailsContent.h"
#include "support/QtPrinting.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;
namespace H = CommandHistoryPresentation;

QString valueOf(const QList<ShowDetailsRow> &rows, const QString &name) {
  for (const ShowDetailsRow &row : rows) {
    if (row.name == name) return row.value;
  }
  return u"<absent>"_s;
}

TEST(ShowDetailsContent, CurrentShowRowsAreTrimmedOrFallBack) {
  const ShowDetailsContent blank =
      showDetailsContent({.showFileName = u"   "_s, .consoleName = u""_s, .consoleIP = u"\n"_s});
  EXPECT_EQ(
      blank.currentShow,
      (QList<ShowDetailsRow>{{u"show"_s, u"Show"_s, u"No show loaded"_s},
                             {u"console"_s, u"Console"_s, u"No console selected"_s},
                             {u"consoleAddress"_s, u"Console address"_s, u"Not configured"_s}}));
  const ShowDetailsContent named = showDetailsContent(
      {.showFileName = u" Gala "_s, .consoleName = u" Ion "_s, .consoleIP = u" 127.0.0.1 "_s});
  EXPECT_EQ(valueOf(named.currentShow, u"show"_s), u"Gala"_s);
  EXPECT_EQ(valueOf(named.currentShow, u"console"_s), u"Ion"_s);
  EXPECT_EQ(valueOf(named.currentShow, u"consoleAddress"_s), u"127.0.0.1"_s);
}

TEST(ShowDetailsContent, ConnectionSyncAndNoteFollowReachabilityAndTheCachedData) {
  struct Case {
    const char *name;
    ShowDetailsInput input;
    QString connection, sync;
    bool consoleReported;
  };
  const QList<Case> cases{
      {"reachable",
       {.isConsoleReachable = true,
        .isTransportConnected = true,
        .cueCount = 3,
        .dataStatusMessage = u"Synced"_s},
       u"Eos responsive"_s,
       u"Synced"_s,
       true},
      {"reachable, empty status",
       {.isConsoleReachable = true, .dataStatusMessage = u""_s},
       u"Eos responsive"_s,
       u""_s,
       true},
      {"connected, unreachable",
       {.isTransportConnected = true, .cueCount = 2, .dataStatusMessage = u"Synced"_s},
       u"Waiting for Eos response"_s,
       u"Offline — cached snapshot"_s,
       false},
      {"offline, one channel only",
       {.channelCount = 1},
       u"Offline"_s,
       u"Offline — cached snapshot"_s,
       false},
      {"offline, nothing cached",
       {.dataStatusMessage = u"Synced"_s},
       u"Offline"_s,
       u"Offline — no cached show data"_s,
       false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const ShowDetailsContent content = showDetailsContent(c.input);
    EXPECT_EQ(valueOf(content.loadedData, u"connection"_s), c.connection);
    EXPECT_EQ(valueOf(content.loadedData, u"sync"_s), c.sync);
    EXPECT_EQ(content.note,
              (c.consoleReported ? u"Tarnik is showing the console-reported show."_s
                                 : u"Tarnik is showing the last cached show snapshot."_s) +
                  u" Show switching is not available in this version."_s);
  }
}

TEST(ShowDetailsContent, CountsArePlainDigitsAndLastRefreshOnlyWithADate) {
  const QLocale previous;
  QLocale::setDefault(QLocale(u"de_DE"_s));
  const ShowDetailsContent many = showDetailsContent({.cueCount = 12000, .channelCount = 0});
  QLocale::setDefault(previous);
  EXPECT_EQ(valueOf(many.loadedData, u"cues"_s), u"12000"_s);
  EXPECT_EQ(valueOf(many.loadedData, u"patchedChannels"_s), u"0"_s);
  EXPECT_EQ(many.loadedData.size(), 4);
  EXPECT_EQ(valueOf(many.loadedData, u"lastRefresh"_s), u"<absent>"_s);

  const ShowDetailsContent refreshed = showDetailsContent({.lastRefreshText = u"Dec 6"_s});
  ASSERT_EQ(refreshed.loadedData.size(), 5);
  EXPECT_EQ(refreshed.loadedData.last(),
            (ShowDetailsRow{u"lastRefresh"_s, u"Last refresh"_s, u"Dec 6"_s}));
}

QList<CommandHistoryEntry> numbered(int count) {
  QList<CommandHistoryEntry> entries;
  for (int number = 1; number <= count; ++number) {
    entries.append({QUuid::createUuid(), QString::number(number), double(number), u"Sent"_s});
  }
  return entries;
}

QStringList texts(const QList<CommandHistoryEntry> &entries) {
  QStringList shown;
  for (const CommandHistoryEntry &entry : entries) shown.append(entry.text);
  return shown;
}

TEST(CommandHistoryPresentation, RecentEntriesAreTheNewestFirstAndNeverReachPastTheList) {
  const QList<CommandHistoryEntry> recent = H::recentEntries(numbered(150), 100);
  ASSERT_EQ(recent.size(), 100);
  EXPECT_EQ(recent.first().text, u"150"_s);
  EXPECT_EQ(recent.last().text, u"51"_s);
  EXPECT_EQ(texts(H::recentEntries(numbered(3), 100)), (QStringList{u"3"_s, u"2"_s, u"1"_s}));
  EXPECT_TRUE(H::recentEntries(numbered(3), 0).isEmpty());
  EXPECT_TRUE(H::recentEntries(numbered(3), -1).isEmpty());
  EXPECT_TRUE(H::recentEntries({}, 100).isEmpty());
}

TEST(CommandHistoryPresentation, SourceColoursMatchInAnyCaseButUntrimmed) {
  const QList<std::pair<QString, HistorySourceColor>> cases{
      {u"Console"_s, HistorySourceColor::blue}, {u"console"_s, HistorySourceColor::blue},
      {u"SENT"_s, HistorySourceColor::green},   {u"Rejected"_s, HistorySourceColor::orange},
      {u""_s, HistorySourceColor::secondary},   {u" sent"_s, HistorySourceColor::secondary},
  };
  for (const auto &[source, colour] : cases) {
    EXPECT_EQ(H::sourceColor(source), colour) << source.toStdString();
  }
}

}  // namespace
}  // namespace tarnik::testing
