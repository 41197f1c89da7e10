// The show sync against the console double on each transport: the road from a connected
// console to published cues and channels, and every way that road fails.

#include "AppViewModelTestSupport.h"
#include "app/CueReplyFields.h"
#include "app/ShowOrderings.h"
#include "link/OSCManagerTestSupport.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using Reply = QList<OSCMessage>;

// What the model should publish of the double's show, built by the record builders.
QList<Cue> expectedCues(const ConsoleShow &show) {
  QList<Cue> cues;
  for (ConsoleCue cue : show.cueLists.at(1)) {
    cue.fields[0] = OSCArgument::fromInt(qint32(cues.size()));
    if (std::optional<Cue> made = makeCue(cue.fields, cue.number)) cues.append(*made);
  }
  sortByCueNumber(cues);
  return cues;
}

QList<Channel> expectedChannels(const ConsoleShow &show) {
  std::map<qint64, QList<PatchPart>> rows;
  for (const ConsolePatchPart &part : show.patch) {
    if (auto row = makePatchPart(part.fields, part.channel, part.part)) rows[part.channel] << *row;
  }
  QList<Channel> channels;
  for (auto &[number, channelRows] : rows) channels.append(makeChannel(number, channelRows, 0));
  return channels;
}

QList<Channel> withoutSnapshotTimes(QList<Channel> channels) {
  for (Channel &channel : channels) channel.levelSnapshotAt = 0;
  return channels;
}

Reply answer(const QString &address, const OSCArgument &argument) {
  return {{address, {argument}}};
}

class AppViewModelSyncTest : public AppViewModelTest,
                             public ::testing::WithParamInterface<TransportCase> {
 protected:
  void SetUp() override {
    AppViewModel::Arguments arguments;
    arguments.oscManager = makeManager(GetParam());
    model = makeModel(std::move(arguments));
    statuses.clear();
    progress.clear();
    QObject::connect(model.get(), &AppViewModel::dataStatusMessageChanged, model.get(),
                     [this](const QString &text) { statuses.append(text); });
    QObject::connect(model.get(), &AppViewModel::syncProgressDescriptionChanged, model.get(),
                     [this](const QString &text) { progress.append(text); });
  }

  OSCManager &manager() { return *model->oscManager(); }
  const ShowMirror::SyncGeneration *generation() { return model->showMirror().syncGeneration(); }

  void connectModel() {
    if (manager().isConnected()) return;
    manager().connect(u"127.0.0.1"_s, consolePort(console, GetParam()));
    ASSERT_TRUE(waitUntil([&] { return manager().isConnected(); }));
  }

  // A ready transport may already have started the sync of its own.
  void startSync() {
    connectModel();
    if (!generation()) model->requestFullSync(u"Initial sync"_s);
    ASSERT_NE(generation(), nullptr);
  }

  bool synced() {
    return waitUntil([&] { return model->dataStatusMessage() == "Synced"_L1; });
  }

  bool failedWith(const QString &status) {
    return waitUntil([&] { return !manager().isConnected(); }) && statuses.contains(status) &&
           progress.contains("Incomplete"_L1);
  }

  QStringList indexRequests() const {
    QStringList addresses;
    for (const OSCMessage &request : console.requests()) {
      if (request.address.contains("/index/"_L1)) addresses.append(request.address);
    }
    return addresses;
  }

  EosConsoleDouble console;
  std::unique_ptr<AppViewModel> model;
  QStringList statuses;
  QStringList progress;
};

