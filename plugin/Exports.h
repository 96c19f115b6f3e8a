// The functions the editor looks up by name in TovoCsvList.dll.
#pragma once
#include <windows.h>
#include <cstdint>
#include <type_traits>

#ifdef TOVO_BUILDING_PLUGIN
#define TOVO_EXPORT extern "C" __declspec(dllexport)
#else
#define TOVO_EXPORT extern "C" __declspec(dllimport)
#endif

// Runs the plug-in's command: the list window, modal over the editor. Returns when it closes.
TOVO_EXPORT void OnCommand(HWND hwndEditor);
// Stores 0 through pChecked and answers -1 (enabled), whatever the state.
TOVO_EXPORT int32_t QueryStatus(HWND hwnd, int32_t* pChecked);
TOVO_EXPORT int32_t GetMenuTextID();
TOVO_EXPORT int32_t GetStatusMessageID();
TOVO_EXPORT int32_t GetIconID();
TOVO_EXPORT void OnEvents(HWND hwnd, UINT nEvent, LPARAM lParam);
// Codes 2306 (name) and 2307 (version) answer the text's length and copy it with lstrcpynW.
TOVO_EXPORT LRESULT PluginProc(HWND hwnd, UINT nID, WPARAM wParam, LPARAM lParam);

// Pointer types for callers that load the DLL at run time (the stand-in editor, the tests).
using OnCommandProc = void (*)(HWND);
using QueryStatusProc = int32_t (*)(HWND, int32_t*);
using GetIdProc = int32_t (*)();
using OnEventsProc = void (*)(HWND, UINT, LPARAM);
using PluginProcProc = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// The seven exports of a plug-in loaded at run time.
struct PluginExportTable {
  OnCommandProc OnCommand = nullptr;
  QueryStatusProc QueryStatus = nullptr;
  GetIdProc GetMenuTextID = nullptr;
  GetIdProc GetStatusMessageID = nullptr;
  GetIdProc GetIconID = nullptr;
  OnEventsProc OnEvents = nullptr;
  PluginProcProc PluginProc = nullptr;
};

// Looks every export up by name; returns the first name the module lacks, or nullptr.
inline const char* LookUpExports(HMODULE module, PluginExportTable& table) {
  const char* missing = nullptr;
  auto find = [&](auto& slot, const char* name) {
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
        reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!slot && !missing) missing = name;
  };
  find(table.OnCommand, "OnCommand");
  find(table.QueryStatus, "QueryStatus");
  find(table.GetMenuTextID, "GetMenuTextID");
  find(table.GetStatusMessageID, "GetStatusMessageID");
  find(table.GetIconID, "GetIconID");
  find(table.OnEvents, "OnEvents");
  find(table.PluginProc, "PluginProc");
  return missing;
}

namespace tovo {
inline constexpr UINT kPluginProcName = 2306;     // 0x0902
inline constexpr UINT kPluginProcVersion = 2307;  // 0x0903
inline constexpr int kMenuTextStringId = 1;
inline constexpr int kStatusMessageStringId = 2;
inline constexpr int kIconGroupId = 101;
inline constexpr WORD kResourceLanguage = 1041;  // Japanese
}  // namespace tovo
