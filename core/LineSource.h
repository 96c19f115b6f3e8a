// Where the list's lines come from: the editor on Windows (two messages a line: its length, then
// its text into a buffer), a vector in tests and benchmarks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovo {

class LineSource {
public:
    virtual ~LineSource() = default;

    // As the editor answers; the session brings absurd answers into range.
    virtual int64_t LineCount() = 0;
    virtual int64_t CurrentLine() = 0;
    // Units of 0-based line `line`; the session reads at most kMaxLineUnits of it.
    virtual int64_t LineLength(int32_t line) = 0;
    // Writes at most `length` units of the line into `room`, which holds length + 1 units, all
    // zero, and returns how many it wrote. The room is in the line store, so a line costs no copy.
    virtual size_t ReadLine(int32_t line, int32_t length, char16_t* room) = 0;
    // Lines from kLongLineUnits units on, into memory of the source's own, valid until the next
    // call. The editor's client takes fresh pages there, zeroed by the system as they are touched:
    // a host claiming every line is huge then costs the pages it writes, not a clearing a line.
    virtual std::u16string_view ReadLongLine(int32_t line, int32_t length)
    {
        longLine_.assign(static_cast<size_t>(length) + 1, u'\0');
        return {longLine_.data(), std::min(ReadLine(line, length, longLine_.data()), static_cast<size_t>(length))};
    }

    // A host answering a bogus length must not make us allocate gigabytes: longer lines are cut.
    static constexpr int32_t kMaxLineUnits = 16 * 1024 * 1024;
    static constexpr int32_t kLongLineUnits = 1 << 16;

private:
    std::u16string longLine_;
};

// Lines held in memory. A count or current line other than the vector's may be claimed, as a
// host might; lines past the vector read as empty.
class VectorLineSource final : public LineSource {
public:
    explicit VectorLineSource(std::vector<std::u16string> lines, int64_t currentLine = 0)
        : lines_(std::move(lines)), count_(static_cast<int64_t>(lines_.size())), current_(currentLine)
    {
    }
    void ClaimLineCount(int64_t count) { count_ = count; }
    const std::vector<std::u16string>& Lines() const { return lines_; }
    // Lines read, so a test can see what a fill asked for.
    int64_t Reads() const { return reads_; }

    int64_t LineCount() override { return count_; }
    int64_t CurrentLine() override { return current_; }
    int64_t LineLength(int32_t line) override
    {
        return line >= 0 && static_cast<size_t>(line) < lines_.size() ? static_cast<int64_t>(lines_[line].size()) : 0;
    }
    size_t ReadLine(int32_t line, int32_t length, char16_t* room) override
    {
        ++reads_;
        if (line < 0 || static_cast<size_t>(line) >= lines_.size()) return 0;
        const size_t n = std::min(lines_[line].size(), static_cast<size_t>(length));
        lines_[line].copy(room, n);
        return n;
    }

private:
    std::vector<std::u16string> lines_;
    int64_t count_;
    int64_t current_;
    int64_t reads_ = 0;
};

}  // namespace tovo
