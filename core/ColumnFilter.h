// Conditions on one column's fields, for the filter by a column, and the set of them in force.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/FieldMatcher.h"
#include "core/Progress.h"
#include "core/Search.h"

namespace tovo {

class RowModel;

// Pattern: a regular expression (RegexMatcher) anywhere in the field; told apart from Contains
// so the dialog shows such a condition again as a pattern.
enum class TextMatch : uint8_t { Contains, Equals, BeginsWith, Pattern };

// Case folded as the search folds a term (TermMatcher): the term and the field upper-cased by
// `upper`, the term anywhere in the field, the whole field, or its start. An empty field never
// matches. Not for a Pattern (the condition's Text compiles one).
std::shared_ptr<const FieldMatcher> MakeTextTest(TextMatch how, std::u16string_view term, UpperFn upper);

// What one column's fields must be for their row to show. Copies share what they were built from.
class ColumnCondition {
public:
    enum class Kind : uint8_t { Values, Text, Empty, NotEmpty, Range };

    // Fields whose exact text is one of `values` (the dialog's checked values). An empty text among
    // them stands for every empty field (IsEmptyField), as the value list counts those apart.
    static ColumnCondition Values(std::vector<std::u16string> values);
    // nullopt for an empty term, or a Pattern that is not a valid regular expression (compile it
    // with MakeFieldMatcher to tell the user why, and use the overload below).
    static std::optional<ColumnCondition> Text(TextMatch how, std::u16string_view term, UpperFn upper);
    // Any matcher, not null (the search's, so a regular expression means here what it means there); `how` and `term` only describe it (for the dialog
    // shown again).
    static ColumnCondition Text(std::shared_ptr<const FieldMatcher> test, TextMatch how, std::u16string term);
    static ColumnCondition Empty();
    static ColumnCondition NotEmpty();
    // Fields that read as numbers between the bounds, both included, compared exactly by the
    // number rule; an empty bound is open. nullopt when a bound is neither empty nor a number.
    static std::optional<ColumnCondition> Range(std::u16string_view atLeast, std::u16string_view atMost);

    bool Meets(std::u16string_view field) const;
    // False only when no field of `line` (its fields pieces of it) can meet the condition.
    bool MayMeetPieceOf(std::u16string_view line) const;

    Kind GetKind() const { return kind_; }
    const std::vector<std::u16string>& CheckedValues() const;
    TextMatch How() const;
    const std::u16string& Term() const;  // the text term, or the range's lower bound
    const std::u16string& AtLeast() const { return Term(); }
    const std::u16string& AtMost() const;

private:
    struct Parts;
    ColumnCondition(Kind kind, std::shared_ptr<const Parts> parts) : kind_(kind), parts_(std::move(parts)) {}

    Kind kind_;
    std::shared_ptr<const Parts> parts_;
};

// The conditions in force, one at most a column (0-based field), all of which a row must meet.
class ColumnFilters {
public:
    bool Empty() const { return conditions_.empty(); }
    const ColumnCondition* Find(int field) const;
    void Set(int field, ColumnCondition condition);
    void Remove(int field);
    void Clear() { conditions_.clear(); }
    // Ascending, 0-based.
    std::vector<int> Fields() const;

    // The row's line is looked at first; then each condition's field (RowModel::OneField).
    bool RowMeets(const RowModel& model, int row) const;

private:
    std::vector<std::pair<int, ColumnCondition>> conditions_;
};

// Drops from `rows` (model rows, their order kept) those that do not meet `filters`. False when
// `progress` stopped it: `rows` are then of no use.
bool KeepRowsMeeting(std::vector<uint32_t>& rows, const ColumnFilters& filters, const RowModel& model,
                     const Progress& progress);

}  // namespace tovo
