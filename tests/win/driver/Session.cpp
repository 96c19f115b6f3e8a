// One run of OnCommand on its own UI thread, and the user's side of it.
#include "driver/Driver.h"

#include <cstdio>
#include <sstream>

namespace tovotest {

// Filled by a WH_GETMESSAGE hook on the UI thread: it sees every message any loop of that thread
// takes (the plug-in's modal loops and message boxes included), so a test can wait until its
// input was taken instead of sleeping.
struct UiProbe {
  std::atomic<uint32_t> keyDowns[256] = {};
  std::atomic<uint32_t> keyUps[256] = {};
  std::atomic<uint64_t> syncPosted{0};
  std::atomic<uint64_t> syncSeen{0};
};

namespace {

thread_local UiProbe* tlsProbe = nullptr;

UINT SyncMessage() {
  static const UINT message = RegisterWindowMessageW(L"TovoTestSync");
  return message;
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && tlsProbe) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP) {
      tlsProbe->keyUps[msg->wParam & 0xFF].fetch_add(1);
    } else if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
      tlsProbe->keyDowns[msg->wParam & 0xFF].fetch_add(1);
    } else if (msg->message == SyncMessage() && msg->hwnd == nullptr) {
      uint64_t seen = tlsProbe->syncSeen.load();
      while (seen < msg->wParam && !tlsProbe->syncSeen.compare_exchange_weak(seen, msg->wParam)) {
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool IsExtendedKey(UINT vk) {
  switch (vk) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_DIVIDE:
    case VK_NUMLOCK: return true;
    default: return false;
  }
}

INPUT KeyInput(UINT vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(vk);
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return in;
}

BoxIcon IconOf(HWND box) {
  for (HWND child : Children(box, L"Static")) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    auto icon = reinterpret_cast<HICON>(Send(child, STM_GETICON));
    if (!icon) return BoxIcon::None;
    const std::pair<LPCWSTR, BoxIcon> known[] = {{IDI_INFORMATION, BoxIcon::Information},
                                                 {IDI_WARNING, BoxIcon::Warning},
                                                 {IDI_ERROR, BoxIcon::Error},
                                                 {IDI_QUESTION, BoxIcon::Question}};
    for (const auto& [id, kind] : known)
      if (LoadIconW(nullptr, id) == icon) return kind;
    return BoxIcon::Other;
  }
  return BoxIcon::None;
}

}  // namespace

Session::Session(FakeHost& host, Body body) : host_(host), probe_(std::make_shared<UiProbe>()) {
  // Load the DLL here so that a missing one fails the test body with its reason.
  if (!body) Plugin();
  thread_ = std::thread([this, body = std::move(body)]() mutable { Run(std::move(body)); });
  if (!WaitUntil([&] { return started_.load(); })) ADD_FAILURE() << "the UI thread did not start";
}

void Session::Run(Body body) {
  uiThreadId_.store(GetCurrentThreadId());
  tlsProbe = probe_.get();
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId());
  if (!hook) ADD_FAILURE() << "cannot hook the UI thread (error " << GetLastError() << ")";
  HWND hostWindow = host_.CreateHostWindow();
  started_.store(true);
  try {
    if (body)
      body(hostWindow);
    else
      Plugin().OnCommand(hostWindow);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "exception on the UI thread: " << e.what();
  } catch (...) {
    ADD_FAILURE() << "unknown exception on the UI thread";
  }
  returnedAt_.store(GetTickCount64());
  returned_.store(true);
  host_.DestroyHostWindow();
  if (hook) UnhookWindowsHookEx(hook);
  tlsProbe = nullptr;
}

Session::~Session() {
  if (!returned_.load()) CloseEverything();
  if (!returned_.load()) {
    ADD_FAILURE() << "OnCommand did not return within " << kTimeoutMs / 1000 << " s of closing every window; windows:\n"
                  << DescribeWindows();
    std::fprintf(stderr, "\nFATAL: a window of the plug-in hangs; ending the test program.\n");
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
  }
  if (thread_.joinable()) thread_.join();
}

