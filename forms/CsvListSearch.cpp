// Forward and backward search with the history, and the go-to-line command.
#include "forms/CsvList.h"

namespace tovo {

void TFormCsvList::MenuCsvListSearchNextClick() {}
void TFormCsvList::MenuCsvListSearchPrevClick() {}
void TFormCsvList::ButtonSearchNextClick() { MenuCsvListSearchNextClick(); }
void TFormCsvList::ButtonSearchPrevClick() { MenuCsvListSearchPrevClick(); }
void TFormCsvList::MenuCsvListJumpClick() {}

}  // namespace tovo
