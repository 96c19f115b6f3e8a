// Text between the plug-in and Windows.
#include "win/Text.h"

#include <algorithm>
#include <cstring>

#include "win/Handles.h"

namespace tovo::win {

std::u16string WindowText(HWND hwnd) {
  int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return {};
  std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
  int got = GetWindowTextW(hwnd, buf.data(), len + 1);
  buf.resize(static_cast<size_t>(std::max(got, 0)));
  return U(buf);
}

void SetText(HWND hwnd, std::u16string_view text) { SetWindowTextW(hwnd, std::wstring(WV(text)).c_str()); }

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

bool CopyTextToClipboard(HWND owner, std::u16string_view text) {
  const size_t bytes = (text.size() + 1) * sizeof(char16_t);
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return false;
  void* p = GlobalLock(memory.get());
  if (!p) return false;
  std::memcpy(p, text.data(), text.size() * sizeof(char16_t));
  static_cast<char16_t*>(p)[text.size()] = u'\0';
  GlobalUnlock(memory.get());
  // Another program may hold the clipboard for a moment.
  bool opened = OpenClipboard(owner) != FALSE;
  for (int attempt = 1; !opened && attempt < 5; ++attempt) {
    Sleep(10);
    opened = OpenClipboard(owner) != FALSE;
  }
  if (!opened) return false;
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_UNICODETEXT, memory.get()) != nullptr;
  CloseClipboard();
  if (placed) memory.release();  // the clipboard owns it once placed
  return placed;
}

std::vector<std::u16string> ComboItems(HWND combo) {
  std::vector<std::u16string> items;
  int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  items.reserve(static_cast<size_t>(std::max(count, 0)));
  std::wstring buf;
  for (int i = 0; i < count; ++i) {
    int len = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0));
    if (len < 0) len = 0;
    buf.assign(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<size_t>(len));
    items.push_back(U(buf));
  }
  return items;
}

void SetComboItems(HWND combo, const std::vector<std::u16string>& items) {
  SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const auto& item : items) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item)));
  SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
}

}  // namespace tovo::win
