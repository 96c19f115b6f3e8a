// Plug-in DLLs found in the Plugins folder beside the host, with what their menu item shows.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "plugin/Exports.h"

namespace tovo::host {

struct Plugin : PluginExportTable {
  HMODULE module = nullptr;
  std::wstring fileName;
  std::wstring menuText;
  std::wstring statusText;       // the part before "|" of the status message
  HBITMAP menuBitmap = nullptr;  // 32-bit premultiplied, or null without an icon
};

// Owns the loaded modules and their menu bitmaps for the life of the host.
class PluginSet {
 public:
  PluginSet() = default;
  PluginSet(const PluginSet&) = delete;
  PluginSet& operator=(const PluginSet&) = delete;
  ~PluginSet();

  // Loads every *.dll of the folder (in name order) that exports all seven functions;
  // the others are unloaded again and named in `skipped`.
  void LoadFolder(const std::wstring& folder, std::vector<std::wstring>& skipped);
  const std::vector<Plugin>& Items() const { return items_; }

 private:
  std::vector<Plugin> items_;
};

// The folder of the running program, with a trailing backslash.
std::wstring ProgramFolder();

}  // namespace tovo::host
