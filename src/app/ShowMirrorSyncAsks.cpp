#include "app/ShowMirror.h"
#include "operations/EosOSCAddress.h"

#include <array>
#include <charconv>

namespace tarnik {

// A console answers in the order it was asked. An index whose answer has not come while
// one asked after it has is passed by: it gives up its slot at once, and is judged
// unanswered only by how long ago that was. A console that is slow on every reply passes
// nothing by, so nothing of it is asked again, and one that answers nothing meets the
// sync's time limit.

bool ShowMirror::askForIndex(SyncGeneration &generation, IndexRequestKind kind, qint64 index) {
  const qint64 number = ++generation.asksMade;
  const auto [request, first] =
      generation.inFlight(kind).try_emplace(index, IndexRequest{number, number});
  if (!first) {
    request->second.latestAsk = number;
    ++request->second.reasks;
    request->second.passedByAt.reset();
  }
  generation.openAsks.push_back({number, kind, index, first, timing_->uptime()});
  if (first) ++generation.slotsHeld;
  return sendIndexRequest(kind, index);
}

bool ShowMirror::sendIndexRequest(IndexRequestKind kind, qint64 index) {
  // One allocation per request: a sync asks for thousands.
  std::array<char, 24> digits{};
  const char *const end = std::to_chars(digits.data(), digits.data() + digits.size(), index).ptr;
  const QString &prefix = kind == IndexRequestKind::cue ? EosOSCAddress::cueIndexRequestPrefix
                                                        : EosOSCAddress::patchIndexRequestPrefix;
  QString address;
  address.reserve(prefix.size() + (end - digits.data()));
  address.append(prefix);
  address.append(QLatin1StringView(digits.data(), end - digits.data()));
  return connection_.send({address, {}});
}

void ShowMirror::noteAnswered(SyncGeneration &generation, qint64 askNumber) {
  const double now = timing_->uptime();
  while (!generation.openAsks.empty() && generation.openAsks.front().number <= askNumber) {
    const OpenAsk ask = generation.openAsks.front();
    generation.openAsks.pop_front();
    if (ask.holdsSlot) --generation.slotsHeld;
    if (ask.number == askNumber || !ask.index) continue;
    auto &inFlight = generation.inFlight(ask.kind);
    const auto request = inFlight.find(*ask.index);
    if (request != inFlight.end() && request->second.latestAsk == ask.number) {
      request->second.passedByAt = now;
    }
  }
}

void ShowMirror::noteIndexAnswered(SyncGeneration &generation, IndexRequestKind kind,
                                   qint64 index) {
  auto &inFlight = generation.inFlight(kind);
  const auto request = inFlight.find(index);
  if (request == inFlight.end()) return;
  // Which of its asks the record answers is not known: the first is the one that passes
  // the fewest others by.
  const qint64 answered = request->second.firstAsk;
  inFlight.erase(request);
  noteAnswered(generation, answered);
}

void ShowMirror::noteCountAnswered(SyncGeneration &generation, IndexRequestKind kind) {
  for (const OpenAsk &ask : generation.openAsks) {
    if (!ask.index && ask.kind == kind) return noteAnswered(generation, ask.number);
  }
}

bool ShowMirror::askWhetherConsoleAnswers(SyncGeneration &generation) {
  // Only an answer to something asked after them tells that the open requests were passed
  // by, and at the end of a sync nothing else is asked: when the newest is an index (or a
  // count that went unanswered), a count of a list already counted is asked behind it.
  if (generation.openAsks.empty() ||
      (generation.cueInFlight.empty() && generation.patchInFlight.empty())) {
    return true;
  }
  const OpenAsk &newest = generation.openAsks.back();
  if (!newest.index && timing_->uptime() - newest.askedAt < indexReplyWait) return true;
  const IndexRequestKind kind =
      generation.expectedCueCount ? IndexRequestKind::cue : IndexRequestKind::patch;
  generation.openAsks.push_back(
      {++generation.asksMade, kind, std::nullopt, false, timing_->uptime()});
  return connection_.send({kind == IndexRequestKind::cue ? EosOSCAddress::cueCountRequest
                                                         : EosOSCAddress::patchCountRequest,
                           {}});
}

}  // namespace tarnik
