#include "forms/Win.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <set>

#include "core/TextFile.h"

namespace tovo::win {

// ---------------------------------------------------------------- strings

std::u16string WindowText(HWND hwnd) {
  int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return {};
  std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
  int got = GetWindowTextW(hwnd, buf.data(), len + 1);
  buf.resize(static_cast<size_t>(std::max(got, 0)));
  return U(buf);
}

void SetText(HWND hwnd, std::u16string_view text) { SetWindowTextW(hwnd, std::wstring(WV(text)).c_str()); }

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
  return UniqueFont(CreateFontW(-Scale(height96, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック"));
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

// ---------------------------------------------------------------- windows

namespace {
std::set<std::wstring>& RegisteredClasses() {
  static std::set<std::wstring> names;
  return names;
}
constexpr wchar_t kFormClass[] = L"TovoCsvListForm";
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

Form::~Form() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool Form::CreateTopLevel(const wchar_t* caption, DWORD style, DWORD exStyle, HWND owner, HMENU menu,
                          int w96, int h96) {
  RegisterFormClass(kFormClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  HWND hwnd = CreateWindowExW(exStyle | WS_EX_CONTROLPARENT, kFormClass, caption, style, CW_USEDEFAULT,
                              CW_USEDEFAULT, 100, 100, owner, menu, ThisModule(), this);
  if (!hwnd) return false;
  dpi_ = DpiOf(hwnd);
  SIZE outer = OuterSizeForClient(hwnd, w96, h96, dpi_);
  SetWindowPos(hwnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void UnregisterFormClasses() {
  for (const auto& name : RegisteredClasses()) UnregisterClassW(name.c_str(), ThisModule());
  RegisteredClasses().clear();
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
  if (msg == WM_ACTIVATE) {
    // Keep the focused control across a message box or dialog, as dialog windows do.
    if (LOWORD(wp) == WA_INACTIVE) {
      HWND focus = GetFocus();
      if (focus && IsChild(hwnd, focus)) self->lastFocus_ = focus;
    } else if (self->lastFocus_ && IsWindow(self->lastFocus_) && IsChild(hwnd, self->lastFocus_)) {
      SetFocus(self->lastFocus_);
      return 0;
    }
  }
  LRESULT result = 0;
  try {
    result = self->HandleMessage(msg, wp, lp);
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

void Form::PaintPanels(std::initializer_list<RECT> panels) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  for (RECT panel : panels) DrawEdge(dc, &panel, BDR_SUNKENOUTER, BF_RECT);
  EndPaint(hwnd_, &ps);
}

void Form::MoveToSuggestedRect(LPARAM lp) {
  const auto* rc = reinterpret_cast<const RECT*>(lp);
  SetWindowPos(hwnd_, nullptr, rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::RescaleUiFont(WPARAM wp, LPARAM lp, UniqueFont& font) {
  dpi_ = HIWORD(wp);
  font = MakeUiFont(dpi_);
  SetFontAll(hwnd_, font.get());
  MoveToSuggestedRect(lp);
}

void Form::GrowToMinimum(int w96, int h96) {
  RECT rc{};
  GetWindowRect(hwnd_, &rc);
  SetWindowPos(hwnd_, nullptr, 0, 0, std::max<int>(rc.right - rc.left, Scale(w96, dpi_)),
               std::max<int>(rc.bottom - rc.top, Scale(h96, dpi_)), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
      break;
    default:
      break;
  }
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

int Form::ShowModal(HWND owner) {
  // Disable the thread's other windows, as a modal dialog does; re-enable them before this one
  // goes away so that activation returns to them.
  std::vector<HWND> disabled;
  struct Ctx {
    HWND self;
    std::vector<HWND>* list;
  } ctx{hwnd_, &disabled};
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
  if (owner && owner != hwnd_ && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    disabled.push_back(owner);
  }
  inModal_ = true;
  endModal_ = false;
  modalResult_ = 0;
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  FormShown();
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
  inModal_ = false;
  for (HWND w : disabled) {
    if (IsWindow(w)) EnableWindow(w, TRUE);
  }
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

int AskYesNo(HWND owner, std::u16string_view text) {
  return ShowMessage(owner, text, MB_YESNO | MB_ICONINFORMATION);
}

void ShowError(HWND owner, std::u16string_view text) { ShowMessage(owner, text, MB_OK | MB_ICONSTOP); }

// ---------------------------------------------------------------- clipboard

bool CopyTextToClipboard(HWND owner, std::u16string_view text) {
  const size_t bytes = (text.size() + 1) * sizeof(char16_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return false;
  void* p = GlobalLock(memory);
  if (!p) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(p, text.data(), text.size() * sizeof(char16_t));
  static_cast<char16_t*>(p)[text.size()] = u'\0';
  GlobalUnlock(memory);
  // Another program may hold the clipboard for a moment.
  bool opened = OpenClipboard(owner) != FALSE;
  for (int attempt = 1; !opened && attempt < 5; ++attempt) {
    Sleep(10);
    opened = OpenClipboard(owner) != FALSE;
  }
  if (!opened) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!placed) GlobalFree(memory);  // the clipboard owns it only once placed
  return placed;
}

// ---------------------------------------------------------------- files

std::u16string AnsiDecode(std::string_view bytes) {
  if (bytes.empty()) return {};
  // Split huge inputs so int lengths never overflow; a cut may fall inside a double-byte
  // character, so cut only after a byte that cannot lead one (below 0x80).
  std::u16string out;
  size_t pos = 0;
  constexpr size_t kChunk = 1u << 26;
  while (pos < bytes.size()) {
    size_t end = std::min(bytes.size(), pos + kChunk);
    if (end < bytes.size()) {
      size_t back = end;
      while (back > pos && static_cast<unsigned char>(bytes[back - 1]) >= 0x80) --back;
      if (back > pos) end = back;
    }
    int n = static_cast<int>(end - pos);
    int need = MultiByteToWideChar(CP_ACP, 0, bytes.data() + pos, n, nullptr, 0);
    size_t base = out.size();
    out.resize(base + static_cast<size_t>(std::max(need, 0)));
    if (need > 0) {
      MultiByteToWideChar(CP_ACP, 0, bytes.data() + pos, n, reinterpret_cast<wchar_t*>(out.data() + base), need);
    }
    pos = end;
  }
  return out;
}

bool AnsiEncode(std::u16string_view text, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  if (text.size() > 0x3FFFFFFF) return false;
  const UINT cp = GetACP();
  const auto* src = reinterpret_cast<const wchar_t*>(text.data());
  const int n = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  // UTF-8 as the ANSI code page holds everything; the flags below are not allowed with it.
  const bool utf8 = cp == CP_UTF8;
  DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int need = WideCharToMultiByte(CP_ACP, flags, src, n, nullptr, 0, nullptr, utf8 ? nullptr : &usedDefault);
  if (need <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(need));
  WideCharToMultiByte(CP_ACP, flags, src, n, out.data(), need, nullptr, utf8 ? nullptr : &usedDefault);
  return !usedDefault;
}

bool FileExists(const std::u16string& path) {
  DWORD attr = GetFileAttributesW(W(path));
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadWholeFile(const std::u16string& path, uint64_t maxBytes, DWORD* error) {
  if (error) *error = 0;
  UniqueHandle file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    if (error) *error = GetLastError();
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    if (error) *error = GetLastError();
    return std::nullopt;
  }
  if (static_cast<uint64_t>(size.QuadPart) > maxBytes) {
    if (error) *error = ERROR_FILE_TOO_LARGE;
    return std::nullopt;
  }
  std::string data(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < data.size()) {
    DWORD want = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 24));
    DWORD got = 0;
    if (!ReadFile(file.get(), data.data() + done, want, &got, nullptr)) {
      if (error) *error = GetLastError();
      return std::nullopt;
    }
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  data.resize(done);
  return data;
}

namespace {
// Creates or truncates `path` and writes `bytes` to disk; on failure the file is removed.
DWORD WriteNewFile(const std::u16string& path, std::string_view bytes) {
  UniqueHandle file(CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return GetLastError();
  size_t done = 0;
  DWORD err = 0;
  while (done < bytes.size() && !err) {
    DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
    DWORD put = 0;
    if (!WriteFile(file.get(), bytes.data() + done, want, &put, nullptr) || put == 0) {
      err = GetLastError();
      if (!err) err = ERROR_WRITE_FAULT;
    }
    done += put;
  }
  if (!err && !FlushFileBuffers(file.get())) err = GetLastError();
  if (err) {
    file.reset();
    DeleteFileW(W(path));
  }
  return err;
}
}  // namespace

DWORD WriteFileAtomic(const std::u16string& path, std::string_view bytes) {
  std::u16string temp = path + u".~" + FromUtf8(std::to_string(GetCurrentProcessId())) + u".tmp";
  if (DWORD err = WriteNewFile(temp, bytes)) return err;
  if (!MoveFileExW(W(temp), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD err = GetLastError();
    DeleteFileW(W(temp));
    return err;
  }
  return 0;
}

TextRead ReadTextLines(const std::u16string& path, uint64_t maxBytes) {
  TextRead result;
  DWORD attr = GetFileAttributesW(W(path));
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return result;
  result.exists = true;
  auto bytes = ReadWholeFile(path, maxBytes, &result.error);
  if (!bytes) return result;
  result.readable = true;
  result.lines = DecodeTextLines(*bytes, &AnsiDecode);
  return result;
}

DWORD WriteTextLines(const std::u16string& path, const std::vector<std::u16string>& lines) {
  return WriteFileAtomic(path, EncodeTextLines(lines, &AnsiEncode));
}

std::u16string ErrorText(DWORD error) {
  wchar_t* buf = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::u16string text;
  if (n && buf) text = U(std::wstring_view(buf, n));
  if (buf) LocalFree(buf);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
  text += u" (" + FromUtf8(std::to_string(error)) + u")";
  return text;
}

// ---------------------------------------------------------------- plug-in folder and settings

std::u16string PluginFolder() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return u"Plugins\\";
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    if (buf.size() >= 32768) break;
    buf.resize(buf.size() * 2);
  }
  size_t slash = buf.find_last_of(L"\\/");
  std::wstring folder = slash == std::wstring::npos ? std::wstring() : buf.substr(0, slash + 1);
  return U(folder) + u"Plugins\\";
}

std::u16string IniRead(const std::u16string& file, const char16_t* section, const char16_t* key,
                       std::u16string_view fallback) {
  std::u16string def(fallback);
  std::wstring buf(512, L'\0');
  for (;;) {
    DWORD n = GetPrivateProfileStringW(W(section), W(key), W(def), buf.data(), static_cast<DWORD>(buf.size()), W(file));
    if (n + 1 < buf.size() || buf.size() >= (1u << 20)) {
      buf.resize(n);
      return U(buf);
    }
    buf.resize(buf.size() * 4);
  }
}

IniWriter::IniWriter(std::u16string file) : file_(std::move(file)) {
  temp_ = file_ + u".~" + FromUtf8(std::to_string(GetCurrentProcessId())) + u".tmp";
  // The profile functions write Unicode only into a file that starts with the UTF-16 LE mark;
  // into any other file (one edited by hand, or no text at all) a font or file name outside the
  // ANSI code page would be written as question marks. So the copy is always UTF-16 LE, the
  // old content decoded as the profile functions read it.
  std::string bytes;
  if (FileExists(file_)) {
    auto old = ReadWholeFile(file_, kIniMaxBytes, &error_);
    if (!old) return;
    bytes = DetectEncoding(*old) == TextEncoding::Utf16LE ? std::move(*old) : ToUtf16LE(DecodeText(*old, &AnsiDecode));
  } else {
    bytes = ToUtf16LE({});
  }
  error_ = WriteNewFile(temp_, bytes);
}

IniWriter::~IniWriter() {
  if (!committed_) DeleteFileW(W(temp_));
}

void IniWriter::Set(const char16_t* section, const char16_t* key, std::u16string_view value) {
  if (error_) return;
  std::u16string v(value);
  if (!WritePrivateProfileStringW(W(section), W(key), W(v), W(temp_))) error_ = GetLastError();
}

DWORD IniWriter::Commit() {
  if (error_) return error_;
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, W(temp_));  // flush the cache to disk
  if (!MoveFileExW(W(temp_), W(file_), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error_ = GetLastError();
    return error_;
  }
  committed_ = true;
  return 0;
}

}  // namespace tovo::win
