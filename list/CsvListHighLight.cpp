// Drawing the highlight marks, the font and colour dialogs, the word file and the help window.
#include "list/CsvList.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "core/IniValues.h"
#include "win/Files.h"
#include "dialogs/Help.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

// Only memory limits a word file: fields are matched against all words at once, but the matcher
// takes about 14 bytes a character of the words, on top of the words themselves.
constexpr uint64_t kWordFileMaxBytes = 64u << 20;

uint32_t SysColor(int index) { return GetSysColor(index); }

void SplitPath(const std::u16string& path, std::u16string& folder, std::u16string& name) {
  const size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string::npos) {
    folder.clear();
    name = path;
  } else {
    folder = path.substr(0, slash + 1);
    name = path.substr(slash + 1);
  }
}

}  // namespace

// ---------------------------------------------------------------- drawing

// Every handler here runs per visible row or cell: one search of the mark table per row, a bit
// test per cell, nothing allocated.
LRESULT TFormCsvList::ListView1CustomDraw(NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      draw_.rowMode = settings_.highLightRow;
      draw_.colMode = settings_.highLightCol;
      draw_.normalText = ResolveColor(settings_.fontColor, &SysColor, GetSysColor(COLOR_WINDOWTEXT));
      draw_.highLightText = ResolveColor(settings_.highLightColor, &SysColor, kClRed);
      return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;  // post-paint: the frozen "No" column
    case CDDS_ITEMPREPAINT: return ListView1AdvancedCustomDrawItem(draw);
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: return ListView1AdvancedCustomDrawSubItem(draw);
    case CDDS_POSTPAINT: ListView1PaintFrozenNumbers(draw->nmcd.hdc); return CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
  }
}

LRESULT TFormCsvList::ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW* draw) {
  draw_.rowText = draw_.normalText;
  draw_.rowMarks = {};
  const int row = session_.ModelRow(static_cast<int>(draw->nmcd.dwItemSpec));
  if ((draw_.rowMode || draw_.colMode) && row >= 0) draw_.rowMarks = session_.MarksOfRow(row);
  LRESULT result = CDRF_DODEFAULT;
  if (draw_.rowMode) {
    if (draw_.rowMarks.any) draw_.rowText = draw_.highLightText;
    draw->clrText = draw_.rowText;
    result |= CDRF_NEWFONT;
  }
  if (draw_.colMode) result |= CDRF_NOTIFYSUBITEMDRAW;
  return result;
}

LRESULT TFormCsvList::ListView1AdvancedCustomDrawSubItem(NMLVCUSTOMDRAW* draw) {
  if (!draw_.colMode) return CDRF_DODEFAULT;
  HDC dc = draw->nmcd.hdc;
  // The list keeps the previous cell's font and colour in its DC: the number cell is set back
  // to the row's own explicitly.
  bool marked = false;
  if (draw->iSubItem > 0) {
    const auto field = static_cast<size_t>(draw->iSubItem - 1);
    marked = field < draw_.rowMarks.fields.size() && draw_.rowMarks.fields.test(field);
    draw->clrText = marked ? kClRed : kClBlue;
  } else {
    draw->clrText = draw_.rowText;
  }
  // Selecting a font makes the system look it up again; most cells keep the one they have.
  HFONT font = marked ? listFontBold_.get() : listFont_.get();
  if (font && GetCurrentObject(dc, OBJ_FONT) != font) SelectObject(dc, font);
  return CDRF_NEWFONT;
}

// The colour of a row's number when it is not selected, as the row's drawing above gives it; for
// the copy of the number drawn over the scrolled list. Valid during a paint.
COLORREF TFormCsvList::NumberCellTextColor(int row) const {
  const int model = session_.ModelRow(row);
  if (draw_.rowMode && model >= 0 && session_.RowMarked(model)) {
    return draw_.highLightText;
  }
  return draw_.normalText;
}

// ---------------------------------------------------------------- highlight mode

void TFormCsvList::SetHighLightMode(UINT item) {
  // Exactly one mark afterwards, even when the settings file had set several.
  settings_.highLightNone = item == MenuCsvListHiLightNone;
  settings_.highLightRow = item == MenuCsvListHiLightRow;
  settings_.highLightCol = item == MenuCsvListHiLightCol;
  ShowSettings();
  // The marks exist whatever the mode: only the drawing changes.
  InvalidateRect(list_, nullptr, TRUE);
}

void TFormCsvList::MenuCsvListHiLightNoneClick() { SetHighLightMode(MenuCsvListHiLightNone); }
void TFormCsvList::MenuCsvListHiLightRowClick() { SetHighLightMode(MenuCsvListHiLightRow); }
void TFormCsvList::MenuCsvListHiLightColClick() { SetHighLightMode(MenuCsvListHiLightCol); }

// ---------------------------------------------------------------- word file

