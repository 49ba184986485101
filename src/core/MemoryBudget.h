// The memory that decoding and resampling pictures may take at once, in bytes. Pictures are
// measured from their headers before any of their pixels are allocated: the work on a picture
// takes its share of the budget first and gives it back when done, so that several workers
// decoding at the same time cannot together go past it, and a picture that alone would need more
// than the whole budget is refused instead of taking the machine's memory.
//
// Threading: every member may be called from any thread. Shares are handed out in the order they
// were asked for, so a large picture is not starved by a stream of small ones.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace qg {

class MemoryBudget {
 public:
  class Share;

  explicit MemoryBudget(uint64_t totalBytes);
  MemoryBudget(const MemoryBudget&) = delete;
  MemoryBudget& operator=(const MemoryBudget&) = delete;

  uint64_t total() const;
  uint64_t inUse() const;
  // The most that was ever in use at once since construction (or the last ResetPeak).
  uint64_t peak() const;
  void ResetPeak();
  // Changes the total; waiters are woken and re-check.
  void SetTotal(uint64_t totalBytes);

  // True when `bytes` could ever be granted, that is when it is at most the total.
  bool Fits(uint64_t bytes) const { return bytes <= total(); }

  // Waits until `bytes` are free and takes them for as long as the returned share lives. A
  // request larger than the total is cut down to the total (callers refuse such work first,
  // with a message that names it). A request of 0 bytes returns at once.
  Share Acquire(uint64_t bytes);

  class Share {
   public:
    Share() = default;
    Share(Share&& other) noexcept;
    Share& operator=(Share&& other) noexcept;
    ~Share();
    uint64_t bytes() const { return bytes_; }
    // Gives the share back early.
    void Release();

   private:
    friend class MemoryBudget;
    Share(MemoryBudget* budget, uint64_t bytes) : budget_(budget), bytes_(bytes) {}
    MemoryBudget* budget_ = nullptr;
    uint64_t bytes_ = 0;
  };

 private:
  void Give(uint64_t bytes);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t total_;
  uint64_t inUse_ = 0;
  uint64_t peak_ = 0;
  uint64_t nextTicket_ = 0;  // tickets of the requests, in arrival order
  uint64_t serving_ = 0;     // the ticket whose turn it is
};

// The budget every decode of this process draws from, made on first use: the value of the
// environment variable QUILLON_MEMORY_BUDGET (bytes, or with a K, M or G suffix) when it holds
// one, otherwise a quarter of the physical memory.
MemoryBudget& ProcessMemoryBudget();

// A quarter of the physical memory (1 GiB when the system does not say).
uint64_t DefaultMemoryBudget();

// Parses "123", "512K", "64M", "2G" (powers of 1024); false for anything else or for 0.
bool ParseByteCount(const std::string& text, uint64_t& bytes);

// "512 bytes", "12.0 KB", "3.4 MB", "5.8 GB" (powers of 1024), for messages.
std::string ByteCountText(uint64_t bytes);

}  // namespace qg
