// TovoHost: a small stand-in editor for running and testing plug-ins. It shows one text file in
// an edit control, answers the three document messages and lists the plug-ins of its Plugins
// folder in a menu.
//
// Usage: TovoHost.exe [FILE] [/line L] [/run N] [/exit]
//   /line L  caret on line L (1-based) once the file is loaded
//   /run N   run the N-th plug-in's command as soon as the window is shown
//   /exit    close after that command returns, or at once without /run; no message boxes then.
//            Exit code 0, 1 when the file could not be read, 2 without an N-th plug-in,
//            3 when the plug-in threw.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <exception>
#include <string>

#include "host/Plugins.h"
#include "host/TextDocument.h"
#include "core/HostMessages.h"

namespace tovo::host {
namespace {

constexpr wchar_t kClassName[] = L"TovoHostWindow";
constexpr int kEditId = 100;
constexpr int kStatusId = 101;
constexpr UINT kCmdExit = 900;
constexpr UINT kCmdPluginFirst = 1000;
constexpr UINT kMsgRunStartupCommand = WM_APP + 1;

struct Options {
  std::wstring file;
  long line = 0;  // 1-based, 0 for none
  long run = 0;   // 1-based, 0 for none
  bool exitAfterRun = false;
};

Options ParseCommandLine() {
  Options o;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return o;
  auto number = [&](int& i) { return i + 1 < argc ? std::wcstol(argv[++i], nullptr, 10) : 0L; };
  for (int i = 1; i < argc; ++i) {
    const wchar_t* a = argv[i];
    const bool flag = a[0] == L'/' || (a[0] == L'-' && a[1] != L'\0');
    if (flag && lstrcmpiW(a + 1, L"line") == 0) {
      o.line = number(i);
    } else if (flag && lstrcmpiW(a + 1, L"run") == 0) {
      o.run = number(i);
    } else if (flag && lstrcmpiW(a + 1, L"exit") == 0) {
      o.exitAfterRun = true;
    } else {
      o.file = a;
    }
  }
  LocalFree(argv);
  return o;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(h, &size) && size.QuadPart < 0x7FFFFFFF;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = bytes.empty() ||
         (ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
  }
  CloseHandle(h);
  return ok;
}

class MainWindow {
 public:
  explicit MainWindow(Options options) : options_(std::move(options)) {}
  ~MainWindow() {
    if (font_) DeleteObject(font_);
  }
  HWND Create(HINSTANCE instance);

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Proc(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

  void FormCreate();
  void FormSize();
  void LoadDocument();
  void BuildMenu();
  void PutCaretOnLine(long line);
  void RunStartupCommand();
  void RunPlugin(size_t index);
  void MenuSelect(UINT id, UINT flags, HMENU menu);
  void InitPluginMenu(HMENU menu);
  const TextDocument& Document();
  LRESULT AnswerGetLine(const LineRequest* request, wchar_t* buffer);
  LRESULT AnswerCurrentLine(LPARAM charIndex);
  void ShowError(const std::wstring& text) const;

  Options options_;
  HWND hwnd_ = nullptr;
  HWND edit_ = nullptr;
  HWND status_ = nullptr;
  HFONT font_ = nullptr;
  HMENU pluginMenu_ = nullptr;
  PluginSet plugins_;
  TextDocument document_;
  bool documentStale_ = false;  // the user edited the control since document_ was built
  bool settingText_ = false;
  int exitCode_ = 0;
};

HWND MainWindow::Create(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = StaticProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) return nullptr;
  return CreateWindowExW(0, kClassName, L"TovoHost", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                         CW_USEDEFAULT, 960, 640, nullptr, nullptr, instance, this);
}

LRESULT CALLBACK MainWindow::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->Proc(msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT MainWindow::Proc(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    switch (msg) {
      case WM_CREATE: FormCreate(); return 0;
      case WM_SIZE: FormSize(); return 0;
      case WM_SETFOCUS: SetFocus(edit_); return 0;
      case WM_INITMENUPOPUP: InitPluginMenu(reinterpret_cast<HMENU>(wParam)); return 0;
      case WM_MENUSELECT: MenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam)); return 0;
      case kMsgRunStartupCommand: RunStartupCommand(); return 0;
      case kMsgGetLineCount: return static_cast<LRESULT>(Document().LineCount());
      case kMsgGetCurrentLine: return AnswerCurrentLine(lParam);
      case kMsgGetLine:
        return AnswerGetLine(reinterpret_cast<const LineRequest*>(wParam), reinterpret_cast<wchar_t*>(lParam));
      case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id == kEditId && HIWORD(wParam) == EN_CHANGE && !settingText_)
          documentStale_ = true;
        else if (id == kCmdExit)
          DestroyWindow(hwnd_);
        else if (id >= kCmdPluginFirst && id < kCmdPluginFirst + plugins_.Items().size())
          RunPlugin(id - kCmdPluginFirst);
        return 0;
      }
      case WM_DESTROY: PostQuitMessage(exitCode_); return 0;
      default: break;
    }
  } catch (const std::exception& e) {
    ShowError(L"TovoHost: " + std::wstring(e.what(), e.what() + std::strlen(e.what())));
  } catch (...) {
    ShowError(L"TovoHost: unexpected error");
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void MainWindow::FormCreate() {
  edit_ = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"EDIT", L"",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL,
      0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), nullptr, nullptr);
  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)), nullptr, nullptr);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  font_ =
      CreateFontW(-MulDiv(16, dpi, 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック");
  SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);  // 0: the largest the control allows
  LoadDocument();
  BuildMenu();
}

