#include "core/MemoryBudget.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "core/Error.h"

namespace qg {

MemoryBudget::MemoryBudget(uint64_t totalBytes) : total_(totalBytes) {}

uint64_t MemoryBudget::total() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return total_;
}

uint64_t MemoryBudget::inUse() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return inUse_;
}

uint64_t MemoryBudget::peak() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return peak_;
}

void MemoryBudget::ResetPeak() {
  std::lock_guard<std::mutex> lock(mutex_);
  peak_ = inUse_;
}

void MemoryBudget::SetTotal(uint64_t totalBytes) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    total_ = totalBytes;
  }
  changed_.notify_all();
}

MemoryBudget::Share MemoryBudget::Acquire(uint64_t bytes) {
  if (bytes == 0) return Share();
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t ticket = nextTicket_++;
  changed_.wait(lock, [&] {
    return serving_ == ticket && std::min(bytes, total_) <= total_ - std::min(inUse_, total_);
  });
  bytes = std::min(bytes, total_);
  inUse_ += bytes;
  peak_ = std::max(peak_, inUse_);
  ++serving_;
  lock.unlock();
  changed_.notify_all();  // the next in line may fit as well
  return Share(this, bytes);
}

void MemoryBudget::Give(uint64_t bytes) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    inUse_ -= bytes;
  }
  changed_.notify_all();
}

MemoryBudget::Share::Share(Share&& other) noexcept : budget_(other.budget_), bytes_(other.bytes_) {
  other.budget_ = nullptr;
  other.bytes_ = 0;
}

MemoryBudget::Share& MemoryBudget::Share::operator=(Share&& other) noexcept {
  if (this != &other) {
    Release();
    budget_ = other.budget_;
    bytes_ = other.bytes_;
    other.budget_ = nullptr;
    other.bytes_ = 0;
  }
  return *this;
}

MemoryBudget::Share::~Share() { Release(); }

void MemoryBudget::Share::Release() {
  if (budget_ != nullptr && bytes_ != 0) budget_->Give(bytes_);
  budget_ = nullptr;
  bytes_ = 0;
}

uint64_t DefaultMemoryBudget() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return uint64_t{1} << 30;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 4;
}

bool ParseByteCount(const std::string& text, uint64_t& bytes) {
  size_t i = 0;
  uint64_t value = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    if (value > (UINT64_MAX - 9) / 10) return false;
    value = value * 10 + static_cast<uint64_t>(text[i++] - '0');
  }
  if (i == 0) return false;
  int shift = 0;
  if (i < text.size()) {
    switch (std::toupper(static_cast<unsigned char>(text[i++]))) {
      case 'K':
        shift = 10;
        break;
      case 'M':
        shift = 20;
        break;
      case 'G':
        shift = 30;
        break;
      default:
        return false;
    }
  }
  if (i != text.size() || value == 0 || value > (UINT64_MAX >> shift)) return false;
  bytes = value << shift;
  return true;
}

MemoryBudget& ProcessMemoryBudget() {
  static MemoryBudget budget([] {
    uint64_t bytes = 0;
    const char* text = std::getenv("QUILLON_MEMORY_BUDGET");
    if (text != nullptr && ParseByteCount(text, bytes)) return bytes;
    return DefaultMemoryBudget();
  }());
  return budget;
}

std::string ByteCountText(uint64_t bytes) {
  if (bytes < 1024) return Format("%llu bytes", static_cast<unsigned long long>(bytes));
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  return Format("%.1f %s", value, kUnits[unit]);
}

}  // namespace qg
