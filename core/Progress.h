// How far a walk over many rows has come, and the caller's way to stop it.
#pragma once

#include <cstdint>
#include <functional>

namespace tovo {

// done of total rows (or lines); returns false to stop the walk. Asked at most every
// kProgressRows rows, so a caller that pumps messages throttles by time itself.
using Progress = std::function<bool(int64_t done, int64_t total)>;

inline constexpr int64_t kProgressRows = 64;

// Whether a walk at row `done` goes on: one remainder a row, the callback every kProgressRows.
inline bool KeepGoing(const Progress& progress, int64_t done, int64_t total)
{
    return done % kProgressRows != 0 || !progress || progress(done, total);
}

}  // namespace tovo
