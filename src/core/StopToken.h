// A stop request for one run of a long operation (a build, an upload). The owner of the run
// makes a StopSource when the run starts and hands its token to the work; Stop() may be called
// from any thread, also from a signal handler (it only stores to a lock-free atomic), and a
// request made before the work looks at the token is never lost, because each run has its own.
#pragma once

#include <atomic>
#include <memory>

namespace qg {

class StopToken {
 public:
  StopToken() = default;  // a token that never stops
  bool StopRequested() const { return flag_ && flag_->load(std::memory_order_acquire); }
  explicit operator bool() const { return StopRequested(); }

 private:
  friend class StopSource;
  explicit StopToken(std::shared_ptr<std::atomic<bool>> flag) : flag_(std::move(flag)) {}
  std::shared_ptr<std::atomic<bool>> flag_;
};

class StopSource {
 public:
  StopSource() : flag_(std::make_shared<std::atomic<bool>>(false)) {}
  void Stop() { flag_->store(true, std::memory_order_release); }
  bool StopRequested() const { return flag_->load(std::memory_order_acquire); }
  StopToken Token() const { return StopToken(flag_); }
  // The flag itself, for a signal handler that may touch only a lock-free atomic.
  std::atomic<bool>* Flag() const { return flag_.get(); }

 private:
  std::shared_ptr<std::atomic<bool>> flag_;
};

static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace qg
