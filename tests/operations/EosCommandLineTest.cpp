#include "operations/EosCommandLine.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using namespace EosCommandLine;

QString text(const char16_t *utf16) { return QString::fromUtf16(utf16); }

TEST(EosCommandLine, NormalizesEveryUnicodeWhiteSpaceRun) {
  const struct {
    const char16_t *input;
    const char16_t *expected;
  } rows[] = {
      {u"", u""},
      {u" \t\r\n ", u""},
      {u"  Chan\t 1  +\n1 ", u"Chan 1 + 1"},
      {u"\u00A0a\u2003b\u3000c\u2028d\u0085", u"a b c d"},
      {u"a\u200Bb", u"a\u200Bb"} /* zero-width space is not white space */,
      {u"a \u0301b", u"a \u0301b"} /* the blank still separates before a combining mark */,
  };
  for (const auto &row : rows) EXPECT_EQ(normalize(text(row.input)), text(row.expected));
}

TEST(EosCommandLine, RecognisesCueNumberTokens) {
  for (const char16_t *token : {u"5", u"1/5", u"5.5", u"1/5.5", u"1.2/3.4", u"0012"})
    EXPECT_TRUE(isChannelNumberToken(text(token))) << text(token).toStdString();
  for (const char16_t *token :
       {u"", u"/5", u"5/", u"5.", u".5", u"1/2/3", u"1.2.3", u"5a", u" 5", u"+5", u"\u0665"})
    EXPECT_FALSE(isChannelNumberToken(text(token))) << text(token).toStdString();
}

TEST(EosCommandLine, MatchesEchoesThatAcknowledgeTheExpectedCommand) {
  const QString expected = "Chan 1 + 1 Thru 1 #";
  const struct {
    const char16_t *echo;
    qint32 status;
    bool matches;
  } rows[] = {
      {u"Patch Channel: Chan 1 + 1 Thru 1 #", 0, true},
      {u"LIVE: Chan 1 + 1 Thru 1 #", 0, true},
      {u"LIVE: Cue 1/5 : Chan 1 + 1 Thru 1 #", 0, true},
      {u"LIVE:\tCue 12.5  : Chan 1 + 1 Thru 1 #", 0, true},
      {u"Patch Channel: Chan 1 + 1 Thru 1 #", 1, false},
      {u"LIVE: Cue 1/5 : Chan 1 + 1 Thru 1 #", 1, false},
      {u"LIVE: Cue x : Chan 1 + 1 Thru 1 #", 0, false},
      {u"LIVE: Cue 1/5 : Chan 1 + 1 Thru 1 # 2", 0, false},
      {u"LIVE: Cue 1/5 : Chan 1 + 1 Thru #", 0, false},
      {u"LIVE: Cue 1/5 Chan 1 + 1 Thru 1 #", 0, false},
      {u"LIVE: cue 1/5 : Chan 1 + 1 Thru 1 #", 0, false},
      {u"live: Chan 1 + 1 Thru 1 #", 0, false},
      {u"Patch Channel: Chan 1 + 1 Thru 1", 0, false},
      // Whole-text forms compare exactly: doubled blanks match only once normalised.
      {u"Patch Channel: Chan 1 +  1 Thru 1 #", 0, false},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(matchesEcho(text(row.echo), row.status, expected), row.matches)
        << text(row.echo).toStdString() << " status " << row.status;
  }
  EXPECT_TRUE(matchesEcho(normalize(u"Patch Channel: Chan 1 +  1 Thru 1 #"), 0, expected));
  // The expected text of the cue form splits at single blanks only.
  EXPECT_TRUE(matchesEcho(u"LIVE: Cue 3 : Chan 1 #", 0, u"Chan  1 #"));
  EXPECT_FALSE(matchesEcho(u"LIVE: Cue 3 : Chan 1 #", 0, u"Chan\t1 #"));
}

TEST(EosCommandLine, ReadsTheUserOfACommandLineAddress) {
  const struct {
    const char16_t *address;
    std::optional<int> user;
  } rows[] = {
      {u"/eos/out/user/7/cmd", 7},
      {u"//eos//out/user//7//cmd/", 7},
      {u"/eos/out/user/+7/cmd", 7},
      {u"/eos/out/user/7/cmd/x", std::nullopt},
      {u"/eos/out/user/7 /cmd", std::nullopt},
      {u"/eos/out/user/x/cmd", std::nullopt},
      {u"/eos/out/user//cmd", std::nullopt},
      {u"/eos/out/user/99999999999/cmd", std::nullopt},
      {u"/eos/out/7/cmd", std::nullopt},
  };
  for (const auto &row : rows)
    EXPECT_EQ(commandAddressUser(text(row.address)), row.user) << text(row.address).toStdString();
}

TEST(EosCommandLine, ReadsOnlyAStringAndAnIntAsEchoArguments) {
  const auto message = [](QList<OSCArgument> arguments) {
    return OSCMessage{"/eos/out/user/7/cmd", std::move(arguments)};
  };
  EXPECT_EQ(
      commandLineArguments(message({OSCArgument::fromString("LIVE:"), OSCArgument::fromInt(3)})),
      (Echo{"LIVE:", 3}));
  for (const auto &arguments : QList<QList<OSCArgument>>{
           {},
           {OSCArgument::fromString("LIVE:")},
           {OSCArgument::fromString("LIVE:"), OSCArgument::fromInt(0), OSCArgument::fromInt(0)},
           {OSCArgument::fromInt(0), OSCArgument::fromString("LIVE:")},
           {OSCArgument::fromString("LIVE:"), OSCArgument::fromFloat(0)},
           {OSCArgument::fromString("LIVE:"), OSCArgument::fromBool(false)},
       }) {
    EXPECT_EQ(commandLineArguments(message(arguments)), std::nullopt);
  }
}

TEST(EosCommandLine, TellsEmptyCommandLinesInAnyLetterCase) {
  const struct {
    const char16_t *text;
    qint32 status;
    bool emptyLive;
    bool empty;
  } rows[] = {
      {u"LIVE:", 0, true, true},
      {u"  live: ", 0, true, true},
      {u"LIVE: Cue 1/5 :", 0, true, true},
      {u"live:\tcue  12 :", 0, true, true},
      {u"LIVE: Cue 1 : Chan 1", 0, false, false},
      {u"LIVE: Cue :", 0, false, false},
      {u"LIVE: Cue 1 2 :", 0, false, false},
      {u"LIVE:", 1, false, false},
      {u"Patch Channel:", 0, false, true},
      {u"PATCH  channel: ", 0, false, true},
      {u"Patch Channel:", 2, false, false},
      {u"Patch Channel: Chan 1", 0, false, false},
      {u"", 0, false, false},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(isEmptyLiveEcho(text(row.text), row.status), row.emptyLive)
        << text(row.text).toStdString();
    EXPECT_EQ(isEmptyEcho(text(row.text), row.status), row.empty) << text(row.text).toStdString();
  }
}

}  // namespace
}  // namespace tarnik
