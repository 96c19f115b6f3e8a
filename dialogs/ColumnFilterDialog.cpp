// The filter dialog of one column.
#include "dialogs/ColumnFilterDialog.h"

namespace tovo {

// Not built yet: no condition is chosen.
std::optional<ColumnCondition> ShowColumnFilterDialog(HWND, const ColumnFilterRequest&) { return std::nullopt; }

}  // namespace tovo
