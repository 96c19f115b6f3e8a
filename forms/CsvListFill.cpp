// Reading lines from the editor, filling the list, paging and loading all lines.
#include "forms/CsvList.h"

namespace tovo {

int32_t TFormCsvList::GetLine(int32_t, std::u16string& lineString) {
  lineString.clear();
  return 0;
}
void TFormCsvList::SetListData() {}
void TFormCsvList::FillRows(const LineStore&, bool) {}
void TFormCsvList::ListView1GetDispInfo(NMLVDISPINFOW*) {}
void TFormCsvList::MenuCsvListTopClick() {}
void TFormCsvList::MenuCsvListPrevClick() {}
void TFormCsvList::MenuCsvListNextClick() {}
void TFormCsvList::MenuCsvListEndClick() {}
void TFormCsvList::ButtonPrevClick() { MenuCsvListPrevClick(); }
void TFormCsvList::ButtonNextClick() { MenuCsvListNextClick(); }
void TFormCsvList::MenuCsvListLoadAllClick() {}
void TFormCsvList::MenuCsvAutoClick() {}
void TFormCsvList::MenuCsvEx1Click() {}
void TFormCsvList::PostListKey(WPARAM) {}
void TFormCsvList::ShowLongLineMessage() {}
Splitter TFormCsvList::CurrentSplitter() const { return Splitter::Auto; }
std::u16string TFormCsvList::RowCaption(int) const { return {}; }

}  // namespace tovo
