#pragma once
// A write that fails part way, as on a full disk: while a FileSizeLimit lives, no file of the
// process grows past `bytes`. Root is held to it too, unlike to a folder's permissions.

#include <sys/resource.h>

#include <csignal>

namespace kestralux::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    if (bytes == 0) return;
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the run
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    if (!active_) return;
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool active() const { return active_; }

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = SIG_DFL;
  bool active_ = false;
};

}  // namespace kestralux::test