void Session::CloseEverything() {
  const ULONGLONG end = GetTickCount64() + kTimeoutMs;
  while (!returned_.load() && GetTickCount64() < end) {
    for (HWND w : Windows()) CloseOne(w);
    WaitUntil([&] { return returned_.load(); }, 200);
  }
}

void Session::CloseOne(HWND w) const {
  if (w == HostWindow() || !IsWindowVisible(w)) return;
  if (ClassName(w) == L"#32770") {
    for (int id : {IDCANCEL, IDNO, IDOK}) {
      if (HWND button = GetDlgItem(w, id)) {
        PostMessageW(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        break;
      }
    }
  } else if (IsWindowEnabled(w)) {
    PostMessageW(w, WM_CLOSE, 0, 0);
  }
}

bool Session::CloseWindowsOver(HWND window) const {
  const ULONGLONG end = GetTickCount64() + kTimeoutMs;
  while (IsWindow(window) && !IsWindowEnabled(window) && !returned_.load() && GetTickCount64() < end) {
    // Only the innermost window is enabled, so one round closes one level.
    for (HWND w : Windows()) {
      if (w != window) CloseOne(w);
    }
    WaitUntil([&] { return IsWindowEnabled(window) || returned_.load(); }, 200);
  }
  return !IsWindow(window) || IsWindowEnabled(window) || returned_.load();
}

bool Session::WaitReturned(DWORD timeoutMs) const {
  return WaitUntil([&] { return returned_.load(); }, timeoutMs);
}

std::vector<HWND> Session::Windows() const {
  std::vector<HWND> windows;
  const DWORD thread = uiThreadId_.load();
  if (!thread || returned_.load()) return windows;
  EnumThreadWindows(
      thread,
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND Session::WaitWindow(std::wstring_view caption, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : Windows()) {
          if (w != HostWindow() && IsWindowVisible(w) && GetWindow(w, GW_CHILD) && WindowText(w) == caption) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::string Session::DescribeWindows() const {
  std::ostringstream out;
  for (HWND w : Windows()) {
    RECT r = WindowRectOf(w);
    out << "  " << static_cast<const void*>(w) << " " << Utf8(ClassName(w)) << " \"" << Utf8(WindowText(w)) << "\""
        << (IsWindowVisible(w) ? " visible" : " hidden") << (IsWindowEnabled(w) ? "" : " disabled") << " (" << r.left
        << "," << r.top << ")-(" << r.right << "," << r.bottom << ")" << (w == HostWindow() ? " [host]" : "") << "\n";
    for (HWND c : Children(w)) {
      std::wstring text = WindowText(c);
      if (text.size() > 40) text.resize(40);
      out << "      " << Utf8(ClassName(c)) << " id " << GetDlgCtrlID(c) << " \"" << Utf8(text) << "\"\n";
    }
  }
  return out.str();
}

bool Session::Sync(DWORD timeoutMs) {
  const uint64_t seq = probe_->syncPosted.fetch_add(1) + 1;
  if (!PostThreadMessageW(uiThreadId_.load(), SyncMessage(), static_cast<WPARAM>(seq), 0)) return false;
  return WaitUntil([&] { return probe_->syncSeen.load() >= seq || returned_.load(); }, timeoutMs);
}

std::optional<MessageBoxInfo> Session::WaitMessageBox(DWORD timeoutMs) const {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : Windows()) {
          // Its text reads empty until the box is visible.
          if (IsWindowVisible(w) && ClassName(w) == L"#32770") {
            box = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  if (!box) return std::nullopt;
  MessageBoxInfo info;
  info.hwnd = box;
  info.caption = WindowText(box);
  if (HWND text = GetDlgItem(box, 0xFFFF)) info.text = WindowText(text);
  auto has = [&](int id) {
    HWND button = GetDlgItem(box, id);
    return button && IsWindowVisible(button);
  };
  info.hasOk = has(IDOK);
  info.hasCancel = has(IDCANCEL);
  info.hasYes = has(IDYES);
  info.hasNo = has(IDNO);
  info.icon = IconOf(box);
  return info;
}

bool Session::Answer(const MessageBoxInfo& box, int buttonId, DWORD timeoutMs) const {
  HWND button = GetDlgItem(box.hwnd, buttonId);
  if (!button) return false;
  PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  // Gone, not just hidden: a hidden box's loop may still take the next message meant for the
  // window under it, with that window still disabled.
  return WaitUntil([&] { return !IsWindow(box.hwnd); }, timeoutMs);
}

bool Session::NoMessageBoxWithin(DWORD ms) const { return !WaitMessageBox(ms); }

bool Session::WaitKeyUps(HWND window, const std::vector<UINT>& vks, const KeyCounts& before, DWORD timeoutMs) const {
  const UINT key = vks.back();
  return WaitUntil(
      [&] {
        // A key that closes the window (Esc) or ends the command leaves its key-up to nobody.
        if (returned_.load()) return true;
        if (probe_->keyDowns[key & 0xFF].load() != before.downs && !IsWindow(window)) return true;
        for (size_t i = 0; i < vks.size(); ++i)
          if (probe_->keyUps[vks[i] & 0xFF].load() == before.ups[i]) return false;
        return true;
      },
      timeoutMs);
}

Session::KeyCounts Session::CountKeys(const std::vector<UINT>& vks) const {
  KeyCounts counts;
  counts.downs = probe_->keyDowns[vks.back() & 0xFF].load();
  for (UINT k : vks) counts.ups.push_back(probe_->keyUps[k & 0xFF].load());
  return counts;
}

bool Session::PostKey(HWND hwnd, UINT vk, DWORD timeoutMs) {
  const KeyCounts before = CountKeys({vk});
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  if (!PostMessageW(hwnd, WM_KEYDOWN, vk, 1 | scan)) return false;
  PostMessageW(hwnd, WM_KEYUP, vk, 1 | scan | (LPARAM{1} << 30) | (LPARAM{1} << 31));
  return WaitKeyUps(hwnd, {vk}, before, timeoutMs);
}

bool Session::PressKeys(HWND window, UINT vk, bool shift, bool ctrl, bool alt, DWORD timeoutMs) {
  SetForegroundWindow(window);
  if (!WaitUntil([&] { return GetForegroundWindow() == window; }, timeoutMs)) {
    std::fprintf(stderr, "PressKeys: the window did not become the foreground window\n");
    return false;
  }
  std::vector<UINT> keys;
  if (shift) keys.push_back(VK_SHIFT);
  if (ctrl) keys.push_back(VK_CONTROL);
  if (alt) keys.push_back(VK_MENU);
  keys.push_back(vk);
  const KeyCounts before = CountKeys(keys);
  std::vector<INPUT> inputs;
  for (UINT k : keys) inputs.push_back(KeyInput(k, false));
  for (auto k = keys.rbegin(); k != keys.rend(); ++k) inputs.push_back(KeyInput(*k, true));
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) return false;
  return WaitKeyUps(window, keys, before, timeoutMs);
}

bool Session::MenuCommand(HWND window, std::wstring_view caption) const {
  MenuItemInfo item = MenuItemState(window, caption);
  if (!item.exists) {
    std::string all;
    for (const auto& text : MenuCaptions(window)) all += "  \"" + Utf8(text) + "\"\n";
    std::fprintf(stderr, "MenuCommand: no item \"%s\"; the menu holds:\n%s", Utf8(caption).c_str(), all.c_str());
    return false;
  }
  if (item.disabled) return false;
  return PostMessageW(window, WM_COMMAND, MAKEWPARAM(item.id, 0), 0) != 0;
}

void Session::CloseWindow(HWND window) const { PostMessageW(window, WM_CLOSE, 0, 0); }

}  // namespace tovotest
