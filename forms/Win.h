// The small Win32 layer every window of the plug-in shares: string views, RAII owners, DPI scaling,
// layout as data, the modal loop with key preview, message boxes, files and the settings file.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovo::win {

// ---------------------------------------------------------------- strings
// wchar_t and char16_t are both UTF-16 code units on Windows.
inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline std::u16string U(std::wstring_view s) { return {reinterpret_cast<const char16_t*>(s.data()), s.size()}; }
inline std::u16string U(const wchar_t* s) { return s ? U(std::wstring_view(s)) : std::u16string(); }
inline std::wstring_view WV(std::u16string_view s) { return {reinterpret_cast<const wchar_t*>(s.data()), s.size()}; }

std::u16string WindowText(HWND hwnd);
void SetText(HWND hwnd, std::u16string_view text);

// ---------------------------------------------------------------- RAII owners
template <typename H, auto Free>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(h) {}
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
    h_ = h;
  }
  H get() const { return h_; }
  H release() { return std::exchange(h_, H{}); }
  explicit operator bool() const { return h_ != H{}; }

 private:
  H h_{};
};

inline void FreeGdi(HGDIOBJ h) { DeleteObject(h); }
inline void FreeWindow(HWND h) { DestroyWindow(h); }
inline void FreeMenu(HMENU h) { DestroyMenu(h); }
inline void FreeHandle(HANDLE h) {
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}
using UniqueFont = Owned<HFONT, FreeGdi>;
using UniqueBrush = Owned<HBRUSH, FreeGdi>;
using UniqueBitmap = Owned<HBITMAP, FreeGdi>;
using UniqueWindow = Owned<HWND, FreeWindow>;
using UniqueMenu = Owned<HMENU, FreeMenu>;
using UniqueHandle = Owned<HANDLE, FreeHandle>;

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

// The common controls 6 activation context of this DLL (its own manifest, resource 2), active for
// one scope: every window the plug-in creates inside gets the version 6 classes.
class ActivationScope {
 public:
  ActivationScope();
  ~ActivationScope();
  ActivationScope(const ActivationScope&) = delete;
  ActivationScope& operator=(const ActivationScope&) = delete;

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};

HINSTANCE ThisModule();

// ---------------------------------------------------------------- DPI and layout
UINT DpiOf(HWND hwnd);
inline int Scale(int px96, UINT dpi) { return MulDiv(px96, static_cast<int>(dpi), 96); }

enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

// A control's place in 96-dpi pixels. Anchored left+right it stretches with the window; anchored
// bottom only, it keeps its distance from the bottom edge. `fill` takes the rest of a band.
struct LayoutItem {
  HWND hwnd;
  int left, top, width, height;  // 96 dpi, relative to the design client size
  unsigned anchors;
};

// Places items for a client size, given the design client size; everything scaled by dpi.
void ApplyLayout(const std::vector<LayoutItem>& items, SIZE designClient96, SIZE client, UINT dpi);

// Outer size of a window whose client area is w x h at 96 dpi (scaled), for its styles and menu.
SIZE OuterSizeForClient(HWND hwnd, int w96, int h96, UINT dpi);
void CenterOnPrimary(HWND hwnd);

// The dialog font: "ＭＳ ゴシック" 19 pixels high at 96 dpi.
UniqueFont MakeUiFont(UINT dpi, int height96 = 19, bool bold = false);
UniqueFont MakeFont(std::u16string_view face, int pointSize, UINT dpi, bool bold = false);
void SetFontAll(HWND parent, HFONT font);

// ---------------------------------------------------------------- windows and the modal loop
// Base of every window: one static procedure binds `this` at WM_NCCREATE and forwards to
// HandleMessage; exceptions stop in that procedure and become a message box.
class Form {
 public:
  virtual ~Form();
  HWND Handle() const { return hwnd_; }

  // Shows the window modally over `owner`: every other enabled top-level window of the thread is
  // disabled until the window closes; returns the modal result. The window is destroyed after.
  int ShowModal(HWND owner);
  void EndModal(int result);
  bool InModal() const { return inModal_; }
  int ModalResult() const { return modalResult_; }

  // Runs pending messages once (the long loops call it, throttled by time) through the same key
  // preview as the modal loop. Returns false when the window was asked to close meanwhile.
  bool ProcessPendingMessages();