TEST_P(AppViewModelSyncTest, SyncsAGeneratedShowInCueAndChannelOrder) {
  ConsoleShow show = generateConsoleShow(30, 12, 7);
  show.cueLists[2] = show.cueLists[1].mid(0, 4);
  console.setShow(show);
  console.recordSlicing = {.slices = 3, .overlap = 2, .shuffled = true, .seed = 5};
  // The patch count waits until the cue list is in, so progress shows its total unknown;
  // virtual time moves with every message, so progress is published as it goes.
  console.setHandler(u"/eos/get/patch/count"_s, [](const OSCMessage &) { return Reply(); });
  QObject::connect(&manager(), &OSCManager::lastReceivedMessageChanged, model.get(),
                   [this] { timing->advance(0.1); });

  startSync();
  ASSERT_TRUE(waitUntil([&] { return progress.contains(u"Cues 30/30 · Patch 0/?"_s); }));
  EXPECT_TRUE(progress.contains(u"Cues 3/30 · Patch 0/?"_s));
  EXPECT_TRUE(model->cues().isEmpty());
  console.send(answer(u"/eos/out/get/patch/count"_s, OSCArgument::fromInt(12)));
  ASSERT_TRUE(synced());

  EXPECT_EQ(model->syncProgressDescription(), u"Complete — 30 cues, 12 patch rows"_s);
  EXPECT_EQ(model->cues(), expectedCues(show));
  EXPECT_EQ(withoutSnapshotTimes(model->channels()), expectedChannels(show));
  EXPECT_FALSE(model->isLoadingCues() || model->isLoadingPatch());
  EXPECT_FALSE(indexRequests().join(u' ').contains("/cue/2/"_L1));
}

TEST_P(AppViewModelSyncTest, CountRepliesAreCheckedAndTheFirstWins) {
  console.setShow(generateConsoleShow(5, 3, 2));
  QList<OSCArgument> cueCounts{OSCArgument::fromInt(5)};
  console.setHandler(u"/eos/get/cue/1/count"_s, [&](const OSCMessage &) {
    Reply replies;
    for (const OSCArgument &count : cueCounts)
      replies += answer(u"/eos/out/get/cue/1/count"_s, count);
    return replies;
  });
  startSync();
  ASSERT_TRUE(synced());
  const QList<Cue> earlier = model->cues();

  // Each case syncs again on the same model, reconnecting after a failure.
  const struct {
    QList<OSCArgument> cueCounts;
    bool accepted;
  } cases[] = {
      {{OSCArgument::fromInt(5), OSCArgument::fromInt(9)}, true},
      {{OSCArgument::fromString(u"5"_s)}, true},
      {{OSCArgument::fromInt(20001)}, false},
      {{OSCArgument::fromInt(-1)}, false},
      {{OSCArgument::fromInt(20000)}, true},
  };
  for (const auto &row : cases) {
    SCOPED_TRACE(row.cueCounts.size() + 10 * row.accepted);
    cueCounts = row.cueCounts;
    statuses.clear();
    progress.clear();
    const qsizetype requestsBefore = indexRequests().size();
    startSync();
    if (!row.accepted) {
      EXPECT_TRUE(failedWith(u"Console returned an invalid item count — cached data retained"_s));
      EXPECT_EQ(model->cues(), earlier);
      EXPECT_EQ(indexRequests().size(), requestsBefore);
    } else if (row.cueCounts[0] == OSCArgument::fromInt(20000)) {
      EXPECT_TRUE(waitUntil([&] { return generation()->cueInFlight.contains(11); }));
    } else {
      ASSERT_TRUE(synced());
      EXPECT_EQ(model->syncProgressDescription(), u"Complete — 5 cues, 3 patch rows"_s);
    }
  }
}

TEST_P(AppViewModelSyncTest, RefusesToStartInTheOrderOfItsReasons) {
  const auto refusal = [&] {
    model->requestFullSync(u"Initial sync"_s);
    return model->dataStatusMessage();
  };
  model->handleOSCMessage(u"/eos/out/event/show/cleared"_s, {});
  EXPECT_EQ(refusal(), u"Offline — cached data retained"_s);
  connectModel();
  EXPECT_EQ(refusal(), "No show loaded"_L1);
  EXPECT_EQ(generation(), nullptr);

  model->handleOSCMessage(u"/eos/out/get/show/path"_s, {OSCArgument::fromString(u"/a.esf"_s)});
  EXPECT_EQ(refusal(), "Initial sync"_L1);
  const QUuid first = generation()->id;
  EXPECT_EQ(refusal(), "Sync already in progress"_L1);
  EXPECT_EQ(generation()->id, first);
}

