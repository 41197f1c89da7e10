// A full show sync of a large show over TCP with packet-length framing, from a console
// double serving on a thread of its own: Tarnik's application model against a minimal
// client that sends the same requests with the same window of 12 and only notes which
// fields of each record have arrived. The ratio is what staging, building and publishing
// the show cost on top of the protocol itself. Before the timed runs, the growth of
// resident memory after a first, second and third sync of the same show.
//
// One sync takes a few hundred milliseconds, and on a shared machine single syncs differ by
// a third from one to the next. So the syncs are timed in many pairs, each Tarnik's and then
// the reference's, and the ratio is the median of the pairs' ratios: a slow spell that
// lengthens both syncs of a pair drops out of that pair's ratio. The median of each side's
// times taken apart keeps such spells and spread more than twice as wide from run to run.

#include "RatioReporting.h"
#include "app/AppViewModel.h"
#include "link/OSCTCPFramer.h"
#include "support/BackgroundWorkSettling.h"
#include "support/EosConsoleDoubleThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <deque>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using tarnik::AppViewModel;
using tarnik::median;
using tarnik::OSCArgument;
using tarnik::OSCMessage;
using tarnik::OSCTCPFramer;
using tarnik::OSCTCPFraming;
using tarnik::SettingsStore;
using tarnik::testing::ConsolePatchPart;
using tarnik::testing::ConsoleShow;
using tarnik::testing::EosConsoleDouble;
using tarnik::testing::EosConsoleDoubleThread;

constexpr int cueCount = 5000;
constexpr int channelCount = 2000;
constexpr int partsPerChannel = 3;
constexpr int window = 12;
// About 45 seconds on a quiet machine; with fewer, one run's ratio drifts from the next.
constexpr int pairs = 50;

EosConsoleDoubleThread *console = nullptr;

ConsoleShow benchmarkShow() {
  ConsoleShow show = tarnik::testing::generateConsoleShow(cueCount, 0, 11);
  show.cueLists[2] = tarnik::testing::generateConsoleShow(500, 0, 12).cueLists[1];
  int address = 1;
  for (int channel = 1; channel <= channelCount; ++channel) {
    for (int part = 1; part <= partsPerChannel; ++part) {
      show.patch.append(ConsolePatchPart::dimmer(channel, part, address++));
    }
  }
  return show;
}

quint16 consolePort() { return console->tcpPort(OSCTCPFraming::packetLength); }

// Turns the event loop until the condition holds (checked whenever the signal fires).
template <class Sender, class Signal, class Condition>
void runUntil(Sender *sender, Signal signal, Condition condition) {
  QEventLoop loop;
  QObject::connect(sender, signal, &loop, [&] {
    if (condition()) loop.quit();
  });
  if (!condition()) loop.exec();
}

// A model connected to the double. On connecting it starts a sync of its own, which runs
// first: a sync asked for meanwhile would only be refused as already in progress.
class SyncingModel {
 public:
  SyncingModel() {
    AppViewModel::Arguments arguments;
    arguments.defaults = &settings_;
    arguments.startNetworkingOnInit = false;
    model_ = std::make_unique<AppViewModel>(std::move(arguments));
    tarnik::OSCManager &manager = *model_->oscManager();
    manager.transport = tarnik::OSCTransport::tcp;
    manager.tcpFraming = OSCTCPFraming::packetLength;
    manager.connect(u"127.0.0.1"_s, consolePort());
    // Returns as the connection comes up, before the model's own sync has begun.
    runUntil(&manager, &tarnik::OSCManager::isConnectedChanged,
             [&] { return manager.isConnected(); });
  }

  // Waits for the sync the model started on connecting.
  void awaitInitialSync() { awaitSyncEnd(); }

  // Lets the snapshot storage that follows a sync finish, until its file is on the disk: the
  // snapshot store encodes and writes it on the file writes' thread and hands the outcome
  // back on the event loop, and any settings write that follows ends too.
  void awaitSnapshotStorage() {
    tarnik::testing::settleBackgroundWork();
    runUntil(&settings_, &SettingsStore::isWritingChanged, [&] { return !settings_.isWriting(); });
  }

