// Reading and working the plug-in's controls from the test thread.
#include "driver/Driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace tovotest {

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_NORMAL, kTimeoutMs, &result)) {
    ADD_FAILURE() << "message 0x" << std::hex << msg << " to " << Utf8(ClassName(hwnd)) << " was not answered (error "
                  << std::dec << GetLastError() << ")";
    return 0;
  }
  return static_cast<LRESULT>(result);
}

std::wstring WindowText(HWND hwnd, DWORD timeoutMs) {
  // Not through Send: polls read windows that may be destroyed meanwhile, which is no failure.
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &n)) {
    if (IsWindow(hwnd)) ADD_FAILURE() << "WM_GETTEXTLENGTH was not answered";
    return {};
  }
  std::wstring text(n + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                           timeoutMs, &got))
    return {};
  text.resize(std::min<size_t>(got, n));
  return text;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t name[256] = {};
  int n = GetClassNameW(hwnd, name, 256);
  return std::wstring(name, static_cast<size_t>(std::max(n, 0)));
}

RECT WindowRectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

SIZE ClientSizeOf(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

bool IsVisibleEnabled(HWND hwnd) { return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

HWND OpenPopupMenu(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(
      thread,
      [](HWND hwnd, LPARAM out) {
        if (ClassName(hwnd) != L"#32768" || !IsWindowVisible(hwnd)) return TRUE;
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> Children(HWND parent, std::wstring_view cls) {
  struct Search {
    std::wstring_view cls;
    std::vector<HWND> found;
  } search{cls, {}};
  EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        if (s->cls.empty() ||
            CompareStringOrdinal(ClassName(hwnd).c_str(), -1, std::wstring(s->cls).c_str(), -1, TRUE) == CSTR_EQUAL)
          s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChildByClass(HWND parent, std::wstring_view cls, int index) {
  std::vector<HWND> found = Children(parent, cls);
  return index >= 0 && static_cast<size_t>(index) < found.size() ? found[index] : nullptr;
}

HWND FindChildById(HWND parent, int id) {
  for (HWND child : Children(parent))
    if (GetDlgCtrlID(child) == id) return child;
  return nullptr;
}

HWND FindChildByText(HWND parent, std::wstring_view text, std::wstring_view cls) {
  for (HWND child : Children(parent, cls))
    if (WindowText(child) == text) return child;
  return nullptr;
}

// ---- list view ----
int ListRowCount(HWND list) { return static_cast<int>(Send(list, LVM_GETITEMCOUNT)); }

std::wstring ListCell(HWND list, int row, int col) {
  // Same process: the list writes straight into this buffer. Grow it while the text fills it.
  for (size_t size = 1024;; size *= 4) {
    std::wstring text(size, L'\0');
    LVITEMW item{};
    item.iSubItem = col;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(size);
    const size_t n =
        static_cast<size_t>(Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (n + 1 < size || size >= (size_t{1} << 20)) {
      text.resize(std::min(n, size));
      return text;
    }
  }
}

int ListSelected(HWND list) {
  return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int ListFocused(HWND list) {
  return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int ListTopIndex(HWND list) { return static_cast<int>(Send(list, LVM_GETTOPINDEX)); }
int ListCountPerPage(HWND list) { return static_cast<int>(Send(list, LVM_GETCOUNTPERPAGE)); }

int ListColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
  return header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT)) : 0;
}

std::wstring ListColumnCaption(HWND list, int col) {
  wchar_t text[512] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = text;
  column.cchTextMax = 512;
  if (!Send(list, LVM_GETCOLUMNW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column))) return {};
  return text;
}

int ListColumnWidth(HWND list, int col) {
  return static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(col)));
}

RECT ListCellRect(HWND list, int row, int col) {
  RECT r{};
  r.top = col;
  r.left = LVIR_BOUNDS;
  Send(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
  if (col == 0) {
    // Sub-item 0 reports the whole row; the first column ends where column 0 does.
    r.right = r.left + ListColumnWidth(list, 0);
  }
  return r;
}

COLORREF ListTextColor(HWND list) { return static_cast<COLORREF>(Send(list, LVM_GETTEXTCOLOR)); }
COLORREF ListBkColor(HWND list) { return static_cast<COLORREF>(Send(list, LVM_GETBKCOLOR)); }

// ---- status bar ----
std::wstring StatusText(HWND statusBar, int panel) {
  // The window may set a longer text between the two sends (it pumps during long work): room
  // to spare, as SB_GETTEXTW takes no buffer size.
  const size_t n = LOWORD(Send(statusBar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel)));
  std::wstring text(n + 4096, L'\0');
  Send(statusBar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::wcslen(text.c_str()));
  return text;
}

std::vector<int> StatusPartsWidths(HWND statusBar) {
  int rights[256] = {};
  const int parts = static_cast<int>(Send(statusBar, SB_GETPARTS, 256, reinterpret_cast<LPARAM>(rights)));
  std::vector<int> widths;
  int left = 0;
  for (int i = 0; i < parts; ++i) {
    const int right = rights[i] < 0 ? ClientSizeOf(statusBar).cx : rights[i];
    widths.push_back(right - left);
    left = right;
  }
  return widths;
}

// ---- combo boxes ----
std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  const int count = static_cast<int>(Send(combo, CB_GETCOUNT));
  for (int i = 0; i < count; ++i) {
    const int n = static_cast<int>(Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i)));
    std::wstring text(static_cast<size_t>(std::max(n, 0)) + 1, L'\0');
    Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max(n, 0)));
    items.push_back(std::move(text));
  }
  return items;
}