TEST_P(AppViewModelSyncTest, TakesTurnsThenPublishesNothingUntilTheShowIsConfirmed) {
  console.setShow(generateConsoleShow(30, 5, 3));
  startSync();
  ASSERT_TRUE(synced());
  const QList<Cue> earlier = model->cues();
  // The cue count comes first and takes every slot; from then on freed slots alternate.
  QStringList expected;
  for (int index = 0; index < 30; ++index) {
    if (index >= 12 && index < 17) expected << u"/eos/get/patch/index/%1"_s.arg(index - 12);
    expected << u"/eos/get/cue/1/index/%1"_s.arg(index);
  }
  EXPECT_EQ(indexRequests(), expected);

  console.setHandler(u"/eos/get/show/path"_s, [](const OSCMessage &) { return Reply(); });
  model->requestFullSync(u"Again"_s);
  ASSERT_TRUE(waitUntil(
      [&] { return generation()->cueRows.size() == 30 && generation()->patchRows.size() == 5; }));
  EXPECT_EQ(model->cues(), earlier);

  timing->advance(29.9);
  ASSERT_NE(generation(), nullptr);
  timing->advance(0.1);
  EXPECT_TRUE(failedWith(u"Sync timed out — cached data retained"_s));
  EXPECT_EQ(model->cues(), earlier);
}

TEST_P(AppViewModelSyncTest, RecordsThatCannotBeShownStillAnswerTheirIndex) {
  ConsoleShow show = generateConsoleShow(6, 3, 9);
  show.cueLists[1][2].number = u"Intro"_s;
  ConsolePatchPart belowOne = show.patch.first();
  belowOne.channel = 0;
  show.patch.prepend(belowOne);
  console.setShow(show);
  console.cueFaults = {{0, EosConsoleDouble::RecordFault::noAnswer},
                       {1, EosConsoleDouble::RecordFault::noAnswer}};
  startSync();
  ASSERT_TRUE(waitUntil([&] { return indexRequests().size() >= 6; }));

  // List replies are known by their components: one without its leading slash, one with
  // doubled slashes.
  const QStringList addresses{u"eos/out/get/cue/1/%1/0/list/0/31"_s,
                              u"//eos/out//get/cue/1/%1/0/list//0/31"_s};
  for (int index = 0; index < 2; ++index) {
    ConsoleCue cue = show.cueLists.at(1)[index];
    cue.fields[0] = OSCArgument::fromInt(index);
    model->handleOSCMessage(addresses[index].arg(cue.number), cue.fields);
  }
  ASSERT_TRUE(synced());
  EXPECT_EQ(model->syncProgressDescription(), u"Complete — 5 cues, 3 patch rows"_s);
  EXPECT_EQ(model->cues(), expectedCues(show));
  EXPECT_EQ(withoutSnapshotTimes(model->channels()), expectedChannels(show));
}

TEST_P(AppViewModelSyncTest, RecordsThatNeverDecodeAreAskedAgainThenLeftOutWithANote) {
  const ConsoleShow show = generateConsoleShow(8, 6, 4);
  console.setShow(show);
  console.cueFaults = {{3, EosConsoleDouble::RecordFault::labelNotUTF8}};
  console.patchFaults = {{2, EosConsoleDouble::RecordFault::doubleField}};
  const QString cueAddress = u"/eos/get/cue/1/index/3"_s;
  const QString patchAddress = u"/eos/get/patch/index/2"_s;
  startSync();
  ASSERT_TRUE(waitUntil([&] {
    return generation()->cueRows.size() == 7 && generation()->patchRows.size() == 5 &&
           generation()->showName.has_value();
  }));

  // Each index is asked again after five seconds without its record, twice, then given up.
  for (int second = 1; second <= 15; ++second) {
    timing->advance(1.0);
    const qsizetype asks = 1 + (second >= 5) + (second >= 10);
    ASSERT_TRUE(waitUntil([&] {
      return console.requests(cueAddress).size() == asks &&
             console.requests(patchAddress).size() == asks;
    })) << second;
  }
  ASSERT_TRUE(waitUntil([&] { return generation() == nullptr; }));
  EXPECT_EQ(model->dataStatusMessage(), u"Synced — 2 records could not be read"_s);
  EXPECT_TRUE(manager().isConnected());
  ConsoleShow readable = show;
  readable.cueLists[1].removeAt(3);
  readable.patch.removeAt(2);
  EXPECT_EQ(model->cues(), expectedCues(readable));
  EXPECT_EQ(withoutSnapshotTimes(model->channels()), expectedChannels(readable));
}

