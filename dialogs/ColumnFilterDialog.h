// The filter dialog of one column: the column's distinct values with their counts, most frequent
// first, narrowed by a box as the user types, each with a check box; or a condition on the field
// (contains, equals, begins with, a regular expression while the search takes them, is empty, is
// not empty, a range of numbers).
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "core/ColumnFilter.h"
#include "core/ColumnValues.h"
#include "core/Search.h"

namespace tovo {

struct ColumnFilterRequest {
  int column = 1;             // 1..96, named in the caption
  std::u16string scope;       // which rows were counted, e.g. "このページ (表示中の行)"
  const ColumnValues* values = nullptr;     // the column over the rows shown, Finish()ed
  const ColumnCondition* current = nullptr;  // the column's condition in force, shown again; may be null
  UpperFn upper = nullptr;    // the search's case folding, for text conditions and the narrowing box
  bool regex = false;         // the search takes regular expressions: a text condition may be one
};

// Shows the dialog modally over `owner`. The condition chosen on OK; nullopt on cancel.
std::optional<ColumnCondition> ShowColumnFilterDialog(HWND owner, const ColumnFilterRequest& request);

}  // namespace tovo