  // Seconds from the request to the published show.
  double sync() {
    QElapsedTimer timer;
    timer.start();
    model_->requestFullSync(u"Initial sync"_s);
    awaitSyncEnd();
    return timer.nsecsElapsed() / 1e9;
  }

 private:
  void awaitSyncEnd() {
    const auto running = [this] {
      const QString &status = model_->dataStatusMessage();
      return status == u"Socket open — verifying Eos"_s || status == u"Initial sync"_s;
    };
    runUntil(model_.get(), &AppViewModel::dataStatusMessageChanged, [&] { return !running(); });
    if (model_->dataStatusMessage() != "Synced"_L1 || model_->cues().size() != cueCount) {
      std::fprintf(stderr, "sync failed: %s\n", qPrintable(model_->dataStatusMessage()));
      std::exit(1);
    }
  }

 private:
  QTemporaryDir folder_;
  SettingsStore settings_{folder_.filePath(u"settings.ini"_s)};
  std::unique_ptr<AppViewModel> model_;
};

// Then hands freed memory back to the system, so that a reading shows what the process
// holds rather than what the allocator keeps cached.
void settle(SyncingModel &model) {
  model.awaitSnapshotStorage();
  malloc_trim(0);
}

// The reference: the same requests on a plain socket; a record is done when every one of
// its fields has arrived.
class ReferenceClient {
 public:
  ReferenceClient() {
    socket_.connectToHost(u"127.0.0.1"_s, consolePort());
    socket_.waitForConnected();
    QObject::connect(&socket_, &QTcpSocket::readyRead, &socket_, [this] { read(); });
  }

  double sync() {
    progress_ = Progress();
    QElapsedTimer timer;
    timer.start();
    for (const char *request :
         {"/eos/get/show/path", "/eos/get/version", "/eos/get/cue/1/count", "/eos/get/patch/count"})
      send(QString::fromLatin1(request));
    runUntil(&socket_, &QTcpSocket::readyRead, [this] { return isDone(); });
    return timer.nsecsElapsed() / 1e9;
  }

 private:
  struct Progress {
    std::optional<qint64> cueCount, patchCount;
    std::deque<qint64> pendingCues, pendingPatch;
    int inFlight = 0;
    bool cueNext = true;
    bool hasPath = false;
    qint64 done = 0;
    QHash<QString, std::vector<bool>> records;
  };

  bool isDone() const {
    return progress_.hasPath && progress_.cueCount && progress_.patchCount &&
           progress_.done == *progress_.cueCount + *progress_.patchCount;
  }

  void send(const QString &address) {
    socket_.write(
        *OSCTCPFramer::frame(OSCMessage{address, {}}.encoded(), OSCTCPFraming::packetLength));
  }

  void pump() {
    while (progress_.inFlight < window) {
      std::deque<qint64> *first =
          progress_.cueNext ? &progress_.pendingCues : &progress_.pendingPatch;
      std::deque<qint64> *second =
          progress_.cueNext ? &progress_.pendingPatch : &progress_.pendingCues;
      std::deque<qint64> *pending = !first->empty() ? first : second;
      if (pending->empty()) return;
      const bool cue = pending == &progress_.pendingCues;
      send((cue ? u"/eos/get/cue/1/index/"_s : u"/eos/get/patch/index/"_s) +
           QString::number(pending->front()));
      pending->pop_front();
      ++progress_.inFlight;
      progress_.cueNext = !cue;
    }
  }

  void count(std::optional<qint64> &expected, std::deque<qint64> &pending, const OSCMessage &m) {
    if (expected || m.arguments.isEmpty()) return;
    expected = std::get<qint32>(m.arguments[0].value);
    for (qint64 index = 0; index < *expected; ++index) pending.push_back(index);
    pump();
  }

