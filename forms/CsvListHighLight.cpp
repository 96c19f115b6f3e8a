// Drawing the highlight marks, the font and colour dialogs, the word file and the help window.
#include "forms/CsvList.h"

namespace tovo {

LRESULT TFormCsvList::ListView1CustomDraw(NMLVCUSTOMDRAW*) { return CDRF_DODEFAULT; }
void TFormCsvList::MenuCsvListFontColorClick() {}
void TFormCsvList::MenuCsvListBackColorClick() {}
void TFormCsvList::MenuCsvListHiligtFileClick() {}
void TFormCsvList::MenuCsvListFontColorHilightRowClick() {}
void TFormCsvList::MenuCsvListFontColorHilightColClick() {}
void TFormCsvList::MenuCsvListHiLightNoneClick() {}
void TFormCsvList::MenuCsvListHiLightRowClick() {}
void TFormCsvList::MenuCsvListHiLightColClick() {}
void TFormCsvList::MenuCsvListShowHelpClick() {}
void TFormCsvList::LoadHighLightWords(const std::u16string&) {}

}  // namespace tovo
