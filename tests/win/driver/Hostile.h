// Shared by the hostile-input tests: a fingerprint of every file in the Plugins folder, so a test
// can tell which files a run changed, added or removed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "driver/Driver.h"

namespace tovotest {

// File name -> FNV-1a hash of its bytes and size.
using FolderPrint = std::map<std::wstring, std::pair<uint64_t, uint64_t>>;

inline FolderPrint PrintPluginsFolder() {
  FolderPrint print;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((PluginsDir() + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return print;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const auto bytes = ReadBytes(found.cFileName);
    uint64_t hash = 1469598103934665603ull;
    if (bytes) {
      for (unsigned char c : *bytes) hash = (hash ^ c) * 1099511628211ull;
    }
    print[found.cFileName] = {hash, bytes ? bytes->size() : ~uint64_t{0}};
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return print;
}

// The names whose presence or content differs between the two prints.
inline std::set<std::wstring> ChangedFiles(const FolderPrint& before, const FolderPrint& after) {
  std::set<std::wstring> changed;
  for (const auto& [name, print] : before) {
    auto it = after.find(name);
    if (it == after.end() || it->second != print) changed.insert(name);
  }
  for (const auto& [name, print] : after) {
    if (!before.count(name)) changed.insert(name);
  }
  return changed;
}

inline std::string Names(const std::set<std::wstring>& names) {
  std::string out;
  for (const auto& n : names) out += Utf8(n) + " ";
  return out;
}

// Milliseconds since `start`, for the timings the tests print.
inline ULONGLONG Since(ULONGLONG start) { return GetTickCount64() - start; }

}  // namespace tovotest
