// The key-assignment file beside the plug-in, with its one path, reading and writing: the list
// window reads it at start-up and after the keyboard dialog, the keyboard dialog reads and writes
// it, the key map window reads it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "win/Files.h"

namespace tovo {

inline constexpr char16_t kKeyMapFileName[] = u"TovoCsvList-KeyMap.txt";

class KeyMapFile {
 public:
  // `pluginFolder` ends with a backslash, as PluginFolder gives it.
  explicit KeyMapFile(const std::u16string& pluginFolder) : path_(pluginFolder + kKeyMapFileName) {}
  const std::u16string& Path() const { return path_; }
  win::TextRead Read() const { return win::ReadTextLines(path_); }
  DWORD Write(const std::vector<std::u16string>& lines) const { return win::WriteTextLines(path_, lines); }
  // "The key-assignment file could not be read / written", the path and the system's reason.
  std::u16string Problem(bool reading, DWORD error) const;

 private:
  std::u16string path_;
};

}  // namespace tovo
