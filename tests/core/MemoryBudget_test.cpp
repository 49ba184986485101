// The memory budget that decoding workers share: never more in use than the total, waiting
// instead of failing, first come first served, and the byte counts of its settings and messages.
#include "core/MemoryBudget.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <random>
#include <thread>
#include <vector>

namespace qg {
namespace {

using namespace std::chrono_literals;

TEST(MemoryBudget, WorkersTogetherNeverGoPastTheTotal) {
  constexpr uint64_t kTotal = 1000;
  MemoryBudget budget(kTotal);
  std::atomic<uint64_t> held{0};
  std::atomic<uint64_t> mostHeld{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < 4; ++w) {
    workers.emplace_back([&, w] {
      std::mt19937 random(static_cast<unsigned>(w));
      for (int i = 0; i < 300; ++i) {
        const uint64_t bytes = 100 + random() % 700;  // two of these fit at most sometimes
        const MemoryBudget::Share share = budget.Acquire(bytes);
        const uint64_t now = held += share.bytes();
        uint64_t seen = mostHeld.load();
        while (now > seen && !mostHeld.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::yield();
        held -= share.bytes();
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_LE(mostHeld.load(), kTotal);
  EXPECT_LE(budget.peak(), kTotal);
  EXPECT_GT(budget.peak(), 700u);  // the workers did overlap
  EXPECT_EQ(budget.inUse(), 0u);
}

TEST(MemoryBudget, ASecondShareWaitsUntilTheFirstIsGivenBack) {
  MemoryBudget budget(100);
  MemoryBudget::Share first = budget.Acquire(70);
  auto second = std::async(std::launch::async, [&] { return budget.Acquire(50).bytes(); });
  EXPECT_EQ(second.wait_for(100ms), std::future_status::timeout);
  first.Release();
  EXPECT_EQ(second.get(), 50u);
  EXPECT_EQ(budget.inUse(), 0u);
}

TEST(MemoryBudget, SharesAreGrantedInTheOrderAsked) {
  MemoryBudget budget(100);
  MemoryBudget::Share held = budget.Acquire(60);
  std::vector<int> order;
  std::mutex orderMutex;
  auto large = std::async(std::launch::async, [&] {
    MemoryBudget::Share share = budget.Acquire(60);
    std::lock_guard<std::mutex> lock(orderMutex);
    order.push_back(1);
  });
  std::this_thread::sleep_for(50ms);  // the large request is waiting first
  auto small = std::async(std::launch::async, [&] {
    MemoryBudget::Share share = budget.Acquire(10);  // fits now, but must not jump the queue
    std::lock_guard<std::mutex> lock(orderMutex);
    order.push_back(2);
  });
  EXPECT_EQ(small.wait_for(100ms), std::future_status::timeout);
  held.Release();
  large.get();
  small.get();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(MemoryBudget, ARequestBeyondTheTotalWaitsForTheWholeBudget) {
  MemoryBudget budget(100);
  EXPECT_FALSE(budget.Fits(101));
  EXPECT_TRUE(budget.Fits(100));
  MemoryBudget::Share small = budget.Acquire(1);
  auto huge = std::async(std::launch::async, [&] { return budget.Acquire(5000).bytes(); });
  EXPECT_EQ(huge.wait_for(100ms), std::future_status::timeout);
  small = MemoryBudget::Share();  // moving an empty share in gives the old one back
  EXPECT_EQ(huge.get(), 100u);
}

TEST(MemoryBudget, RaisingTheTotalWakesWaiters) {
  MemoryBudget budget(100);
  MemoryBudget::Share held = budget.Acquire(100);
  auto waiting = std::async(std::launch::async, [&] { return budget.Acquire(50).bytes(); });
  EXPECT_EQ(waiting.wait_for(50ms), std::future_status::timeout);
  budget.SetTotal(150);
  EXPECT_EQ(waiting.get(), 50u);
}

TEST(MemoryBudget, ByteCountsOfTheSetting) {
  struct Case {
    const char* text;
    bool valid;
    uint64_t bytes;
  };
  const Case cases[] = {
      {"123", true, 123},
      {"64M", true, 64ull << 20},
      {"2g", true, 2ull << 30},
      {"512K", true, 512ull << 10},
      {"0", false, 0},
      {"", false, 0},
      {"12MB", false, 0},
      {"-5", false, 0},
      {"1.5G", false, 0},
      {"99999999999999999999", false, 0},
      {"17179869184G", false, 0},
  };
  for (const Case& c : cases) {
    uint64_t bytes = 0;
    EXPECT_EQ(ParseByteCount(c.text, bytes), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(bytes, c.bytes) << c.text;
    }
  }
}

TEST(MemoryBudget, ByteCountTexts) {
  EXPECT_EQ(ByteCountText(512), "512 bytes");
  EXPECT_EQ(ByteCountText(12 * 1024), "12.0 KB");
  EXPECT_EQ(ByteCountText(1536ull << 20), "1.5 GB");
  EXPECT_EQ(ByteCountText(uint64_t{22000} * 22000 * 3), "1.4 GB");
}

TEST(MemoryBudget, TheDefaultIsAQuarterOfThePhysicalMemory) {
  const uint64_t physical =
      static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  EXPECT_EQ(DefaultMemoryBudget(), physical / 4);
}

}  // namespace
}  // namespace qg