void MainWindow::FormSize() {
  SendMessageW(status_, WM_SIZE, 0, 0);
  RECT client{}, bar{};
  GetClientRect(hwnd_, &client);
  GetWindowRect(status_, &bar);
  MoveWindow(edit_, 0, 0, client.right, std::max(0L, client.bottom - (bar.bottom - bar.top)), TRUE);
}

void MainWindow::LoadDocument() {
  if (options_.file.empty()) return;
  const size_t slash = options_.file.find_last_of(L"\\/");
  SetWindowTextW(hwnd_, (L"TovoHost - " + options_.file.substr(slash == std::wstring::npos ? 0 : slash + 1)).c_str());
  std::string bytes;
  std::wstring text;
  if (!ReadWholeFile(options_.file, bytes) || !DecodeText(bytes, text)) {
    exitCode_ = 1;
    ShowError(L"ファイルを開けません: " + options_.file);
    return;
  }
  document_.SetFileText(text);
  // The control stops at a zero unit; it shows a replacement character where the document has
  // one, and the plug-in still receives the document's own text.
  std::wstring shown = document_.JoinedText();
  std::replace(shown.begin(), shown.end(), L'\0', L'\xFFFD');
  settingText_ = true;
  SetWindowTextW(edit_, shown.c_str());
  settingText_ = false;
}

void MainWindow::BuildMenu() {
  std::vector<std::wstring> skipped;
  plugins_.LoadFolder(ProgramFolder() + L"Plugins\\", skipped);
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kCmdExit, L"終了(&X)");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"ファイル(&F)");
  pluginMenu_ = CreatePopupMenu();
  const auto& items = plugins_.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_ID | MIIM_STRING | (items[i].menuBitmap ? MIIM_BITMAP : 0);
    mi.wID = kCmdPluginFirst + static_cast<UINT>(i);
    mi.dwTypeData = const_cast<wchar_t*>(items[i].menuText.c_str());
    mi.hbmpItem = items[i].menuBitmap;
    InsertMenuItemW(pluginMenu_, static_cast<UINT>(i), TRUE, &mi);
  }
  if (items.empty()) AppendMenuW(pluginMenu_, MF_STRING | MF_GRAYED, 0, L"(プラグインなし)");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(pluginMenu_), L"プラグイン(&P)");
  SetMenu(hwnd_, bar);  // the window destroys its menu
  if (!skipped.empty()) {
    std::wstring names;
    for (const auto& s : skipped) names += L" " + s;
    SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>((L"読み込めないプラグイン:" + names).c_str()));
  }
}

void MainWindow::PutCaretOnLine(long line) {
  const LRESULT count = SendMessageW(edit_, EM_GETLINECOUNT, 0, 0);
  const LRESULT index = SendMessageW(edit_, EM_LINEINDEX, static_cast<WPARAM>(std::min<LRESULT>(line, count) - 1), 0);
  if (index < 0) return;
  SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(index), index);
  // Middle of the view rather than EM_SCROLLCARET's bottom edge, which can end up under the
  // horizontal scroll bar.
  RECT view{};
  SendMessageW(edit_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&view));
  TEXTMETRICW tm{};
  HDC dc = GetDC(edit_);
  HGDIOBJ old = SelectObject(dc, font_);
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(edit_, dc);
  const LONG visible = std::max(1L, (view.bottom - view.top) / std::max(1L, tm.tmHeight));
  const LRESULT target = SendMessageW(edit_, EM_LINEFROMCHAR, static_cast<WPARAM>(index), 0);
  const LRESULT first = SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageW(edit_, EM_LINESCROLL, 0, target - first - visible / 2);
}

