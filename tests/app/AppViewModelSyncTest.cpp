// The show sync against the console double on each transport: the road from a connected
// console to published cues and channels, and every way that road fails.

#include "AppViewModelTestSupport.h"
#include "app/CueReplyFields.h"
#include "app/ShowOrderings.h"
#include "link/OSCManagerTestSupport.h"
#include "support/QtPrinting.h"

#include <QEventLoop>
#include <QTimer>

#include <string_view>

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

  // Until every answer the console has sent, and every request it led to, has reached its
  // side: a marker sent behind them comes back twice in a row with no new request meanwhile.
  // The loop turns without the pauses of waitUntil, so a large show settles quickly.
  void settle() {
    for (int quietRounds = 0; quietRounds < 2 && manager().isConnected();) {
      const qsizetype asked = console.requests().size();
      const OSCArgument marker = OSCArgument::fromString(u"settled %1"_s.arg(++markers));
      QEventLoop loop;
      bool back = false;
      QObject::connect(&manager(), &OSCManager::lastReceivedMessageChanged, &loop,
                       [&](const std::optional<OSCMessage> &message) {
                         if (!message || message->arguments.value(0) != marker) return;
                         back = true;
                         loop.quit();
                       });
      QObject::connect(&manager(), &OSCManager::isConnectedChanged, &loop, &QEventLoop::quit);
      QTimer::singleShot(10000, &loop, &QEventLoop::quit);
      console.send({{u"/eos/out/ping"_s, {marker}}});
      loop.exec();
      if (!back) return;
      quietRounds = console.requests().size() == asked ? quietRounds + 1 : 0;
    }
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
  int markers = 0;
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
  // Cue indexes 3, 3 + n, ... never decode, and patch indexes 2, 2 + n, ...; the rest are
  // answered, some seven seconds late (on virtual time: the heartbeat is not running).
  const struct {
    const char *name;
    int cues, patchParts, unreadableEvery;
    double answersLate;
  } rows[] = {
      {"two among 14", 8, 6, 1000, 0},
      {"50 among 600", 300, 300, 12, 0},
      {"5 % of 20,000 cues", 20000, 0, 20, 0},
      {"every answer 7 s late", 10, 8, 0, 7},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    // The large show once: the transports add nothing to it.
    if (row.cues > 1000 && std::string_view(GetParam().name) != packetLengthCase.name) continue;
    SetUp();
    const auto unreadable = [&](int index, int first) {
      return row.unreadableEvery > 0 && index % row.unreadableEvery == first;
    };
    const ConsoleShow show = generateConsoleShow(row.cues, row.patchParts, 4);
    console.setShow(show);
    ConsoleShow readable = show;
    readable.cueLists[1].clear();
    readable.patch.clear();
    console.cueFaults.clear();
    console.patchFaults.clear();
    for (int index = 0; index < row.cues; ++index) {
      if (!unreadable(index, 3))
        readable.cueLists[1].append(show.cueLists.at(1)[index]);
      else
        console.cueFaults.insert(index, EosConsoleDouble::RecordFault::labelNotUTF8);
    }
    for (int index = 0; index < row.patchParts; ++index) {
      if (!unreadable(index, 2))
        readable.patch.append(show.patch[index]);
      else
        console.patchFaults.insert(index, EosConsoleDouble::RecordFault::doubleField);
    }
    const qint64 unreadableCount = console.cueFaults.size() + qint64(console.patchFaults.size());
    std::vector<AppTiming::WorkItem> lateAnswers;
    if (row.answersLate > 0) {
      console.answerTiming = [&](const OSCMessage &request, std::function<void()> sendAnswer) {
        if (!request.address.startsWith("/eos/get/"_L1)) return sendAnswer();
        lateAnswers.push_back(timing->schedule(row.answersLate, std::move(sendAnswer)));
      };
    }
    const qsizetype requestsBefore = console.requests().size();
    const auto asks = [&](const QString &address) {
      return std::count_if(console.requests().cbegin() + requestsBefore, console.requests().cend(),
                           [&](const OSCMessage &request) { return request.address == address; });
    };
    startSync();
    settle();

    // An index passed by is asked again after five seconds, twice, then given up.
    for (int second = 1; generation() && second <= 30; ++second) {
      timing->advance(1.0);
      settle();
      if (unreadableCount == 0 || second > 15) continue;
      const int expected = 1 + (second >= 5) + (second >= 10);
      EXPECT_EQ(asks(u"/eos/get/cue/1/index/3"_s), expected) << second;
      if (row.patchParts > 0) {
        EXPECT_EQ(asks(u"/eos/get/patch/index/2"_s), expected) << second;
      }
    }
    console.answerTiming = nullptr;
    ASSERT_TRUE(waitUntil([&] { return generation() == nullptr; }));
    EXPECT_EQ(model->dataStatusMessage(),
              unreadableCount == 0
                  ? u"Synced"_s
                  : u"Synced — %1 records could not be read"_s.arg(unreadableCount));
    EXPECT_TRUE(manager().isConnected());
    EXPECT_EQ(model->cues(), expectedCues(readable));
    EXPECT_EQ(withoutSnapshotTimes(model->channels()), expectedChannels(readable));

    // Each readable record was asked for once.
    QHash<QString, int> asked;
    for (const OSCMessage &request : console.requests().sliced(requestsBefore))
      ++asked[request.address];
    for (int index = 0; index < row.cues; ++index) {
      ASSERT_EQ(asked.value(u"/eos/get/cue/1/index/%1"_s.arg(index)),
                unreadable(index, 3) ? 1 + ShowMirror::maximumIndexReasks : 1)
          << index;
    }
    for (int index = 0; index < row.patchParts; ++index) {
      ASSERT_EQ(asked.value(u"/eos/get/patch/index/%1"_s.arg(index)),
                unreadable(index, 2) ? 1 + ShowMirror::maximumIndexReasks : 1)
          << index;
    }
  }
}

TEST_P(AppViewModelSyncTest, KeepsEveryPartThatAnswersAnIndex) {
  // Channel 9 has three parts, and the console answers an index with every part of its
  // channel: first for each of the three, then as a list of channels, with the patch list
  // longer than the cue list so that channel 9, the last, is answered last, one read a part.
  const struct {
    const char *name;
    QList<int> channelsBefore;
    bool listsChannels;
  } rows[] = {
      {"indexes of parts", {}, false},
      {"indexes of channels", {3, 4}, true},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    ConsoleShow show = generateConsoleShow(2, 0, 3);
    for (int channel : row.channelsBefore)
      show.setPatchPart(ConsolePatchPart::dimmer(channel, 1, 10 * channel));
    for (int part = 1; part <= 3; ++part) {
      ConsolePatchPart dimmer = ConsolePatchPart::dimmer(9, part, 100 + part);
      dimmer.fields[ConsolePatchPart::partCount] = OSCArgument::fromInt(3);
      show.setPatchPart(dimmer);
    }
    if (!row.listsChannels) show.setPatchPart(ConsolePatchPart::dimmer(10, 1, 200));
    console.setShow(show);
    console.patchIndexAnswersEveryPart = true;
    const int listed = int(row.channelsBefore.size()) + 1;
    if (row.listsChannels) {
      console.setHandler(u"/eos/get/patch/count"_s, [listed](const OSCMessage &) {
        return answer(u"/eos/out/get/patch/count"_s, OSCArgument::fromInt(listed));
      });
      console.delivery = EosConsoleDouble::Delivery::split;
    }
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
