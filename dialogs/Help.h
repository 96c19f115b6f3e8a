// The help window: the plug-in's help text file shown read-only, one file line per line.
#pragma once
#include <cstdint>
#include <string>

#include "win/Form.h"

namespace tovo {

// The help file beside the plug-in, and how much of it is shown: a larger file shows its head
// with a notice in the first line. The edit control lays out every line when the text is set
// (measured under Wine: about 55 us a line plus 1 us a unit, so 16 MB would take 10 s or more).
inline constexpr char16_t kHelpFileName[] = u"TovoCsvList.txt";
inline constexpr uint64_t kHelpMaxBytes = 1u << 20;
inline constexpr size_t kHelpMaxLines = 20000;

class TFormHelp : public win::Form {
 public:
  explicit TFormHelp(std::u16string pluginFolder);
  // Creates the window over `owner`, shows it modally, returns when it has closed.
  void Execute(HWND owner);

  int32_t TabStops = 16;  // dialog units between the memo's tab stops

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PreviewMessage(MSG& msg) override;
  void FormShow() override;

 private:
  bool CreateControls();
  void FormCreate();

  std::u16string StrDllFilePath;
  HWND Memo1 = nullptr;
};

// The list window's "help" command: the window above, for the plug-in folder `pluginFolder`.
void ShowHelp(HWND owner, const std::u16string& pluginFolder);

}  // namespace tovo