  void handle(const OSCMessage &message) {
    if (message.address == "/eos/out/get/show/path"_L1) {
      progress_.hasPath = true;
    } else if (message.address == "/eos/out/get/cue/1/count"_L1) {
      count(progress_.cueCount, progress_.pendingCues, message);
    } else if (message.address == "/eos/out/get/patch/count"_L1) {
      count(progress_.patchCount, progress_.pendingPatch, message);
    } else {
      // .../list/<start>/<count>
      const qsizetype list = message.address.lastIndexOf("/list/"_L1);
      if (list < 0) return;
      const QStringList tail = message.address.sliced(list + 6).split(u'/');
      const qsizetype start = tail.value(0).toLongLong();
      const qsizetype total = tail.value(1).toLongLong();
      std::vector<bool> &fields = progress_.records[message.address.left(list)];
      if (fields.empty()) fields.assign(std::size_t(total), false);
      for (qsizetype k = 0; k < message.arguments.size() && start + k < total; ++k)
        fields[std::size_t(start + k)] = true;
      if (std::find(fields.begin(), fields.end(), false) == fields.end()) {
        progress_.records.remove(message.address.left(list));
        ++progress_.done;
        --progress_.inFlight;
        pump();
      }
    }
  }

  void read() {
    const auto packets = framer_.append(socket_.readAll());
    if (!packets) return;
    for (const QByteArray &packet : *packets) {
      if (const std::optional<OSCMessage> message = OSCMessage::decode(packet)) handle(*message);
    }
  }

  QTcpSocket socket_;
  OSCTCPFramer framer_{OSCTCPFraming::packetLength};
  Progress progress_;
};

qint64 residentKib() {
  QFile status(u"/proc/self/status"_s);
  status.open(QIODevice::ReadOnly);
  for (const QByteArray &line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
  }
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  EosConsoleDoubleThread consoleThread;
  console = &consoleThread;
  consoleThread.run([show = benchmarkShow()](EosConsoleDouble &double_) mutable {
    double_.setShow(std::move(show));
    double_.recordSlicing = {.slices = 3, .overlap = 1, .shuffled = true, .seed = 3};
  });

  // Memory first, while the heap has seen nothing of the timed runs: the first sync pays
  // for the show, later syncs of the same show should reuse what they free.
  {
    SyncingModel model;
    // The model's own sync is still to come: the first reading is before it.
    malloc_trim(0);
    qint64 before = residentKib();
    for (int sync = 1; sync <= 3; ++sync) {
      if (sync == 1)
        model.awaitInitialSync();
      else
        model.sync();
      settle(model);
      const qint64 after = residentKib();
      std::printf("FIGURE app_full_sync_rss_growth_kib %lld\n",
                  static_cast<long long>(after - before));
      before = after;
    }
    std::fflush(stdout);
  }

  SyncingModel model;
  model.awaitInitialSync();
  // The timed sync is one sync: the storage of the one before it is not part of it.
  model.awaitSnapshotStorage();
  ReferenceClient client;
  client.sync();  // untimed, as the model's own first sync is
  // The reference follows Tarnik's snapshot storage, never its own sync: one started
  // straight after the last ran markedly slower than one started after a pause, and
  // Tarnik's syncs all start after the storage of the one before. So each side's
  // connection has been quiet for at least the other side's sync.
  std::vector<double> ours, theirs, ratios;
  for (int pair = 0; pair < pairs; ++pair) {
    ours.push_back(model.sync());
    // Untimed: the snapshot this sync stores is written before the reference's sync begins.
    model.awaitSnapshotStorage();
    theirs.push_back(client.sync());
    ratios.push_back(ours.back() / theirs.back());
  }
  std::printf("app_full_sync tarnik     median %.1f ms over %d syncs\n", median(ours) * 1e3, pairs);
  std::printf("app_full_sync reference  median %.1f ms over %d syncs\n", median(theirs) * 1e3,
              pairs);
  std::printf("RATIO app_full_sync %.3f\n", median(ratios));
  console = nullptr;
  return 0;
}
