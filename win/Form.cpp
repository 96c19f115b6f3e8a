// The form base and what it stands on.
#include "win/Form.h"

#include <algorithm>
#include <exception>
#include <set>
#include <string>

#include "core/TextFile.h"
#include "win/Text.h"

namespace tovo::win {

// ---------------------------------------------------------------- module and activation context

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

namespace {
HANDLE g_actCtx = INVALID_HANDLE_VALUE;
int g_actCtxUsers = 0;
}  // namespace

ActivationScope::ActivationScope() {
  if (g_actCtxUsers++ == 0) {
    ACTCTXW ctx{};
    ctx.cbSize = sizeof(ctx);
    ctx.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    ctx.hModule = ThisModule();
    ctx.lpResourceName = MAKEINTRESOURCEW(2);
    g_actCtx = CreateActCtxW(&ctx);
  }
  // Without the manifest the windows still work, with the older controls.
  if (g_actCtx != INVALID_HANDLE_VALUE) active_ = ActivateActCtx(g_actCtx, &cookie_) != FALSE;
}

ActivationScope::~ActivationScope() {
  if (active_) DeactivateActCtx(0, cookie_);
  if (--g_actCtxUsers == 0 && g_actCtx != INVALID_HANDLE_VALUE) {
    ReleaseActCtx(g_actCtx);
    g_actCtx = INVALID_HANDLE_VALUE;
  }
}

// ---------------------------------------------------------------- DPI and layout

UINT DpiOf(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && hwnd) {
    UINT dpi = getDpiForWindow(hwnd);
    if (dpi != 0) return dpi;
  }
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void ApplyLayout(const std::vector<LayoutItem>& items, SIZE designClient96, SIZE client, UINT dpi) {
  const int dx = client.cx - Scale(designClient96.cx, dpi);
  const int dy = client.cy - Scale(designClient96.cy, dpi);
  HDWP dwp = BeginDeferWindowPos(static_cast<int>(items.size()));
  for (const auto& item : items) {
    int x = Scale(item.left, dpi), y = Scale(item.top, dpi);
    int w = Scale(item.width, dpi), h = Scale(item.height, dpi);
    if (item.anchors & kRight) {
      if (item.anchors & kLeft) {
        w += dx;
      } else {
        x += dx;
      }
    }
    if (item.anchors & kBottom) {
      if (item.anchors & kTop) {
        h += dy;
      } else {
        y += dy;
      }
    }
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (dwp) {
      dwp = DeferWindowPos(dwp, item.hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
      SetWindowPos(item.hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (dwp) EndDeferWindowPos(dwp);
}

RECT PlacePanel(const PanelItem& panel, SIZE designClient96, SIZE client, UINT dpi) {
  // One axis: the edges on anchored sides keep their distance to the window's edge, the others
  // follow from the scaled length.
  auto place = [dpi](int start, int length, int design, int size, bool nearAnchor, bool farAnchor, LONG& lo, LONG& hi) {
    if (farAnchor) hi = size - Scale(design - start - length, dpi);
    lo = nearAnchor || !farAnchor ? Scale(start, dpi) : hi - Scale(length, dpi);
    if (!farAnchor) hi = lo + Scale(length, dpi);
  };
  RECT rc{};
  place(panel.left, panel.width, designClient96.cx, client.cx, panel.anchors & kLeft, panel.anchors & kRight, rc.left,
        rc.right);
  place(panel.top, panel.height, designClient96.cy, client.cy, panel.anchors & kTop, panel.anchors & kBottom, rc.top,
        rc.bottom);
  return rc;
}

SIZE OuterSizeForClient(HWND hwnd, int w96, int h96, UINT dpi) {
  RECT rc{0, 0, Scale(w96, dpi), Scale(h96, dpi)};
  auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  AdjustWindowRectEx(&rc, style, GetMenu(hwnd) != nullptr, exStyle);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

void CenterOnPrimary(HWND hwnd) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT rc{};
  GetWindowRect(hwnd, &rc);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  int x = work.left + (work.right - work.left - w) / 2;
  int y = work.top + (work.bottom - work.top - h) / 2;
  SetWindowPos(hwnd, nullptr, std::max<int>(x, work.left), std::max<int>(y, work.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UniqueFont MakeUiFont(UINT dpi, int height96, bool bold) {
  return UniqueFont(CreateFontW(-Scale(height96, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック"));
}

UniqueFont MakeFont(std::u16string_view face, int pointSize, UINT dpi, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(pointSize, static_cast<int>(dpi), 72);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  std::copy_n(WV(face).data(), n, lf.lfFaceName);
  lf.lfFaceName[n] = L'\0';
  return UniqueFont(CreateFontIndirectW(&lf));
}

void SetFontAll(HWND parent, HFONT font) {
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM lp) -> BOOL {
        SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(lp), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font));
}

// ---------------------------------------------------------------- keys

bool ModifierHeld() { return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0; }

// ---------------------------------------------------------------- window classes

namespace {
std::set<std::wstring>& RegisteredClasses() {
  static std::set<std::wstring> names;
  return names;
}
constexpr wchar_t kFormClass[] = L"TovoCsvListForm";

// The windows a modal window disables, enabled again when it ends (also when its start-up throws).
class DisabledWindows {
 public:
  DisabledWindows(HWND self, HWND owner) {
    struct Ctx {
      HWND self;
      std::vector<HWND>* list;
    } ctx{self, &windows_};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
          auto* c = reinterpret_cast<Ctx*>(lp);
          if (w != c->self && IsWindowEnabled(w) && IsWindowVisible(w)) {
            EnableWindow(w, FALSE);
            c->list->push_back(w);
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    // The owner is disabled even while hidden, as a modal dialog's owner is.
    if (owner && owner != self && IsWindowEnabled(owner)) {
      EnableWindow(owner, FALSE);
      windows_.push_back(owner);
    }
  }
  ~DisabledWindows() { EnableAgain(); }
  DisabledWindows(const DisabledWindows&) = delete;
  DisabledWindows& operator=(const DisabledWindows&) = delete;
  void EnableAgain() {
    for (HWND w : windows_) {
      if (IsWindow(w)) EnableWindow(w, TRUE);
    }
    windows_.clear();
  }

 private:
  std::vector<HWND> windows_;
};
}  // namespace

void RegisterFormClass(const wchar_t* className, HBRUSH background) {
  if (RegisteredClasses().count(className)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Form::StaticProc;
  wc.hInstance = ThisModule();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
    RegisteredClasses().insert(className);
  }
}

void UnregisterFormClasses() {
  for (const auto& name : RegisteredClasses()) UnregisterClassW(name.c_str(), ThisModule());
  RegisteredClasses().clear();
}

// ---------------------------------------------------------------- the form base

Form::~Form() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool Form::CreateTopLevel(const wchar_t* caption, DWORD style, DWORD exStyle, HWND owner, HMENU menu) {
  RegisterFormClass(kFormClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  HWND hwnd = CreateWindowExW(exStyle | WS_EX_CONTROLPARENT, kFormClass, caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                              100, 100, owner, menu, ThisModule(), this);
  if (!hwnd) return false;
  dpi_ = DpiOf(hwnd);
  SIZE outer = OuterSizeForClient(hwnd, design_.client96.cx, design_.client96.cy, dpi_);
  // A design client area below the minimum outer size opens at that minimum.
  outer.cx = std::max<LONG>(outer.cx, Scale(design_.minTrack96.cx, dpi_));
  outer.cy = std::max<LONG>(outer.cy, Scale(design_.minTrack96.cy, dpi_));
  SetWindowPos(hwnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

HWND Form::CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id) {
  return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
}

LRESULT CALLBACK Form::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* created = static_cast<Form*>(cs->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    if (created) created->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  try {
    if (!self->HandleChore(msg, wp, lp, result)) result = self->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    self->ReportException(e.what());
  } catch (...) {
    self->ReportException(nullptr);
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

// The messages every window answers alike. False: the window's own HandleMessage answers.
bool Form::HandleChore(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_ACTIVATE:
      // Keep the focused control across a message box or dialog, as dialog windows do.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return false;
      }
      if (!lastFocus_ || !IsWindow(lastFocus_) || !IsChild(hwnd_, lastFocus_)) return false;
      SetFocus(lastFocus_);
      return true;
    case WM_SIZE: Layout(); return true;
    case WM_GETMINMAXINFO: {
      if (design_.minTrack96.cx <= 0 && design_.minTrack96.cy <= 0) return false;
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize.x = Scale(design_.minTrack96.cx, dpi_);
      info->ptMinTrackSize.y = Scale(design_.minTrack96.cy, dpi_);
      return true;
    }
    case WM_PAINT: {
      if (panels_.empty()) return false;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      for (RECT panel : panelRects_) DrawEdge(dc, &panel, BDR_SUNKENOUTER, BF_RECT);
      EndPaint(hwnd_, &ps);
      return true;
    }
    case WM_DPICHANGED: WmDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp)); return true;
    default: return false;
  }
}

void Form::GiveUiFont(HWND control, int height96) {
  fonts_.push_back({control, height96, MakeUiFont(dpi_, height96)});
  const FontUse& use = fonts_.back();
  if (control) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(use.font.get()), FALSE);
  } else {
    SetFontAll(hwnd_, use.font.get());
  }
}

void Form::ApplyUiFonts() {
  for (FontUse& use : fonts_) {
    use.font = MakeUiFont(dpi_, use.height96);
    if (use.control) {
      SendMessageW(use.control, WM_SETFONT, reinterpret_cast<WPARAM>(use.font.get()), FALSE);
    } else {
      SetFontAll(hwnd_, use.font.get());
    }
  }
}

void Form::WmDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  ApplyUiFonts();
  FormDpiChanged();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // The suggested rectangle may keep the size, and then no WM_SIZE lays the window out again.
  Layout();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form::Layout() {
  if (!hwnd_ || layout_.empty()) return;
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  const SIZE client{rc.right, rc.bottom};
  ApplyLayout(layout_, design_.client96, client, dpi_);
  // The old bevels go as well as the new ones come: the class repaints nothing on a resize.
  for (const RECT& old : panelRects_) InvalidateRect(hwnd_, &old, TRUE);
  panelRects_.clear();
  for (const PanelItem& panel : panels_) {
    panelRects_.push_back(PlacePanel(panel, design_.client96, client, dpi_));
    InvalidateRect(hwnd_, &panelRects_.back(), TRUE);
  }
  FormResize();
}

void Form::ReportException(const char* what) noexcept {
  try {
    std::string text = what ? what : "unknown error";
    std::u16string msg = u"内部エラーが発生しました: " + FromUtf8(text);
    MessageBoxW(hwnd_, W(msg), L"TovoCsvList", MB_OK | MB_ICONSTOP);
  } catch (...) {
  }
}

// The windows are plain windows run like dialogs (IsDialogMessage), and a label's access key
// reaches them as WM_NEXTDLGCTL, which only the dialog procedure would answer: without this,
// Alt+D on "検索(&D):" would focus nothing.
LRESULT Form::Default(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_NEXTDLGCTL) return DefWindowProcW(hwnd_, msg, wp, lp);
  HWND target = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(hwnd_, GetFocus(), wp != 0);
  if (!target) return 0;
  SetFocus(target);
  // As in a dialog, an edit reached this way has its text selected, so typing replaces it.
  HWND focus = GetFocus();
  if (focus && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)) SendMessageW(focus, EM_SETSEL, 0, -1);
  return 0;
}

bool Form::PreviewMessage(MSG&) { return false; }

bool Form::TranslateForModal(MSG& msg) {
  if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
      try {
        if (PreviewMessage(msg)) return true;
      } catch (const std::exception& e) {
        ReportException(e.what());
        return true;
      } catch (...) {
        ReportException(nullptr);
        return true;
      }
      if (design_.escCloses && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && !ModifierHeld()) {
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return true;
      }
      break;
    default: break;
  }
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

int Form::ShowModal(HWND owner) {
  // Disabled before the start-up, which may show a message or process messages while it fills:
  // the user must not reach the owner (and start the command again) meanwhile. Enabled again
  // before this window goes away, so that activation returns to them.
  DisabledWindows disabled(hwnd_, owner);
  endModal_ = false;
  modalResult_ = 0;
  FormShow();
  // The start-up may already have closed it (a close asked for while its message stood).
  if (!endModal_ && hwnd_) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    FormShown();
  }
  MSG msg;
  while (!endModal_ && hwnd_) {
    BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (r == -1) break;
    if (!TranslateForModal(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  disabled.EnableAgain();
  if (hwnd_) {
    HWND h = hwnd_;
    ShowWindow(h, SW_HIDE);
    DestroyWindow(h);
  }
  return modalResult_;
}

void Form::EndModal(int result) {
  modalResult_ = result;
  endModal_ = true;
  // Wake the loop if it is idle in GetMessage.
  if (hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool Form::ProcessPendingMessages() {
  MSG msg;
  while (!endModal_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      endModal_ = true;
      break;
    }
    if (!TranslateForModal(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return !endModal_;
}
// ---------------------------------------------------------------- message boxes

namespace {
// Centres the box on the screen of its owner (MessageBoxW would centre it on the owner window).
thread_local HHOOK t_centerHook = nullptr;
LRESULT CALLBACK CenterHookProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wp);
    HMONITOR mon = MonitorFromWindow(box, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    RECT rc{};
    if (GetMonitorInfoW(mon, &mi) && GetWindowRect(box, &rc)) {
      int w = rc.right - rc.left, h = rc.bottom - rc.top;
      SetWindowPos(box, nullptr, mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - w) / 2,
                   mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - h) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    UnhookWindowsHookEx(t_centerHook);
    t_centerHook = nullptr;
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

int ShowMessage(HWND owner, std::u16string_view text, UINT flags) {
  std::u16string copy(text);
  if (!t_centerHook) t_centerHook = SetWindowsHookExW(WH_CBT, CenterHookProc, nullptr, GetCurrentThreadId());
  int r = MessageBoxW(owner, W(copy), L"TovoCsvList", flags);
  if (t_centerHook) {
    UnhookWindowsHookEx(t_centerHook);
    t_centerHook = nullptr;
  }
  return r;
}

int AskYesNo(HWND owner, std::u16string_view text) { return ShowMessage(owner, text, MB_YESNO | MB_ICONINFORMATION); }

void ShowError(HWND owner, std::u16string_view text) { ShowMessage(owner, text, MB_OK | MB_ICONSTOP); }

}  // namespace tovo::win
