// The editor's document as the list reads it: its line count and current line, and each line by
// two sends (its length, then its text into a buffer).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string_view>

#include "core/LineSource.h"

namespace tovo {

class EditorLineSource final : public LineSource {
 public:
  EditorLineSource() = default;
  ~EditorLineSource() override;
  EditorLineSource(const EditorLineSource&) = delete;
  EditorLineSource& operator=(const EditorLineSource&) = delete;

  void Attach(HWND editor) { editor_ = editor; }
  HWND Editor() const { return editor_; }

  // No editor window (or one already gone) is a document of no lines.
  int64_t LineCount() override;
  int64_t CurrentLine() override;
  int64_t LineLength(int32_t line) override;
  size_t ReadLine(int32_t line, int32_t length, char16_t* room) override;
  std::u16string_view ReadLongLine(int32_t line, int32_t length) override;

 private:
  void FreeLongLine();
  HWND editor_ = nullptr;
  void* longLine_ = nullptr;  // fresh pages of the last long line read
};

}  // namespace tovo
