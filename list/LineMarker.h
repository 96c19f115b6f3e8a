// Highlight marking on a second thread while all lines load: the window's thread reads the lines
// from the editor (two sends a line) and hands each over as it is stored; the marker matches them
// meanwhile, so a word list adds little to the load beyond its reading.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/CsvSplit.h"
#include "core/HighLight.h"

namespace tovo {

class LineMarker {
 public:
  // Row i is marked with key firstKey + i. The words, and the text of every line handed over,
  // must stay as they are until the marker is destroyed.
  LineMarker(const HighLightWords& words, Splitter splitter, int32_t firstKey);
  // Stops the thread; lines still queued are not marked.
  ~LineMarker();
  LineMarker(const LineMarker&) = delete;
  LineMarker& operator=(const LineMarker&) = delete;

  // False when no thread could be started: the caller marks the rows itself.
  bool Running() const { return thread_ != nullptr; }
  // The next row's line. Waits while the queue is full; returns at once when nothing more can be
  // marked (the mark table is full, or the thread failed).
  void Push(std::u16string_view line);
  // After the last Push: whether every line handed over is marked, waiting up to `ms`.
  bool WaitDone(DWORD ms);
  // Once WaitDone said so: the marks, or nothing when the thread failed (out of memory), so the
  // caller marks the rows itself.
  std::optional<HighLightMarks> TakeMarks();

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Run();
  void Stop();

  struct Slot {
    const char16_t* text;
    size_t length;
  };
  // How far the reading may run ahead of the marking: 1 MB of slots.
  static constexpr size_t kSlots = size_t{1} << 16;

  const HighLightWords& words_;
  const Splitter splitter_;
  const int32_t firstKey_;
  std::unique_ptr<Slot[]> slots_;
  HighLightMarks marks_;  // the thread's alone until it has ended
  std::atomic<size_t> pushed_{0};
  std::atomic<size_t> marked_{0};
  std::atomic<bool> lastPushed_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};  // no more marks will be made: table full, or failed
  bool failed_ = false;                // read after the thread has ended
  HANDLE thread_ = nullptr;
};

}  // namespace tovo
