#include "host/Plugins.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace tovo::host {
namespace {

// The string-table entry in the plug-in's own language: LoadStringW follows the thread's UI
// language and may pick another translation or none.
std::wstring LoadPluginString(HMODULE module, int id) {
  if (id >= 0 && id <= 0xFFFF) {
    const auto block = MAKEINTRESOURCEW(id / 16 + 1);
    HRSRC res = FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */, block, tovo::kResourceLanguage);
    if (res) {
      const auto* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, res)));
      const size_t units = SizeofResource(module, res) / sizeof(WCHAR);
      // A block holds 16 counted strings; walk to ours without reading past the resource.
      size_t pos = 0;
      for (int i = 0; p && pos < units; ++i) {
        const size_t len = p[pos++];
        if (i == id % 16) return std::wstring(p + pos, std::min(len, units - pos));
        pos += len;
      }
    }
  }
  const WCHAR* text = nullptr;
  const int len = LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  return len > 0 && text ? std::wstring(text, static_cast<size_t>(len)) : std::wstring();
}

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct BitmapDeleter {
  void operator()(HBITMAP bmp) const { DeleteObject(bmp); }
};
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

HBITMAP CreateDib(int size, uint32_t*& bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* p = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  bits = static_cast<uint32_t*>(p);
  return bmp;
}

// Menus draw a 32-bit item bitmap with per-pixel alpha. The icon is drawn once on black and once
// on white: where they differ the background showed through, which gives the alpha, and the
// drawing on black is already premultiplied.
HBITMAP MenuBitmapFromIcon(HICON icon, int size) {
  uint32_t* black = nullptr;
  uint32_t* white = nullptr;
  UniqueBitmap onBlack(CreateDib(size, black));
  UniqueBitmap onWhite(CreateDib(size, white));
  UniqueDc dc(CreateCompatibleDC(nullptr));
  if (!onBlack || !onWhite || !dc) return nullptr;
  const size_t count = static_cast<size_t>(size) * size;
  std::memset(black, 0x00, count * 4);
  std::memset(white, 0xFF, count * 4);
  HGDIOBJ old = SelectObject(dc.get(), onBlack.get());
  DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  SelectObject(dc.get(), onWhite.get());
  DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  SelectObject(dc.get(), old);
  GdiFlush();
  for (size_t i = 0; i < count; ++i) {
    unsigned seen = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const unsigned b = (black[i] >> shift) & 0xFF;
      const unsigned w = (white[i] >> shift) & 0xFF;
      seen = std::max(seen, w > b ? w - b : 0u);
    }
    black[i] = (black[i] & 0x00FFFFFF) | ((255u - seen) << 24);
  }
  return onBlack.release();
}

}  // namespace

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L".\\";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  path.resize(path.find_last_of(L"\\/") + 1);
  return path;
}

PluginSet::~PluginSet() {
  for (Plugin& p : items_) {
    if (p.menuBitmap) DeleteObject(p.menuBitmap);
    FreeLibrary(p.module);
  }
}

void PluginSet::LoadFolder(const std::wstring& folder, std::vector<std::wstring>& skipped) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((folder + L"*.dll").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  // The directory order differs between file systems; the menu and /run N must not.
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
  });

  for (const std::wstring& name : names) {
    Plugin p;
    p.fileName = name;
    p.module = LoadLibraryW((folder + name).c_str());
    if (!p.module) {
      skipped.push_back(name);
      continue;
    }
    if (LookUpExports(p.module, p)) {  // not a complete plug-in
      FreeLibrary(p.module);
      skipped.push_back(name);
      continue;
    }
    p.menuText = LoadPluginString(p.module, p.GetMenuTextID());
    if (p.menuText.empty()) p.menuText = name;
    p.statusText = LoadPluginString(p.module, p.GetStatusMessageID());
    p.statusText.resize(std::min(p.statusText.size(), p.statusText.find(L'|')));
    const int size = GetSystemMetrics(SM_CXSMICON);
    if (HICON icon = static_cast<HICON>(
            LoadImageW(p.module, MAKEINTRESOURCEW(p.GetIconID()), IMAGE_ICON, size, size, LR_DEFAULTCOLOR))) {
      p.menuBitmap = MenuBitmapFromIcon(icon, size);
      DestroyIcon(icon);
    }
    items_.push_back(std::move(p));
  }
}

}  // namespace tovo::host
