// Console feedback, commands through the control gate, and change notifications, against
// the console double where the console takes part.

#include "AppViewModelTestSupport.h"
#include "foundation/UptimeClock.h"
#include "link/OSCManagerTestSupport.h"
#include "support/QtPrinting.h"

#include <QUdpSocket>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

OSCArgument text(const QString &value) { return OSCArgument::fromString(value); }

class AppViewModelFeedbackTest : public AppViewModelTest {};

TEST_F(AppViewModelFeedbackTest, CommandLinesAreShownAndRecordedOnce) {
  const std::unique_ptr<AppViewModel> model = makeModel();
  const auto line = [&](const char *address, const QString &value) {
    model->handleOSCMessage(QString::fromUtf8(address), {text(value)});
  };
  // raw, mode, displayed after each line
  struct Case {
    QString line, raw, mode, displayed;
  };
  const QList<Case> cases{
      {u"LIVE: Chan 1 Full #"_s, u"LIVE: Chan 1 Full #"_s, u"LIVE"_s, u"Chan 1 Full ◆"_s},
      {u"live: Cue 12.5 : Go"_s, u"live: Cue 12.5 : Go"_s, u"LIVE"_s, u"Q12.5: Go"_s},
      {u"BLIND:"_s, u"BLIND:"_s, u"BLIND"_s, QString()},
      {u" Chan 2\u00a0"_s, u"Chan 2"_s, u"BLIND"_s, u"Chan 2"_s},
      {u"Patch Channel: 5"_s, u"Patch Channel: 5"_s, u"PATCH"_s, u"5"_s},
  };
  for (const Case &row : cases) {
    line("/eos/out/cmd", row.line);
    EXPECT_EQ(model->rawConsoleCommandLine(), row.raw);
    EXPECT_EQ(model->consoleModeLabel(), row.mode);
    EXPECT_EQ(model->displayedCommandLine(), row.displayed);
    EXPECT_EQ(model->commandLineText(), row.displayed);
  }
  // Another user's line counts only while this connection is that user.
  line("/eos/out/user/3/cmd", u"Other"_s);
  model->handleOSCMessage(u"/eos/out/user"_s, {OSCArgument::fromInt(2)});
  line("/eos/out/user/3/cmd", u"Other"_s);
  EXPECT_EQ(model->rawConsoleCommandLine(), u"Patch Channel: 5"_s);
  line("/eos/out/user/2/cmd", u"Mine"_s);
  EXPECT_EQ(model->rawConsoleCommandLine(), u"Mine"_s);

  // A repeat within 0.25 s is one entry; 0.3 s later it is a new one.
  line("/eos/out/cmd", u"Mine"_s);
  timing->advance(0.3);
  line("/eos/out/cmd", u"Mine"_s);
  QStringList recorded;
  for (const CommandHistoryEntry &entry : model->commandHistory()) {
    EXPECT_EQ(entry.source, u"Console"_s);
    recorded.append(entry.text);
  }
  EXPECT_EQ(recorded, (QStringList{u"LIVE: Chan 1 Full #"_s, u"live: Cue 12.5 : Go"_s, u"BLIND:"_s,
                                   u"Chan 2"_s, u"Patch Channel: 5"_s, u"Mine"_s, u"Mine"_s}));
}

TEST_F(AppViewModelFeedbackTest, CueFeedbackReadsNumberLabelAndProgress) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char *address;
    OSCArgument argument;
    QString number, label;
    std::optional<double> progress;
  };
  // Each row starts from cue "9", label "Old", progress 0.5.
  const QList<Case> cases{
      {"/eos/out/active/cue/text", text(u"1/5 Act 3 45%"_s), u"5"_s, u"Act"_s, 0.45},
      {"/eos/out/active/cue/text", text(u"5 Act 2"_s), u"5"_s, u"Act"_s, {}},
      {"/eos/out/active/cue/text", text(u"5 150%"_s), u"5"_s, QString(), 1.0},
      {"/eos/out/active/cue/text", text(u"5 -20%"_s), u"5"_s, QString(), 0.0},
      {"/eos/out/active/cue/text", text(u"5 Act nan%"_s), u"5"_s, u"Act nan%"_s, {}},
      {"/eos/out/active/cue/text", text(u"5 Act x%"_s), u"5"_s, u"Act x%"_s, {}},
      {"/eos/out/active/cue/text", text(u"x5 Act"_s), u"9"_s, u"Old"_s, 0.5},
      {"/eos/out/active/cue/text", text(u"  "_s), QString(), QString(), {}},
      {"/eos/out/active/cue/1/7", OSCArgument::fromFloat(0.25f), u"7"_s, u"Old"_s, 0.25},
      {"/eos/out/active/cue/1/7", OSCArgument::fromInt(1), u"7"_s, u"Old"_s, 1.0},
      {"/eos/out/active/cue/1/7", text(u"0.9"_s), u"7"_s, u"Old"_s, 0.5},
      {"/eos/out/active/cue/1/7", OSCArgument::fromFloat(nan), u"7"_s, u"Old"_s, 0.5},
      {"/eos/out/active/cue/1/7.", OSCArgument::fromInt(1), u"9"_s, u"Old"_s, 0.5},
  };
  for (const Case &row : cases) {
    SCOPED_TRACE(row.address + (" #" + std::to_string(&row - cases.data())));
    const std::unique_ptr<AppViewModel> model = makeModel();
    model->handleOSCMessage(u"/eos/out/active/cue/text"_s, {text(u"9 Old 50%"_s)});
    model->handleOSCMessage(QString::fromUtf8(row.address), {row.argument});
    EXPECT_EQ(model->activeCueNumber(), row.number);
    EXPECT_EQ(model->activeCue(), row.number);
    EXPECT_EQ(model->activeCueLabel(), row.label);
    EXPECT_EQ(model->activeCueProgress(), row.progress);
  }
}

TEST_F(AppViewModelFeedbackTest, PendingCueAndShowNameKeepWhatTheyCannotRead) {
  const std::unique_ptr<AppViewModel> model = makeModel();
  model->handleOSCMessage(u"/eos/out/pending/cue/text"_s, {text(u"1/8 Finale 40%"_s)});
  EXPECT_EQ(model->pendingCueNumber(), u"8"_s);
  EXPECT_EQ(model->pendingCueLabel(), u"Finale"_s);
  model->handleOSCMessage(u"/eos/out/pending/cue/1/9"_s, {});
  EXPECT_EQ(model->pendingCueNumber(), u"9"_s);
  EXPECT_EQ(model->activeCueNumber(), QString());
  model->handleOSCMessage(u"/eos/out/show/name"_s, {text(u" Gala "_s)});
  model->handleOSCMessage(u"/eos/out/show/name"_s, {text(u" \t "_s)});
  EXPECT_EQ(model->showFileName(), u"Gala"_s);
}

}  // namespace
}  // namespace tarnik::testing
