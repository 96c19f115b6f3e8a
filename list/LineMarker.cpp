#include "list/LineMarker.h"

#include <algorithm>
#include <exception>
#include <new>

namespace tovo {

LineMarker::LineMarker(const HighLightWords& words, Splitter splitter, int32_t firstKey)
    : words_(words), splitter_(splitter), firstKey_(firstKey), slots_(new (std::nothrow) Slot[kSlots]) {
  if (slots_) thread_ = CreateThread(nullptr, 0, &LineMarker::ThreadMain, this, 0, nullptr);
}

LineMarker::~LineMarker() { Stop(); }

void LineMarker::Stop() {
  if (!thread_) return;
  stop_.store(true, std::memory_order_release);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI LineMarker::ThreadMain(void* self) {
  static_cast<LineMarker*>(self)->Run();
  return 0;
}

void LineMarker::Run() {
  try {
    size_t row = 0;
    while (!stop_.load(std::memory_order_acquire)) {
      const size_t pushed = pushed_.load(std::memory_order_acquire);
      if (row == pushed) {
        if (lastPushed_.load(std::memory_order_acquire) && pushed_.load(std::memory_order_acquire) == row) break;
        // Caught up with the reading: a system wait would cost more per line than it saves.
        Sleep(1);
        continue;
      }
      // A stop is looked at per line: queued lines may be long.
      for (; row < pushed && !stop_.load(std::memory_order_relaxed); ++row) {
        const Slot slot = slots_[row % kSlots];
        const int64_t key = std::clamp<int64_t>(int64_t{firstKey_} + static_cast<int64_t>(row), INT32_MIN, INT32_MAX);
        MarkLine(marks_, words_, {slot.text, slot.length}, splitter_, static_cast<int32_t>(key));
        if (marks_.Full()) {
          // Later marks would never be stored.
          finished_.store(true, std::memory_order_release);
          return;
        }
        marked_.store(row + 1, std::memory_order_release);
      }
    }
  } catch (...) {
    // No memory for a split: the window marks the rows itself.
    failed_ = true;
    finished_.store(true, std::memory_order_release);
    return;
  }
  finished_.store(true, std::memory_order_release);
}

void LineMarker::Push(std::u16string_view line) {
  if (!thread_ || finished_.load(std::memory_order_acquire)) return;
  const size_t pushed = pushed_.load(std::memory_order_relaxed);
  while (pushed - marked_.load(std::memory_order_acquire) >= kSlots) {
    if (finished_.load(std::memory_order_acquire)) return;
    Sleep(1);
  }
  slots_[pushed % kSlots] = {line.data(), line.size()};
  pushed_.store(pushed + 1, std::memory_order_release);
}

bool LineMarker::WaitDone(DWORD ms) {
  if (!thread_) return true;
  lastPushed_.store(true, std::memory_order_release);
  return WaitForSingleObject(thread_, ms) != WAIT_TIMEOUT;
}

std::optional<HighLightMarks> LineMarker::TakeMarks() {
  if (!thread_) return std::nullopt;
  Stop();
  if (failed_) return std::nullopt;
  return std::move(marks_);
}

}  // namespace tovo