int ComboSelected(HWND combo) { return static_cast<int>(Send(combo, CB_GETCURSEL)); }
std::wstring ComboText(HWND combo) { return WindowText(combo); }

// ---- the user's actions ----
static void NotifyParent(HWND control, WORD code) {
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
               reinterpret_cast<LPARAM>(control));
}

bool ClickButton(HWND button) {
  if (!button || !IsVisibleEnabled(button)) return false;
  NotifyParent(button, BN_CLICKED);
  return true;
}

bool ChooseCombo(HWND combo, int index) {
  if (!combo || !IsVisibleEnabled(combo)) return false;
  if (Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index)) != index) return false;
  NotifyParent(combo, CBN_SELCHANGE);
  return true;
}

bool SetComboText(HWND combo, std::wstring_view text) {
  if (!combo || !IsVisibleEnabled(combo)) return false;
  const std::wstring value(text);
  Send(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  NotifyParent(combo, CBN_EDITCHANGE);
  return true;
}

void TypeChars(HWND hwnd, std::wstring_view text) {
  // Typing into an editable combo box reaches the edit control inside it.
  if (CompareStringOrdinal(ClassName(hwnd).c_str(), -1, L"ComboBox", -1, TRUE) == CSTR_EQUAL) {
    if (HWND edit = FindWindowExW(hwnd, nullptr, L"Edit", nullptr)) hwnd = edit;
  }
  for (wchar_t c : text) PostMessageW(hwnd, WM_CHAR, c, 1);
}

// ---- menus ----
namespace {

std::wstring ItemText(HMENU menu, int pos) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info);
  std::wstring text(info.cch + 1, L'\0');
  info.dwTypeData = text.data();
  info.cch = static_cast<UINT>(text.size());
  GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info);
  text.resize(info.cch);
  return text;
}

// Depth first over the menu bar; `visit` returns true to stop.
bool WalkMenu(HMENU menu, const std::function<bool(HMENU, int, const std::wstring&)>& visit) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const std::wstring text = ItemText(menu, i);
    if (visit(menu, i, text)) return true;
    if (HMENU sub = GetSubMenu(menu, i); sub && WalkMenu(sub, visit)) return true;
  }
  return false;
}

}  // namespace

MenuItemInfo MenuItemState(HWND window, std::wstring_view caption) {
  MenuItemInfo result;
  HMENU bar = GetMenu(window);
  if (!bar) return result;
  WalkMenu(bar, [&](HMENU menu, int pos, const std::wstring& text) {
    if (std::wstring_view(text).substr(0, text.find(L'\t')) != caption) return false;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE;
    GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info);
    result.exists = true;
    result.checked = (info.fState & MFS_CHECKED) != 0;
    result.disabled = (info.fState & MFS_DISABLED) != 0;
    result.id = info.wID;
    result.text = text;
    return true;
  });
  return result;
}

std::wstring MenuItemText(HWND window, std::wstring_view caption) { return MenuItemState(window, caption).text; }

std::vector<std::wstring> MenuCaptions(HWND window) {
  std::vector<std::wstring> all;
  if (HMENU bar = GetMenu(window)) {
    WalkMenu(bar, [&](HMENU, int, const std::wstring& text) {
      all.push_back(text);
      return false;
    });
  }
  return all;
}

// ---- fonts and pixels ----
LOGFONTW WindowFont(HWND hwnd) {
  LOGFONTW font{};
  auto handle = reinterpret_cast<HFONT>(Send(hwnd, WM_GETFONT));
  if (!handle) handle = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  GetObjectW(handle, sizeof font, &font);
  return font;
}

COLORREF Pixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  const uint32_t rgb = data[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

Pixels CaptureWindowPixels(HWND hwnd) {
  // Paint everything again first, so the capture shows the current state.
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  return CaptureShownPixels(hwnd);
}

Pixels CaptureShownPixels(HWND hwnd) {
  Pixels pixels;
  // Only what is pending is painted: whatever a window left on the screen stays in the capture.
  RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const SIZE size = ClientSizeOf(hwnd);
  if (size.cx <= 0 || size.cy <= 0) return pixels;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(hwnd);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, size.cx, size.cy, screen, 0, 0, SRCCOPY);
    GdiFlush();
    pixels.width = size.cx;
    pixels.height = size.cy;
    const auto* p = static_cast<const uint32_t*>(bits);
    pixels.data.assign(p, p + static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
    SelectObject(memory, old);
  } else {
    ADD_FAILURE() << "cannot create a DIB section for the capture";
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(hwnd, screen);
  return pixels;
}

}  // namespace tovotest
