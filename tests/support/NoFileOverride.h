// An ordinary user's view of file permissions for the calling thread: while it lives,
// the thread's effective capabilities lack CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH and
// CAP_FOWNER, so that a test run as root meets a write-protected file as a user does.
// They stay permitted and are raised again at the end. Capabilities belong to each
// thread: the writes must run on the thread that made the scope, and a thread started
// meanwhile would keep the lowered set.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace qvtest {

class NoFileOverride {
 public:
  NoFileOverride() {
    if (::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    constexpr uint32_t kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);
    lowered[0].effective &= ~kOverrides;
    lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
  }
  ~NoFileOverride() {
    if (lowered_) (void)::syscall(SYS_capset, &header_, saved_);
  }
  NoFileOverride(const NoFileOverride&) = delete;
  NoFileOverride& operator=(const NoFileOverride&) = delete;

  // The capabilities could be read and lowered (a user without them has none to lower).
  bool Lowered() const { return lowered_; }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};  // pid 0: this thread
  __user_cap_data_struct saved_[2] = {};
  bool lowered_ = false;
};

}  // namespace qvtest
