#pragma once

#include <csignal>
#include <optional>
#include <sys/resource.h>

namespace tarnik::testing {

// Files of this process end at `bytes` while it lives: a longer write(2) writes part and the
// next fails ("File too large"), as a full disk cuts a write short, without root or a mount.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(std::optional<rlim_t> bytes) {
    if (!bytes) return;
    getrlimit(RLIMIT_FSIZE, &before_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{*bytes, before_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    active_ = true;
  }
  ~FileSizeLimit() {
    if (!active_) return;
    setrlimit(RLIMIT_FSIZE, &before_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

 private:
  rlimit before_{};
  void (*previousHandler_)(int) = nullptr;
  bool active_ = false;
};

}  // namespace tarnik::testing
