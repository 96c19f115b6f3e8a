// Owners of Win32 handles and of the states a scope must undo: nothing is freed by hand.
#pragma once
#include <windows.h>

#include <type_traits>
#include <utility>

namespace tovo::win {

template <typename H, auto Free>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(Adopt(h)) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, H{}));
    return *this;
  }
  ~Owned() { reset(); }
  void reset(H h = H{}) {
    if (h_) Free(h_);
    h_ = Adopt(h);
  }
  H get() const { return h_; }
  H release() { return std::exchange(h_, H{}); }
  explicit operator bool() const { return h_ != H{}; }

 private:
  // CreateFile and a few others say "no handle" with INVALID_HANDLE_VALUE, the rest with null:
  // both are kept as null, so a caller tests one thing.
  static H Adopt(H h) {
    if constexpr (std::is_same_v<H, HANDLE>) {
      if (h == INVALID_HANDLE_VALUE) return H{};
    }
    return h;
  }
  H h_{};
};

inline void FreeGdi(HGDIOBJ h) { DeleteObject(h); }
inline void FreeWindow(HWND h) { DestroyWindow(h); }
inline void FreeMenu(HMENU h) { DestroyMenu(h); }
inline void FreeHandle(HANDLE h) { CloseHandle(h); }
inline void FreeMemoryDC(HDC h) { DeleteDC(h); }
inline void FreeGlobal(HGLOBAL h) { GlobalFree(h); }
using UniqueFont = Owned<HFONT, FreeGdi>;
using UniqueBrush = Owned<HBRUSH, FreeGdi>;
using UniqueBitmap = Owned<HBITMAP, FreeGdi>;
using UniqueWindow = Owned<HWND, FreeWindow>;
using UniqueMenu = Owned<HMENU, FreeMenu>;
using UniqueHandle = Owned<HANDLE, FreeHandle>;
using UniqueMemoryDC = Owned<HDC, FreeMemoryDC>;  // CreateCompatibleDC's; a window's is WindowDC
using UniqueGlobal = Owned<HGLOBAL, FreeGlobal>;  // release() once the clipboard has taken it

// A window's device context, released with the window.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// Selects a GDI object into a DC for one scope.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectGuard() { SelectObject(dc_, old_); }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Suspends a window's redrawing for one scope (the list while its rows are replaced).
class RedrawGuard {
 public:
  explicit RedrawGuard(HWND hwnd) : hwnd_(hwnd) { SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0); }
  ~RedrawGuard() {
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  RedrawGuard(const RedrawGuard&) = delete;
  RedrawGuard& operator=(const RedrawGuard&) = delete;

 private:
  HWND hwnd_;
};

// Runs a function when the scope ends, however it ends: for what has no owner above.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ~ScopeExit() { f_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  F f_;
};

}  // namespace tovo::win