 protected:
  Form() = default;
  bool CreateTopLevel(const wchar_t* caption, DWORD style, DWORD exStyle, HWND owner, HMENU menu,
                      int w96, int h96);
  // Every message of the window. An exception stops in the window procedure that calls it and
  // becomes a message box; the window goes on.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
  // Key preview: sees WM_KEYDOWN/WM_SYSKEYDOWN/WM_CHAR of any control of the window before it.
  // Returns true when the message is consumed (also when it threw).
  virtual bool PreviewMessage(MSG& msg);
  // Runs once the window is visible (the focus can only be given then).
  virtual void FormShown() noexcept {}
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
  // The control that gets the focus when the window is next activated (first shown, or back
  // from a message box); afterwards the focused control is kept across activations.
  void FocusOnActivate(HWND control) { lastFocus_ = control; }
  // Draws the lowered bevels of the panels (plain rectangles of the window, not child windows).
  void PaintPanels(std::initializer_list<RECT> panels);
  // WM_DPICHANGED: takes the rectangle the system suggests.
  void MoveToSuggestedRect(LPARAM lp);
  // WM_DPICHANGED for a window whose controls all use the interface font: the new DPI, `font`
  // made again for it and given to every control, then the suggested rectangle.
  void RescaleUiFont(WPARAM wp, LPARAM lp, UniqueFont& font);
  // A window whose design size is below its minimum outer size opens at that minimum.
  void GrowToMinimum(int w96, int h96);
  // Shows an exception that reached a handler; the window goes on.
  void ReportException(const char* what) noexcept;

  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;

 public:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  bool TranslateForModal(MSG& msg);
  HWND lastFocus_ = nullptr;
  bool inModal_ = false;
  bool endModal_ = false;
  int modalResult_ = 0;
};

// Window class registration for Form windows (idempotent per class name). The classes belong to
// this DLL's module: they are unregistered when the command ends, as the DLL may be unloaded.
void RegisterFormClass(const wchar_t* className, HBRUSH background);
void UnregisterFormClasses();

// ---------------------------------------------------------------- message boxes
// Centred over the screen where the owner is, as the plug-in's messages are meant to be.
int ShowMessage(HWND owner, std::u16string_view text, UINT flags = MB_OK);
int AskYesNo(HWND owner, std::u16string_view text);  // information icon, Yes and No
void ShowError(HWND owner, std::u16string_view text);  // stop icon, OK

// ---------------------------------------------------------------- clipboard
// Puts UTF-16 text on the clipboard as CF_UNICODETEXT; false when the clipboard could not be taken.
bool CopyTextToClipboard(HWND owner, std::u16string_view text);

// ---------------------------------------------------------------- files
std::u16string AnsiDecode(std::string_view bytes);
bool AnsiEncode(std::u16string_view text, std::string& out);

bool FileExists(const std::u16string& path);
// Whole-file read; nullopt when it cannot be opened or is larger than maxBytes (error says why).
std::optional<std::string> ReadWholeFile(const std::u16string& path, uint64_t maxBytes, DWORD* error);
// Replaces the file whole: a temporary file in the same folder, then a replacing rename, so a
// failure leaves the old file as it was. Returns the Win32 error, 0 on success.
DWORD WriteFileAtomic(const std::u16string& path, std::string_view bytes);

// Text files: BOM detection, otherwise the ANSI code page; lines end at CR LF, LF or CR.
struct TextRead {
  bool exists = false;
  bool readable = false;  // false: exists but could not be read (locked, no rights, too large)
  DWORD error = 0;
  std::vector<std::u16string> lines;
};
TextRead ReadTextLines(const std::u16string& path, uint64_t maxBytes = 256ull << 20);
DWORD WriteTextLines(const std::u16string& path, const std::vector<std::u16string>& lines);
std::u16string ErrorText(DWORD error);

// ---------------------------------------------------------------- plug-in folder and settings file
// The folder of the running program followed by "Plugins\".
std::u16string PluginFolder();

// One value of the settings file through the profile functions; `fallback` when missing.
std::u16string IniRead(const std::u16string& file, const char16_t* section, const char16_t* key,
                       std::u16string_view fallback);

// Writes several keys as one replacement of the file: a copy in the same folder takes the keys
// (through the profile functions, so the format stays theirs), then replaces the file. The copy is
// UTF-16 LE with its mark so the profile functions keep non-ANSI text (font and file names).
inline constexpr uint64_t kIniMaxBytes = 64ull << 20;
class IniWriter {
 public:
  explicit IniWriter(std::u16string file);
  ~IniWriter();
  IniWriter(const IniWriter&) = delete;
  IniWriter& operator=(const IniWriter&) = delete;
  void Set(const char16_t* section, const char16_t* key, std::u16string_view value);
  DWORD Commit();  // 0 on success; the old file is untouched on failure

 private:
  std::u16string file_;
  std::u16string temp_;
  DWORD error_ = 0;
  bool committed_ = false;
};

// ---------------------------------------------------------------- small helpers
// Runs a function when the scope ends, however it ends (clearing a busy flag after a loop).
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
// Milliseconds since some start: the long loops throttle message processing by it.
inline uint64_t Ticks() { return GetTickCount64(); }

}  // namespace tovo::win
