// The base of every window of the plug-in and what it stands on: the module and its window
// classes, DPI scaling, layout as data, the interface font, message boxes and the modal loop.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "win/Handles.h"

namespace tovo::win {

// ---------------------------------------------------------------- module
HINSTANCE ThisModule();

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

// Window class registration for Form windows (idempotent per class name). The classes belong to
// this DLL's module: they are unregistered when the command ends, as the DLL may be unloaded.
void RegisterFormClass(const wchar_t* className, HBRUSH background);
void UnregisterFormClasses();

// ---------------------------------------------------------------- DPI and layout
UINT DpiOf(HWND hwnd);
inline int Scale(int px96, UINT dpi) { return MulDiv(px96, static_cast<int>(dpi), 96); }

enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

// A control's place in 96-dpi pixels. Anchored left+right it stretches with the window; anchored
// bottom only, it keeps its distance from the bottom edge.
struct LayoutItem {
  HWND hwnd;
  int left, top, width, height;  // 96 dpi, relative to the design client size
  unsigned anchors;
};

// Places items for a client size, given the design client size; everything scaled by dpi.
void ApplyLayout(const std::vector<LayoutItem>& items, SIZE designClient96, SIZE client, UINT dpi);

// A panel: a rectangle of the window drawn as a lowered bevel (not a child window). Each edge on
// an anchored side keeps its scaled distance to that side of the window, so panels that share an
// edge meet exactly at every DPI.
struct PanelItem {
  int left, top, width, height;  // 96 dpi, relative to the design client size
  unsigned anchors;
};
RECT PlacePanel(const PanelItem& panel, SIZE designClient96, SIZE client, UINT dpi);

// Outer size of a window whose client area is w x h at 96 dpi (scaled), for its styles and menu.
SIZE OuterSizeForClient(HWND hwnd, int w96, int h96, UINT dpi);
void CenterOnPrimary(HWND hwnd);

// The interface font: "ＭＳ ゴシック" 19 pixels high at 96 dpi.
inline constexpr int kUiFontHeight = 19;
UniqueFont MakeUiFont(UINT dpi, int height96 = kUiFontHeight, bool bold = false);
UniqueFont MakeFont(std::u16string_view face, int pointSize, UINT dpi, bool bold = false);
void SetFontAll(HWND parent, HFONT font);

// ---------------------------------------------------------------- keys and time
// Shift, Ctrl or Alt is down (as the key being handled was pressed).
bool ModifierHeld();
// The character WM_CHAR carries for Enter or Esc.
inline bool IsEnterOrEscChar(WPARAM ch) { return ch == L'\r' || ch == 0x1B; }
// Milliseconds since some start: the long loops throttle message processing by it.
inline uint64_t Ticks() { return GetTickCount64(); }

// ---------------------------------------------------------------- message boxes
// Centred over the screen where the owner is, as the plug-in's messages are meant to be.
int ShowMessage(HWND owner, std::u16string_view text, UINT flags = MB_OK);
int AskYesNo(HWND owner, std::u16string_view text);    // information icon, Yes and No
void ShowError(HWND owner, std::u16string_view text);  // stop icon, OK

// ---------------------------------------------------------------- the form base
// What a window is, as data. The base does the chores from it: the layout on every size and DPI,
// the minimum tracking size, the panels' bevels, the fonts on a DPI change, the focused control
// across activations, and Esc.
struct FormDesign {
  SIZE client96;           // the client size the layout is designed for
  SIZE minTrack96{0, 0};   // the smallest outer size the user can drag it to; 0: no minimum
  bool escCloses = false;  // Esc with no Shift, Ctrl or Alt closes it, as its close box does
};

// A modal window the user can size and maximise. No minimise box: the owner stays disabled.
inline constexpr DWORD kSizableModalStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;

// One static procedure binds `this` at WM_NCCREATE and forwards to HandleMessage; exceptions stop
// in that procedure and become a message box.
class Form {
 public:
  virtual ~Form();
  HWND Handle() const { return hwnd_; }

  // Shows the window modally over `owner`: the owner and every other enabled top-level window of
  // the thread are disabled first, then FormShow runs (the window still hidden), then the window
  // shows until it closes. Returns the modal result; the window is destroyed after.
  int ShowModal(HWND owner);
  void EndModal(int result);

  // Runs pending messages once (the long loops call it, throttled by time) through the same key
  // preview as the modal loop. Returns false when the window was asked to close meanwhile.
  bool ProcessPendingMessages();

  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 protected:
  explicit Form(const FormDesign& design) : design_(design) {}
  // The window at its design client size (scaled), at least its minimum size; hidden.
  bool CreateTopLevel(const wchar_t* caption, DWORD style, DWORD exStyle, HWND owner, HMENU menu);
  // A visible child control; the layout gives it its place. Null when it could not be made.
  HWND CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id);

  // Every message the base leaves to the window. An exception stops in the window procedure
  // that calls it and becomes a message box; the window goes on.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;
  // Key preview: sees WM_KEYDOWN/WM_SYSKEYDOWN/WM_CHAR of any control of the window before it.
  // Returns true when the message is consumed (also when it threw). Esc alone reaches the base's
  // closing only when this leaves it.
  virtual bool PreviewMessage(MSG& msg);
  // The start-up: runs inside ShowModal once the owner is disabled, before the window shows.
  virtual void FormShow() {}
  // Runs once the window is visible (the focus can only be given then).
  virtual void FormShown() noexcept {}
  // After the layout was applied for a new size or DPI: what the layout table cannot say.
  virtual void FormResize() {}
  // On a DPI change, after dpi_ and the interface fonts: the window's own fonts.
  virtual void FormDpiChanged() {}
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);

  // The interface font at `height96`, given to `control` (nullptr: every control) now and again
  // on every DPI change, in the order given.
  void GiveUiFont(HWND control = nullptr, int height96 = kUiFontHeight);
  // Places the controls of layout_ and the panels_ for the client size and DPI, then FormResize.
  // Nothing is placed until layout_ has its items.
  void Layout();
  // The control that gets the focus when the window is next activated (first shown, or back
  // from a message box); afterwards the focused control is kept across activations.
  void FocusOnActivate(HWND control) { lastFocus_ = control; }
  // Shows an exception that reached a handler; the window goes on.
  void ReportException(const char* what) noexcept;

  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  std::vector<LayoutItem> layout_;
  std::vector<PanelItem> panels_;

 private:
  struct FontUse {
    HWND control;
    int height96;
    UniqueFont font;
  };
  bool HandleChore(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  void ApplyUiFonts();
  void WmDpiChanged(UINT dpi, const RECT& suggested);
  bool TranslateForModal(MSG& msg);

  FormDesign design_;
  std::vector<FontUse> fonts_;
  std::vector<RECT> panelRects_;
  HWND lastFocus_ = nullptr;
  bool endModal_ = false;
  int modalResult_ = 0;
};

}  // namespace tovo::win
