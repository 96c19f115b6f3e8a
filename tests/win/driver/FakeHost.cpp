// The stand-in editor window: answers the three document queries and records each of them.
#include "driver/Driver.h"

#include <algorithm>
#include <cstring>

namespace tovotest {

namespace {
constexpr wchar_t kHostClass[] = L"TovoTestFakeHost";

void RegisterHostClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kHostClass;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered) ADD_FAILURE() << "cannot register the host window class";
}
}  // namespace

FakeHost::FakeHost() = default;

FakeHost::~FakeHost() {
  if (hwnd_.load()) ADD_FAILURE() << "FakeHost destroyed while its window exists";
}

std::vector<HostRequest> FakeHost::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

size_t FakeHost::CountRequests(UINT message) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<size_t>(
      std::count_if(requests_.begin(), requests_.end(), [&](const HostRequest& r) { return r.message == message; }));
}

void FakeHost::ClearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

HWND FakeHost::CreateHostWindow() {
  RegisterHostClass(&FakeHost::WndProc);
  // Hidden like an editor behind its plug-in: the modal list window disables it, nothing else.
  HWND hwnd = CreateWindowExW(0, kHostClass, L"TovoTestEditor", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
  if (!hwnd) ADD_FAILURE() << "cannot create the host window (error " << GetLastError() << ")";
  hwnd_.store(hwnd);
  return hwnd;
}

void FakeHost::DestroyHostWindow() {
  HWND hwnd = hwnd_.exchange(nullptr);
  if (hwnd) DestroyWindow(hwnd);
}

LRESULT CALLBACK FakeHost::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<FakeHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && (msg == tovo::kMsgGetLineCount || msg == tovo::kMsgGetLine || msg == tovo::kMsgGetCurrentLine))
    return self->Answer(msg, wParam, lParam);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT FakeHost::Answer(UINT msg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> lock(mutex_);
  HostRequest r;
  r.message = msg;
  r.wParam = wParam;
  r.lParam = lParam;
  if (msg == tovo::kMsgGetLineCount) {
    r.answer = forcedLineCount ? *forcedLineCount : static_cast<LRESULT>(lines.size());
  } else if (msg == tovo::kMsgGetCurrentLine) {
    r.answer = currentLine;
  } else if (wParam == 0) {
    r.answer = 0;  // no request record: nothing to answer
  } else {
    tovo::LineRequest request;
    std::memcpy(&request, reinterpret_cast<const void*>(wParam), sizeof request);
    r.capacity = request.capacity;
    r.flags = request.flags;
    r.line = request.line;
    r.reserved = request.reserved;
    const bool known = request.line >= 0 && static_cast<size_t>(request.line) < lines.size();
    const std::wstring_view text = known ? std::wstring_view(lines[request.line]) : std::wstring_view();
    if (lParam == 0) {
      r.answer = forcedLength ? *forcedLength : static_cast<LRESULT>(text.size());
    } else {
      // Never past `capacity`: the plug-in sizes its buffer from the length it was told.
      const size_t n = std::min<size_t>(request.capacity, text.size());
      auto* buffer = reinterpret_cast<wchar_t*>(lParam);
      std::copy_n(text.data(), n, buffer);
      if (n < request.capacity) buffer[n] = L'\0';
      r.answer = static_cast<LRESULT>(n);
    }
  }
  requests_.push_back(r);
  return r.answer;
}

}  // namespace tovotest
