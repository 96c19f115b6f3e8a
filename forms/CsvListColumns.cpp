// Header row, column fitting, the start position and row centring.
#include "forms/CsvList.h"

namespace tovo {

void TFormCsvList::MenuAddHeaderClick() {}
void TFormCsvList::MenuCsvListFitColumnWidthClick() {}
void TFormCsvList::ButtonFitColumnWidthClick() { MenuCsvListFitColumnWidthClick(); }
void TFormCsvList::MenuMoveStartPositionClick() {}
void TFormCsvList::CenterListRow(int) {}
void TFormCsvList::ListView1Click() { IntSearchCol = 0; }

}  // namespace tovo
