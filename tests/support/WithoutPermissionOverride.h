#pragma once

#include <unistd.h>

#include <linux/capability.h>
#include <sys/syscall.h>

namespace tarnik::testing {

// Takes from this thread, and from the threads it starts meanwhile, root's power to read and
// write files whatever their permissions, so that a test run as root meets a file it may not
// read (mode 0) as a user would. A user's run has no such power to give up. Threads keep
// what they had when they started; this thread has it back when the object goes.
class WithoutPermissionOverride {
 public:
  WithoutPermissionOverride() {
    if (syscall(SYS_capget, &header_, held_) != 0) return;
    __user_cap_data_struct without[2] = {held_[0], held_[1]};
    without[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    dropped_ = syscall(SYS_capset, &header_, without) == 0;
  }
  ~WithoutPermissionOverride() {
    if (dropped_) syscall(SYS_capset, &header_, held_);
  }
  WithoutPermissionOverride(const WithoutPermissionOverride &) = delete;
  WithoutPermissionOverride &operator=(const WithoutPermissionOverride &) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct held_[2]{};
  bool dropped_ = false;
};

}  // namespace tarnik::testing
