// The three messages the plug-in sends to the editor window, and the line request record.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tovo {

inline constexpr unsigned kMsgGetLineCount = 2052;    // 0x0804, wParam 1, lParam 0
inline constexpr unsigned kMsgGetLine = 2053;         // 0x0805, wParam &LineRequest, lParam 0 or buffer
inline constexpr unsigned kMsgGetCurrentLine = 2056;  // 0x0808, wParam 1, lParam -1

// 16 bytes, little-endian, the editor reads it field by field.
struct LineRequest {
    uint32_t capacity;  // UTF-16 units the buffer holds: 0 to ask the length
    int32_t flags;      // always 1
    int32_t line;       // 0-based
    uint8_t reserved;   // always 0
    uint8_t padding[3];
};
static_assert(sizeof(LineRequest) == 16);
static_assert(offsetof(LineRequest, capacity) == 0);
static_assert(offsetof(LineRequest, flags) == 4);
static_assert(offsetof(LineRequest, line) == 8);
static_assert(offsetof(LineRequest, reserved) == 12);

}  // namespace tovo
