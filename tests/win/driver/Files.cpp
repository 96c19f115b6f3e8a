// The DLL, the Plugins folder beside the test exe, and text helpers.
#include "driver/Driver.h"

#include <stdexcept>

namespace tovotest {

static std::wstring Decode(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

static std::string Encode(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf8(std::wstring_view text) { return Encode(CP_UTF8, text); }

std::wstring ClipboardText() {
  if (!OpenClipboard(nullptr)) return L"<clipboard busy>";
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}
std::wstring Wide(std::string_view utf8) { return Decode(CP_UTF8, utf8); }

bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (predicate()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(5);
  }
}

std::wstring ExeDir() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring PluginsDir() { return ExeDir() + L"Plugins\\"; }

static bool IsAbsolute(std::wstring_view name) {
  return (name.size() >= 2 && name[1] == L':') || (!name.empty() && (name[0] == L'\\' || name[0] == L'/'));
}

std::wstring PluginFile(std::wstring_view name) {
  return IsAbsolute(name) ? std::wstring(name) : PluginsDir() + std::wstring(name);
}

static void DeleteTree(const std::wstring& dir) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((dir + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring path = dir + name;
    // Tests make files read-only to check failed writes; those must still go.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      DeleteTree(path + L"\\");
      RemoveDirectoryW(path.c_str());
    } else {
      DeleteFileW(path.c_str());
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

void ResetPluginsDir() {
  const std::wstring dir = PluginsDir();
  SetFileAttributesW(dir.substr(0, dir.size() - 1).c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteTree(dir);
  CreateDirectoryW(dir.c_str(), nullptr);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((dir + L"*").c_str(), &found);
  int left = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring_view name = found.cFileName;
      if (name != L"." && name != L"..") ++left;
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  if (left != 0 || GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES)
    ADD_FAILURE() << "could not empty " << Utf8(dir);
}

bool FileExists(std::wstring_view name) {
  DWORD attributes = GetFileAttributesW(PluginFile(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFileIn(std::wstring_view name) {
  const std::wstring path = PluginFile(name);
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(path.c_str()) != 0;
}

void WriteBytes(std::wstring_view name, std::string_view bytes) {
  const std::wstring path = PluginFile(name);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot create " << Utf8(path) << " (error " << GetLastError() << ")";
    return;
  }
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) ADD_FAILURE() << "cannot write " << Utf8(path);
}

void WriteUtf8(std::wstring_view name, std::wstring_view text, bool bom) {
  WriteBytes(name, (bom ? std::string("\xEF\xBB\xBF") : std::string()) + Utf8(text));
}

void WriteAnsi(std::wstring_view name, std::wstring_view text) { WriteBytes(name, Encode(CP_ACP, text)); }

bool JapaneseCodePage() { return GetACP() == 932; }

void WriteText(std::wstring_view name, std::wstring_view text) {
  BOOL lossy = FALSE;
  const std::wstring copy(text);
  if (!copy.empty()) {
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, copy.data(), static_cast<int>(copy.size()), nullptr, 0, nullptr,
                        &lossy);
  }
  if (lossy) {
    WriteUtf8(name, text, true);
  } else {
    WriteAnsi(name, text);
  }
}

std::optional<std::string> ReadBytes(std::wstring_view name) {
  const std::wstring path = PluginFile(name);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

std::wstring DecodeText(std::string_view bytes) {
  auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xEF\xBB\xBF")) return Decode(CP_UTF8, bytes.substr(3));
  const bool le = starts("\xFF\xFE"), be = starts("\xFE\xFF");
  if (le || be) {
    std::wstring out;
    out.reserve((bytes.size() - 2) / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      auto lo = static_cast<unsigned char>(bytes[le ? i : i + 1]);
      auto hi = static_cast<unsigned char>(bytes[le ? i + 1 : i]);
      out.push_back(static_cast<wchar_t>(lo | (hi << 8)));
    }
    return out;
  }
  return Decode(CP_ACP, bytes);
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\r' && text[i] != L'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::optional<std::wstring> ReadText(std::wstring_view name) {
  auto bytes = ReadBytes(name);
  if (!bytes) return std::nullopt;
  return DecodeText(*bytes);
}

std::vector<std::wstring> ReadLines(std::wstring_view name) {
  auto text = ReadText(name);
  return text ? SplitLines(*text) : std::vector<std::wstring>{};
}

std::optional<std::wstring> IniRead(std::wstring_view section, std::wstring_view key, std::wstring_view file) {
  // A default no real value contains tells a missing key from an empty one.
  static constexpr wchar_t kMissing[] = L"\x01missing\x01";
  std::wstring value(4096, L'\0');
  DWORD n = GetPrivateProfileStringW(std::wstring(section).c_str(), std::wstring(key).c_str(), kMissing, value.data(),
                                     static_cast<DWORD>(value.size()), PluginFile(file).c_str());
  value.resize(n);
  if (value == kMissing) return std::nullopt;
  return value;
}

void IniWrite(std::wstring_view section, std::wstring_view key, std::wstring_view value, std::wstring_view file) {
  // A new file starts with a UTF-16 mark, as the plug-in creates it, so the profile functions
  // keep text the ANSI code page cannot hold.
  if (!FileExists(file)) WriteBytes(file, "\xFF\xFE");
  if (!WritePrivateProfileStringW(std::wstring(section).c_str(), std::wstring(key).c_str(), std::wstring(value).c_str(),
                                  PluginFile(file).c_str()))
    ADD_FAILURE() << "cannot write " << Utf8(key) << " to " << Utf8(PluginFile(file));
}

const PluginExports& Plugin() {
  static const PluginExports exports = [] {
    PluginExports e;
    const std::wstring path = ExeDir() + L"TovoCsvList.dll";
    e.module = LoadLibraryW(path.c_str());
    if (!e.module)
      throw std::runtime_error("cannot load " + Utf8(path) + " (error " + std::to_string(GetLastError()) + ")");
    if (const char* missing = LookUpExports(e.module, e))
      throw std::runtime_error(std::string("TovoCsvList.dll does not export ") + missing);
    return e;
  }();
  return exports;
}

}  // namespace tovotest
