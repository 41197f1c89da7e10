#pragma once

#include <QHash>
#include <QString>

namespace tarnik {

// The published progress of a patch write. The three closing cases carry a text for the
// user, made by whoever drives the write.
struct PatchSubmissionState {
  enum class Kind { idle, checking, sending, verifying, sentUnconfirmed, confirmed, failed };

  Kind kind = Kind::idle;
  QString text{};  // sentUnconfirmed, confirmed and failed only

  static PatchSubmissionState idle() { return {Kind::idle, {}}; }
  static PatchSubmissionState checking() { return {Kind::checking, {}}; }
  static PatchSubmissionState sending() { return {Kind::sending, {}}; }
  static PatchSubmissionState verifying() { return {Kind::verifying, {}}; }
  static PatchSubmissionState sentUnconfirmed(QString text) {
    return {Kind::sentUnconfirmed, std::move(text)};
  }
  static PatchSubmissionState confirmed(QString text) { return {Kind::confirmed, std::move(text)}; }
  static PatchSubmissionState failed(QString text) { return {Kind::failed, std::move(text)}; }

  // A write is checking, sending or verifying: nothing may start or clear it meanwhile.
  bool isInProgress() const {
    return kind == Kind::checking || kind == Kind::sending || kind == Kind::verifying;
  }

  friend bool operator==(const PatchSubmissionState &, const PatchSubmissionState &) = default;
};

inline size_t qHash(const PatchSubmissionState &state, size_t seed = 0) {
  return qHashMulti(seed, static_cast<int>(state.kind), state.text);
}

}  // namespace tarnik
