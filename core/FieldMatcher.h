// What a term means: one interface for the search, the filter by the search term and a column's
// text condition, so all of them find the same fields. A plain term (TermMatcher, Search.h) or a
// regular expression (RegexMatcher.h).
#pragma once

#include <string_view>

namespace tovo {

class FieldMatcher {
public:
    virtual ~FieldMatcher() = default;
    virtual bool Matches(std::u16string_view field) const = 0;
    // False only when no piece of `line` can match; true whenever that cannot be told cheaply.
    virtual bool MayMatchPieceOf(std::u16string_view line) const = 0;
    // Calls that gave up at their bound (a runaway pattern) and so answered false.
    int Runaways() const { return runaways_; }
    // A walk whose calls keep reaching the bound stops here rather than spend the bound on every row.
    bool GaveUp() const { return runaways_ >= kRunawayLimit; }

    static constexpr int kRunawayLimit = 3;

protected:
    mutable int runaways_ = 0;
};

}  // namespace tovo
