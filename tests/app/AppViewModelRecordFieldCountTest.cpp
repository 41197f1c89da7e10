// Cue and patch records of another length than the ones the model knows: longer ones from
// newer console software sync with their extra fields ignored; shorter ones, and counts no
// record can have, are dropped, and every drop is logged.

#include "AppViewModelTestSupport.h"
#include "app/CueReplyFields.h"
#include "app/FragmentAccumulator.h"
#include "app/PatchPartReply.h"
#include "link/OSCManagerTestSupport.h"
#include "support/LogCapture.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

// Every record of the show resized to count fields (the known ones first, then blanks).
ConsoleShow resized(ConsoleShow show, qsizetype cueFields, qsizetype patchFields) {
  for (ConsoleCue &cue : show.cueLists[1])
    cue.fields.resize(cueFields, OSCArgument::fromString(u"newer"_s));
  for (ConsolePatchPart &part : show.patch)
    part.fields.resize(patchFields, OSCArgument::fromString(u"newer"_s));
  return show;
}

using RecordFieldCount = AppViewModelTest;

TEST_F(RecordFieldCount, LongerRecordsSyncAndShorterOnesAreDroppedAndLogged) {
  const ConsoleShow known = generateConsoleShow(4, 3, 9);
  const struct {
    qsizetype cueFields, patchFields;
    bool syncs;
  } cases[] = {
      {cueReplyFieldCount + 2, patchReplyFieldCount + 2, true},
      {65, 65, true},
      {1000, 1000, true},
      {cueReplyFieldCount - 2, patchReplyFieldCount, false},
      {cueReplyFieldCount, patchReplyFieldCount - 2, false},
  };
  // What the known lengths publish, for comparison.
  EosConsoleDouble reference;
  reference.setShow(known);
  auto model = makeModel({.oscManager = makeManager(packetLengthCase)});
  model->oscManager()->connect(u"127.0.0.1"_s, reference.tcpPort(OSCTCPFraming::packetLength));
  ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == "Synced"_L1; }));
  const QList<Cue> cues = model->cues();
  const qsizetype channelCount = model->channels().size();

  for (const auto &row : cases) {
    SCOPED_TRACE(::testing::Message()
                 << row.cueFields << " cue fields, " << row.patchFields << " patch fields");
    LogCapture log("tarnik.app");
    EosConsoleDouble console;
    console.setShow(resized(known, row.cueFields, row.patchFields));
    model = makeModel({.oscManager = makeManager(packetLengthCase)});
    model->oscManager()->connect(u"127.0.0.1"_s, console.tcpPort(OSCTCPFraming::packetLength));
    if (row.syncs) {
      ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == "Synced"_L1; }))
          << model->dataStatusMessage().toStdString();
      EXPECT_EQ(model->cues(), cues);
      EXPECT_EQ(model->channels().size(), channelCount);
      EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(u'\n').toStdString();
      continue;
    }
    const bool cuesShort = row.cueFields < cueReplyFieldCount;
    const QString address =
        cuesShort ? u"/eos/out/get/cue/1/%1/0/list/0/%2"_s.arg(known.cueLists.at(1)[0].number)
                        .arg(row.cueFields)
                  : u"/eos/out/get/patch/%1/%2/list/0/%3"_s.arg(known.patch[0].channel)
                        .arg(known.patch[0].part)
                        .arg(row.patchFields);
    EXPECT_TRUE(waitUntil([&] {
      return log.lines().filter(address).size() == 1 &&
             log.lines()
                     .filter(QString::number(cuesShort ? row.cueFields : row.patchFields))
                     .size() >= 1;
    })) << log.lines().join(u'\n').toStdString();
    EXPECT_NE(model->dataStatusMessage(), "Synced"_L1);
    EXPECT_TRUE(model->cues().isEmpty());
  }
}

TEST_F(RecordFieldCount, ACountNoRecordCanHaveIsRefusedAndLogged) {
  LogCapture log("tarnik.app");
  auto model = makeModel();
  const QString tooMany = QString::number(FragmentAccumulator::maximumFieldCount + 1);
  model->handleOSCMessage(u"/eos/out/get/cue/1/1/0/list/0/"_s + tooMany,
                          {OSCArgument::fromInt(-1)});
  model->handleOSCMessage(u"/eos/out/get/patch/1/1/list/0/"_s + tooMany,
                          {OSCArgument::fromInt(-1)});
  EXPECT_EQ(log.lines().filter(tooMany).size(), 2) << log.lines().join(u'\n').toStdString();
}

}  // namespace
}  // namespace tarnik::testing
