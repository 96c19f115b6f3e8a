#include "list/EditorLineSource.h"

#include <algorithm>
#include <new>
#include <string>

#include "core/HostMessages.h"

namespace tovo {

namespace {

LineRequest MakeLineRequest(int32_t index, int32_t capacity) {
  LineRequest request{};
  request.capacity = static_cast<uint32_t>(capacity);
  request.flags = 1;
  request.line = index;
  request.reserved = 0;
  return request;
}

// `buffer` holds length + 1 units, all zero, so the text is always terminated; returns the
// text's length up to its first zero unit.
size_t AskLineText(HWND editor, int32_t index, int32_t length, char16_t* buffer) {
  LineRequest request = MakeLineRequest(index, length);
  SendMessageW(editor, kMsgGetLine, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(buffer));
  buffer[length] = u'\0';
  return std::char_traits<char16_t>::length(buffer);
}

}  // namespace

EditorLineSource::~EditorLineSource() { FreeLongLine(); }

int64_t EditorLineSource::LineCount() {
  if (!editor_ || !IsWindow(editor_)) return 0;
  return SendMessageW(editor_, kMsgGetLineCount, 1, 0);
}

int64_t EditorLineSource::CurrentLine() {
  if (!editor_ || !IsWindow(editor_)) return 0;
  return SendMessageW(editor_, kMsgGetCurrentLine, 1, static_cast<LPARAM>(-1));
}

int64_t EditorLineSource::LineLength(int32_t line) {
  LineRequest request = MakeLineRequest(line, 0);
  // The length comes from another program: never allocate what a bogus answer asks for.
  const LRESULT answer = SendMessageW(editor_, kMsgGetLine, reinterpret_cast<WPARAM>(&request), 0);
  return std::clamp<LRESULT>(answer, 0, kMaxLineUnits);
}

size_t EditorLineSource::ReadLine(int32_t line, int32_t length, char16_t* room) {
  return AskLineText(editor_, line, length, room);
}

// A long buffer comes as fresh pages, which the system hands out zeroed as they are first
// touched: an editor that claims every line is 16 M units long then costs the pages it writes,
// not 32 MB of clearing per line.
std::u16string_view EditorLineSource::ReadLongLine(int32_t line, int32_t length) {
  FreeLongLine();
  const size_t bytes = (static_cast<size_t>(length) + 1) * sizeof(char16_t);
  longLine_ = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!longLine_) throw std::bad_alloc();
  auto* buffer = static_cast<char16_t*>(longLine_);
  return {buffer, AskLineText(editor_, line, length, buffer)};
}

void EditorLineSource::FreeLongLine() {
  if (longLine_) VirtualFree(longLine_, 0, MEM_RELEASE);
  longLine_ = nullptr;
}

}  // namespace tovo