TEST_P(AppViewModelSyncTest, KeepsEveryPartThatAnswersAnIndex) {
  // Channel 9 has three parts, and the console answers each of their indexes with all three.
  ConsoleShow show = generateConsoleShow(2, 0, 3);
  for (int part = 1; part <= 3; ++part)
    show.setPatchPart(ConsolePatchPart::dimmer(9, part, 100 + part));
  show.setPatchPart(ConsolePatchPart::dimmer(10, 1, 200));
  console.setShow(show);
  console.patchIndexAnswersEveryPart = true;
  startSync();
  ASSERT_TRUE(synced());
  EXPECT_EQ(withoutSnapshotTimes(model->channels()), expectedChannels(show));

  // So the planner knows part 2's address is taken.
  const PatchPlan plan = model->planPatch({.operation = PatchOperation::dimmerAddressRange,
                                           .channelStart = 11,
                                           .universe = 1,
                                           .addressStart = 102,
                                           .addressThru = 102});
  ASSERT_EQ(plan.issues.size(), 1);
  EXPECT_EQ(plan.issues[0].kind, PatchValidationIssue::Kind::occupiedRange);
  EXPECT_EQ(plan.issues[0].existing, (EosPatchPart::ID{9, 2}));
}

TEST_P(AppViewModelSyncTest, AnotherShowOnTheConsoleDropsWhatWasReadOfTheOldOne) {
  const struct {
    bool duringSync;
    const char *status;
  } cases[] = {
      {false, "Show changed — cached data retained"},
      {true, "Show changed during sync — cached data retained"},
  };
  bool holdPatchCount = false;
  console.setShow(generateConsoleShow(4, 2, 6));
  console.setHandler(u"/eos/get/patch/count"_s, [&](const OSCMessage &) {
    return holdPatchCount ? Reply()
                          : answer(u"/eos/out/get/patch/count"_s, OSCArgument::fromInt(2));
  });
  for (const auto &row : cases) {
    SCOPED_TRACE(row.status);
    SetUp();  // a model that has not seen the other show
    holdPatchCount = false;
    startSync();
    ASSERT_TRUE(synced());
    if (row.duringSync) {
      holdPatchCount = true;
      model->requestFullSync(u"Again"_s);
      ASSERT_TRUE(waitUntil([&] { return generation()->showName.has_value(); }));
    }

    console.send(answer(u"/eos/out/get/show/path"_s, OSCArgument::fromString(u"/b.esf"_s)));
    EXPECT_TRUE(failedWith(QString::fromUtf8(row.status)));
    EXPECT_TRUE(model->cues().isEmpty());
  }
}

TEST_P(AppViewModelSyncTest, DataOfAnotherShowLeavesTheScreen) {
  console.setShow(generateConsoleShow(4, 2, 6));
  startSync();
  ASSERT_TRUE(synced());
  // Offline the show stays on screen, but which show the console holds is no longer known.
  model->disconnect();
  ASSERT_FALSE(model->cues().isEmpty());
  model->handleOSCMessage(u"/eos/out/get/show/path"_s,
                          {OSCArgument::fromString(u" /shows/b.esf "_s)});
  EXPECT_TRUE(model->cues().isEmpty());
  EXPECT_TRUE(model->channels().isEmpty());
  EXPECT_EQ(model->dataStatusMessage(), u"Show changed — awaiting sync"_s);
  EXPECT_EQ(model->showFileName(), "b"_L1);
}

INSTANTIATE_TEST_SUITE_P(Transports, AppViewModelSyncTest,
                         ::testing::Values(packetLengthCase, slipCase, udpCase), transportCaseName);

}  // namespace
}  // namespace tarnik::testing
