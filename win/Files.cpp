// Files of the plug-in and its settings file.
#include "win/Files.h"

#include <algorithm>
#include <string>

#include "core/TextFile.h"
#include "win/Handles.h"
#include "win/Text.h"

namespace tovo::win {

bool FileExists(const std::u16string& path) {
  DWORD attr = GetFileAttributesW(W(path));
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadWholeFile(const std::u16string& path, uint64_t maxBytes, DWORD* error) {
  if (error) *error = 0;
  UniqueHandle file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
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
  if (!file) return GetLastError();
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

// ---------------------------------------------------------------- the plug-in folder and the settings file

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
