// A regular expression tried on each field a line has (an empty field too, so "^$" finds empty
// fields), without regard to case: each unit folds as the plain search upper-cases it, unit by
// unit. The pattern itself is never upper-cased ("\d" stays a digit). Perl syntax.
//
// Each call is bounded: a pattern that runs away (catastrophic backtracking) gives up on that
// field after a number of steps that grows with the field's and the pattern's length, at most
// kMaxStatesPerCall, answers false and counts a runaway (FieldMatcher).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/FieldMatcher.h"
#include "core/Search.h"

namespace tovo {

class RegexMatcher final : public FieldMatcher {
public:
    // Matching steps one call may take at most before it gives up on its field.
    static constexpr std::ptrdiff_t kMaxStatesPerCall = 10'000'000;

    // Null and `error` set to a message saying what is wrong when the pattern is not valid.
    static std::unique_ptr<RegexMatcher> Compile(std::u16string_view pattern, UpperFn upper, std::u16string& error);
    ~RegexMatcher() override;

    bool Matches(std::u16string_view field) const override;
    bool MayMatchPieceOf(std::u16string_view line) const override;

    // A run of units every match holds (the longest), for the cheap test of a whole line; empty
    // when the pattern has none that can be told safely (alternatives, groups, inline options).
    static std::u16string RequiredLiteral(std::u16string_view pattern);

private:
    struct Engine;
    explicit RegexMatcher(std::unique_ptr<Engine> engine);
    std::unique_ptr<Engine> engine_;
};

// The one way the list builds a matcher from the search box's text: a plain term, or a regular
// expression when `regex`. Null, with `error` set, for a pattern that is not valid.
std::unique_ptr<FieldMatcher> MakeFieldMatcher(std::u16string_view term, bool regex, UpperFn upper,
                                               std::u16string& error);

}  // namespace tovo
