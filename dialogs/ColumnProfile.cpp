// A column's profile window.
#include "dialogs/ColumnProfile.h"

namespace tovo {

// Not built yet: nothing is shown.
std::optional<std::u16string> ShowColumnProfile(HWND, const ColumnProfileRequest&) { return std::nullopt; }

}  // namespace tovo
