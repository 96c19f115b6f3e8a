// The help window: TovoCsvList.txt from the plug-in folder in a read-only memo.
#include "dialogs/Help.h"

#include <algorithm>
#include <vector>

#include "core/TextFile.h"
#include "win/Files.h"
#include "win/Handles.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr SIZE kDesignClient{707, 400};
constexpr win::FormDesign kDesign{kDesignClient, {800, 600}, /*escCloses=*/true};
constexpr char16_t kTruncatedNotice[] =
    u"（ヘルプファイルが大きすぎるため、先頭の 1 MB、20000 行までを表示しています）";

struct HelpText {
  bool exists = false;
  DWORD error = 0;  // the file exists but could not be read
  std::u16string text;
};

// Reads at most kHelpMaxBytes of the file: a huge help file shows its head instead of nothing.
HelpText ReadHelpFile(const std::u16string& path) {
  HelpText result;
  if (!FileExists(path)) return result;
  result.exists = true;
  UniqueHandle file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) {
    result.error = GetLastError();
    return result;
  }
  bool truncated = static_cast<uint64_t>(size.QuadPart) > kHelpMaxBytes;
  std::string bytes(static_cast<size_t>(std::min<uint64_t>(size.QuadPart, kHelpMaxBytes)), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const auto want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
    if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) {
      result.error = GetLastError();
      return result;
    }
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  bytes.resize(done);

  std::vector<std::u16string> lines = DecodeTextLines(bytes, &AnsiDecode);
  bytes = std::string();
  // The cut may fall inside a character; its line is left out whole.
  if (truncated && !lines.empty()) lines.pop_back();
  if (lines.size() > kHelpMaxLines) {
    lines.resize(kHelpMaxLines);
    truncated = true;
  }
  if (truncated) lines.insert(lines.begin(), kTruncatedNotice);

  size_t total = 0;
  for (const auto& line : lines) total += line.size() + 2;
  result.text.reserve(total);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) result.text += u"\r\n";
    result.text += lines[i];
  }
  // The edit control's text ends at the first NUL; a binary file shows whole, marked.
  std::replace(result.text.begin(), result.text.end(), u'\0', u'\uFFFD');
  return result;
}

}  // namespace

TFormHelp::TFormHelp(std::u16string pluginFolder) : Form(kDesign), StrDllFilePath(std::move(pluginFolder)) {}

void TFormHelp::Execute(HWND owner) {
  if (!CreateTopLevel(L"ヘルプ表示", kSizableModalStyle, 0, owner, nullptr) || !CreateControls()) {
    ShowError(owner, u"ヘルプ画面を作成できませんでした。");
    return;
  }
  CenterOnPrimary(hwnd_);
  FormCreate();
  ShowModal(owner);
}

bool TFormHelp::CreateControls() {
  // ES_AUTOHSCROLL without a wrapping style: long lines stay whole and scroll sideways.
  Memo1 = CreateChild(L"EDIT", L"",
                      WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                          ES_AUTOVSCROLL | ES_NOHIDESEL,
                      WS_EX_CLIENTEDGE, 100);
  if (!Memo1) return false;
  // The typing limit would otherwise stop selection keys past 32 K units in some versions.
  SendMessageW(Memo1, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
  GiveUiFont(Memo1);
  layout_ = {{Memo1, 0, 0, kDesignClient.cx, kDesignClient.cy, kLeft | kTop | kRight | kBottom}};
  Layout();
  return true;
}

void TFormHelp::FormCreate() {
  const std::u16string path = StrDllFilePath + kHelpFileName;
  HelpText help = ReadHelpFile(path);
  // A missing file is an empty window, silently; one that is there but unreadable is worth saying.
  if (help.error) {
    ShowMessage(GetWindow(hwnd_, GW_OWNER),
                u"ヘルプファイルを読み込めませんでした。\r\n" + path + u"\r\n" + ErrorText(help.error),
                MB_OK | MB_ICONWARNING);
  }
  SetWindowTextW(Memo1, W(help.text));
}

void TFormHelp::FormShow() {
  TabStops = 16;
  SendMessageW(Memo1, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&TabStops));
  InvalidateRect(Memo1, nullptr, TRUE);
}

bool TFormHelp::PreviewMessage(MSG& msg) {
  // A multi-line edit in a dialog closes its parent on Esc, with Shift or without: Esc alone
  // closes through the base, and no Esc reaches the memo.
  if (msg.wParam != VK_ESCAPE) return false;
  return msg.message == WM_CHAR || (msg.message == WM_KEYDOWN && ModifierHeld());
}

LRESULT TFormHelp::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFOCUS: SetFocus(Memo1); return 0;
    case WM_CLOSE: EndModal(IDCANCEL); return 0;
    case WM_CTLCOLORSTATIC: {
      // Read-only, but a text to read: the window colours rather than the dialog grey.
      if (reinterpret_cast<HWND>(lp) != Memo1) return Default(msg, wp, lp);
      auto dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    default: return Default(msg, wp, lp);
  }
}

void ShowHelp(HWND owner, const std::u16string& pluginFolder) {
  TFormHelp form(pluginFolder);
  form.Execute(owner);
}

}  // namespace tovo
