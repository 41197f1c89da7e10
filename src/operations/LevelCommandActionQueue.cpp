#include "operations/LevelCommandActionQueue.h"

#include <cmath>
#include <map>
#include <utility>

namespace tarnik {

namespace {

// Equal due times keep the order of scheduling.
using EntryKey = std::pair<double, quint64>;
using Entries = std::map<EntryKey, std::function<void()>>;

}  // namespace

struct LevelCommandActionQueue::Storage {
  Entries entries;
  quint64 nextSequence = 0;
};

namespace {

class QueuedAction final : public LevelCommandScheduledAction {
 public:
  QueuedAction(std::weak_ptr<LevelCommandActionQueue::Storage> storage, EntryKey key)
      : storage_(std::move(storage)), key_(key) {}
  ~QueuedAction() override { cancel(); }

  void cancel() override {
    const auto storage = storage_.lock();
    storage_.reset();
    if (!storage) return;
    // The node outlives the erase, so whatever the action's captures release on destruction
    // (other handles, say) finds the map consistent.
    auto node = storage->entries.extract(key_);
  }

 private:
  std::weak_ptr<LevelCommandActionQueue::Storage> storage_;
  EntryKey key_;
};

}  // namespace

LevelCommandActionQueue::LevelCommandActionQueue() : storage_(std::make_shared<Storage>()) {}

LevelCommandActionQueue::~LevelCommandActionQueue() {
  // A run in progress holds the storage; emptying it here stops that run after the current
  // action. The actions are released outside the map for the same reason as in cancel().
  Entries doomed = std::exchange(storage_->entries, {});
}

std::unique_ptr<LevelCommandScheduledAction> LevelCommandActionQueue::add(
    double due, std::function<void()> action) {
  Q_ASSERT(!std::isnan(due));
  const EntryKey key{due, storage_->nextSequence++};
  storage_->entries.emplace(key, std::move(action));
  return std::make_unique<QueuedAction>(storage_, key);
}

std::optional<double> LevelCommandActionQueue::nextDue() const {
  if (storage_->entries.empty()) return std::nullopt;
  return storage_->entries.begin()->first.first;
}

qsizetype LevelCommandActionQueue::size() const {
  return static_cast<qsizetype>(storage_->entries.size());
}

void LevelCommandActionQueue::runDue(double now) {
  // Held locally: an action may destroy the queue (and the scheduler that owns it).
  const std::shared_ptr<Storage> storage = storage_;
  const quint64 addedBefore = storage->nextSequence;
  // An action added during the run is due no earlier than `now`, so it sorts behind every
  // entry due by `now` that was there before: the run stops at the first one it meets.
  while (!storage->entries.empty()) {
    const auto first = storage->entries.begin();
    if (first->first.first > now || first->first.second >= addedBefore) break;
    auto node = storage->entries.extract(first);
    // Out of the map before it runs, so cancelling or dropping its own handle is harmless.
    node.mapped()();
  }
}

}  // namespace tarnik