void MainWindow::InitPluginMenu(HMENU menu) {
  if (menu != pluginMenu_) return;
  const auto& items = plugins_.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    int32_t checked = 0;
    const bool enabled = items[i].QueryStatus(hwnd_, &checked) != 0;
    const UINT id = kCmdPluginFirst + static_cast<UINT>(i);
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void MainWindow::MenuSelect(UINT id, UINT flags, HMENU menu) {
  const bool closed = flags == 0xFFFF && menu == nullptr;
  const bool plugin =
      !closed && !(flags & MF_POPUP) && id >= kCmdPluginFirst && id < kCmdPluginFirst + plugins_.Items().size();
  const std::wstring& text = plugin ? plugins_.Items()[id - kCmdPluginFirst].statusText : std::wstring();
  SendMessageW(status_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Runs once the window is shown, so the caret line can be scrolled into the real view size.
void MainWindow::RunStartupCommand() {
  if (options_.line > 0) PutCaretOnLine(options_.line);
  if (options_.run > 0) RunPlugin(static_cast<size_t>(options_.run - 1));
  if (options_.exitAfterRun) DestroyWindow(hwnd_);
}

void MainWindow::RunPlugin(size_t index) {
  const auto& items = plugins_.Items();
  if (index >= items.size()) {
    exitCode_ = 2;
    if (!options_.exitAfterRun) ShowError(L"そのプラグインはありません: " + std::to_wstring(index + 1));
  } else {
    int32_t checked = 0;
    if (items[index].QueryStatus(hwnd_, &checked) != 0) {
      try {
        items[index].OnCommand(hwnd_);
      } catch (...) {
        // An exception from a plug-in must not take the editor down with it.
        exitCode_ = 3;
        ShowError(L"プラグインが例外で終了しました: " + items[index].fileName);
      }
    }
  }
}

const TextDocument& MainWindow::Document() {
  if (documentStale_) {
    const int length = GetWindowTextLengthW(edit_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit_, text.data(), length + 1)));
    document_.SetControlText(std::move(text));
    documentStale_ = false;
  }
  return document_;
}

LRESULT MainWindow::AnswerCurrentLine(LPARAM charIndex) {
  // -1 asks for the caret's line; any other value is taken as a character position.
  const LRESULT line = SendMessageW(edit_, EM_LINEFROMCHAR, static_cast<WPARAM>(charIndex), 0);
  const auto count = static_cast<LRESULT>(Document().LineCount());
  return std::clamp<LRESULT>(line, 0, std::max<LRESULT>(count - 1, 0));
}

LRESULT MainWindow::AnswerGetLine(const LineRequest* request, wchar_t* buffer) {
  if (!request || request->line < 0) return 0;
  const std::wstring_view line = Document().Line(static_cast<size_t>(request->line));
  if (!buffer) return static_cast<LRESULT>(line.size());
  const size_t n = std::min<size_t>(line.size(), request->capacity);
  std::copy_n(line.data(), n, buffer);
  return static_cast<LRESULT>(n);
}

void MainWindow::ShowError(const std::wstring& text) const {
  if (options_.exitAfterRun) return;  // scripts read the exit code; a box would wait forever
  MessageBoxW(hwnd_, text.c_str(), L"TovoHost", MB_OK | MB_ICONSTOP);
}

void BecomeDpiAware() {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  using SetContextProc = BOOL(WINAPI*)(HANDLE);
  auto setContext = reinterpret_cast<SetContextProc>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  // -4: per-monitor aware, version 2.
  if (setContext && setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) return;
  SetProcessDPIAware();
}

}  // namespace
}  // namespace tovo::host

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  using namespace tovo::host;
  BecomeDpiAware();
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  MainWindow window(ParseCommandLine());
  HWND hwnd = window.Create(instance);
  if (!hwnd) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  PostMessageW(hwnd, kMsgRunStartupCommand, 0, 0);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
