// A full disk for the test's own process: while it lives, no file of the process may
// grow past the given number of bytes (a write beyond fails instead of raising
// SIGXFSZ). The limit and the signal's handling are restored afterwards.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace qvtest {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previousAction_);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    set_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    sigaction(SIGXFSZ, &previousAction_, nullptr);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool Set() const { return set_; }

 private:
  struct sigaction previousAction_ {};
  rlimit saved_{};
  bool set_ = false;
};

}  // namespace qvtest