void TFormCsvList::LoadHighLightWords(const std::u16string& path) {
  TextRead read = ReadTextLines(path, kWordFileMaxBytes);
  if (!read.exists) return;  // the old words stay; the name is kept by the caller
  auto refuse = [&](const std::u16string& reason) {
    ShowMessage(hwnd_, u"強調表示のファイルを読み込めませんでした。単語は前のままです。\r\n" + path + u"\r\n" + reason,
                MB_OK | MB_ICONWARNING);
  };
  if (!read.readable) {
    refuse(read.error == ERROR_FILE_TOO_LARGE ? std::u16string(u"ファイルが大きすぎます (上限 64 MB)。")
                                              : ErrorText(read.error));
    return;
  }
  try {
    session_.SetWords(read.lines);  // keeps the old words when it throws
  } catch (const std::bad_alloc&) {
    refuse(ErrorText(ERROR_NOT_ENOUGH_MEMORY));
    return;
  } catch (const std::length_error&) {
    refuse(ErrorText(ERROR_NOT_ENOUGH_MEMORY));
  }
  // The lines go here: the matcher holds all that is needed of them.
}

void TFormCsvList::MenuCsvListHiligtFileClick() {
  std::u16string folder, name;
  SplitPath(settings_.wordFile, folder, name);
  if (folder.empty()) folder = wordFileFolder_;

  std::wstring file(32768, L'\0');
  static constexpr wchar_t kFilter[] = L"Text(*.txt)\0*.txt\0All(*.*)\0*.*\0";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  // A missing file is a valid choice: the name is kept and the words stay as they are.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  auto show = [&](std::u16string_view initialName, const std::u16string& initialDir) {
    std::fill(file.begin(), file.end(), L'\0');
    std::copy_n(WV(initialName).data(), std::min(initialName.size(), file.size() - 1), file.begin());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : W(initialDir);
    return GetOpenFileNameW(&ofn) != FALSE;
  };
  bool chosen = show(name, folder);
  // A stored name the dialog refuses (bad characters, too long) must not lock the user out.
  if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) chosen = show(u"", std::u16string());
  if (!chosen) {
    if (DWORD err = CommDlgExtendedError()) {
      ShowError(hwnd_,
                u"ファイルを選択する画面を開けませんでした (" + IniIntegerText(static_cast<int32_t>(err)) + u").");
    }
    return;
  }
  settings_.wordFile = U(file.c_str());
  SplitPath(settings_.wordFile, wordFileFolder_, name);
  LoadHighLightWords(settings_.wordFile);
  // The marks stay those of the old words until the next fill.
  InvalidateRect(list_, nullptr, TRUE);
}

// ---------------------------------------------------------------- font and colours

void TFormCsvList::MenuCsvListFontColorClick() {
  LOGFONTW lf{};
  {
    WindowDC screen(nullptr);
    lf.lfHeight = -MulDiv(settings_.fontSize, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
  }
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  const size_t n = std::min<size_t>(settings_.fontName.size(), LF_FACESIZE - 1);
  std::copy_n(WV(settings_.fontName).data(), n, lf.lfFaceName);
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof(cf);
  cf.hwndOwner = hwnd_;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  cf.rgbColors = ResolveColor(settings_.fontColor, &SysColor, GetSysColor(COLOR_WINDOWTEXT));
  if (!ChooseFontW(&cf)) return;

  // Name, size and colour only: the style chosen in the dialog is neither shown nor kept.
  if (lf.lfFaceName[0]) settings_.fontName = U(lf.lfFaceName);
  settings_.fontSize = std::clamp((cf.iPointSize + 5) / 10, 1, 500);
  settings_.fontColor = cf.rgbColors;
  ApplyListFont();
  ApplyListColors();
  SetColumnWidthPx(0, settings_.fontSize * 60 / 12);
}

bool TFormCsvList::ChooseColorInto(uint32_t& color, COLORREF fallback) {
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = hwnd_;
  cc.rgbResult = ResolveColor(color, &SysColor, fallback);
  cc.lpCustColors = customColors_.data();
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorW(&cc)) return false;
  color = cc.rgbResult;
  return true;
}

void TFormCsvList::MenuCsvListBackColorClick() {
  if (ChooseColorInto(settings_.backColor, GetSysColor(COLOR_WINDOW))) ApplyListColors();
}

void TFormCsvList::MenuCsvListFontColorHilightRowClick() {
  if (ChooseColorInto(settings_.highLightColor, kClRed)) InvalidateRect(list_, nullptr, TRUE);
}

void TFormCsvList::MenuCsvListFontColorHilightColClick() {
  ShowMessage(hwnd_, u"通常表示は青色、強調表示は赤色(太字)に固定です", MB_OK | MB_ICONINFORMATION);
}

// ---------------------------------------------------------------- help

void TFormCsvList::MenuCsvListShowHelpClick() { ShowHelp(hwnd_, pluginFolder_); }

}  // namespace tovo
