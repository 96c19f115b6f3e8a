// How far a walk over many rows has come, and the caller's way to stop it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

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

// Reports that a walk has ended (done == total). A caller that pumps handles its messages now,
// whatever its clock says, so taking the result and showing it start a stretch of their own.
inline bool ReportEnd(const Progress& progress, int64_t total)
{
    return !progress || progress(total, total);
}

// Appends at(0) .. at(count - 1) to `out` a block at a time, asking `progress` (done of count)
// before each block; false, `out` part way, when it stopped. The first touch of fresh memory costs
// about a millisecond a megabyte, so a vector of ten million rows is made in steps.
template <class T, class At>
bool AppendInSteps(std::vector<T>& out, size_t count, At at, const Progress& progress)
{
    constexpr size_t kBlock = 65'536;
    out.reserve(out.size() + count);
    for (size_t first = 0; first < count; first += kBlock) {
        if (progress && !progress(static_cast<int64_t>(first), static_cast<int64_t>(count))) return false;
        const size_t last = std::min(count, first + kBlock);
        for (size_t i = first; i < last; ++i) out.push_back(at(i));
    }
    return true;
}

}  // namespace tovo
