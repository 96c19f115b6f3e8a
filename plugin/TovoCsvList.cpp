// The plug-in's exports. Nothing here may let an exception or a crash reach the editor.
#define TOVO_BUILDING_PLUGIN
#include "plugin/Exports.h"

#include <commctrl.h>

#include <exception>
#include <memory>

#include "list/CsvList.h"
#include "win/Form.h"
#include "win/Text.h"
#include "TovoVersion.h"

namespace {

constexpr wchar_t kPluginName[] = L"TovoCsvList";
constexpr wchar_t kPluginVersion[] = L"" TOVO_VERSION_TEXT;

// Returns the text's length in units, the terminator not counted.
template <size_t N>
LRESULT CopyText(const wchar_t (&text)[N], WPARAM size, LPARAM buffer) {
  // Bounded copy: at most size - 1 units and a terminator; a size of 0 writes nothing.
  if (buffer != 0 && size > 0) {
    int limit = size > static_cast<WPARAM>(INT_MAX) ? INT_MAX : static_cast<int>(size);
    lstrcpynW(reinterpret_cast<wchar_t*>(buffer), text, limit);
  }
  return static_cast<LRESULT>(N - 1);
}

void ReportFatal(HWND owner, const char* what) noexcept {
  try {
    std::u16string text = u"TovoCsvList: 予期しないエラーが発生しました。";
    if (what) text += u"\r\n" + tovo::win::U(std::wstring(what, what + strlen(what)));
    MessageBoxW(owner, tovo::win::W(text), kPluginName, MB_OK | MB_ICONSTOP);
  } catch (...) {
  }
}

}  // namespace

TOVO_EXPORT void OnCommand(HWND hwndEditor) {
  try {
    tovo::win::ActivationScope activation;
    INITCOMMONCONTROLSEX icc{sizeof(icc),
                             ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    {
      auto form = std::make_unique<tovo::TFormCsvList>();
      form->Execute(hwndEditor);
    }
    tovo::win::UnregisterFormClasses();
  } catch (const std::exception& e) {
    ReportFatal(hwndEditor, e.what());
  } catch (...) {
    ReportFatal(hwndEditor, nullptr);
  }
}

TOVO_EXPORT int32_t QueryStatus(HWND, int32_t* pChecked) {
  if (pChecked) *pChecked = 0;
  return -1;
}

TOVO_EXPORT int32_t GetMenuTextID() { return tovo::kMenuTextStringId; }

TOVO_EXPORT int32_t GetStatusMessageID() { return tovo::kStatusMessageStringId; }

TOVO_EXPORT int32_t GetIconID() { return tovo::kIconGroupId; }

TOVO_EXPORT void OnEvents(HWND, UINT, LPARAM) {}

TOVO_EXPORT LRESULT PluginProc(HWND, UINT nID, WPARAM wParam, LPARAM lParam) {
  switch (nID) {
    case tovo::kPluginProcName: return CopyText(kPluginName, wParam, lParam);
    case tovo::kPluginProcVersion: return CopyText(kPluginVersion, wParam, lParam);
    default: return 0;
  }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}
