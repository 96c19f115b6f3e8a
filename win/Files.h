// Files of the plug-in: whole reads, atomic replacement, text files by line, the plug-in folder
// and the settings file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovo::win {

bool FileExists(const std::u16string& path);
// Whole-file read; nullopt when it cannot be opened or is larger than maxBytes (error says why).
std::optional<std::string> ReadWholeFile(const std::u16string& path, uint64_t maxBytes, DWORD* error);
// Replaces the file whole: a temporary file in the same folder, then a replacing rename, so a
// failure leaves the old file as it was. Returns the Win32 error, 0 on success.
DWORD WriteFileAtomic(const std::u16string& path, std::string_view bytes);

// Text files: BOM detection, otherwise the ANSI code page; lines end at CR LF, LF or CR.
struct TextRead {
  bool exists = false;
  bool readable = false;  // false: exists but could not be read (locked, no rights, too large)
  DWORD error = 0;
  std::vector<std::u16string> lines;
};
TextRead ReadTextLines(const std::u16string& path, uint64_t maxBytes = 256ull << 20);
DWORD WriteTextLines(const std::u16string& path, const std::vector<std::u16string>& lines);
// The system's text for a Win32 error, with its number.
std::u16string ErrorText(DWORD error);

// The folder of the running program followed by "Plugins\".
std::u16string PluginFolder();

// One value of the settings file through the profile functions; `fallback` when missing.
std::u16string IniRead(const std::u16string& file, const char16_t* section, const char16_t* key,
                       std::u16string_view fallback);

// Writes several keys as one replacement of the file: a copy in the same folder takes the keys
// (through the profile functions, so the format stays theirs), then replaces the file. The copy is
// UTF-16 LE with its mark so the profile functions keep non-ANSI text (font and file names).
inline constexpr uint64_t kIniMaxBytes = 64ull << 20;
class IniWriter {
 public:
  explicit IniWriter(std::u16string file);
  ~IniWriter();
  IniWriter(const IniWriter&) = delete;
  IniWriter& operator=(const IniWriter&) = delete;
  void Set(const char16_t* section, const char16_t* key, std::u16string_view value);
  DWORD Commit();  // 0 on success; the old file is untouched on failure

 private:
  std::u16string file_;
  std::u16string temp_;
  DWORD error_ = 0;
  bool committed_ = false;
};

}  // namespace tovo::win
