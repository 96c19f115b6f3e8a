// A column's profile over the rows shown: rows, empty fields, distinct values, the most frequent
// values with count and share (the rest counted), and for the fields that read as numbers their
// count, least, greatest, exact sum and mean. Double-clicking a value asks the list to filter by it;
// Ctrl+C copies the whole table as tab-separated text.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "core/ColumnValues.h"

namespace tovo {

struct ColumnProfileRequest {
  int column = 1;                        // 1..96, named in the caption
  std::u16string scope;                  // which rows were counted
  const ColumnValues* values = nullptr;  // Finish()ed
};

// Shows the window modally over `owner`. The value double-clicked (the list then shows only the rows
// holding it); nullopt when closed otherwise.
std::optional<std::u16string> ShowColumnProfile(HWND owner, const ColumnProfileRequest& request);

}  // namespace tovo
