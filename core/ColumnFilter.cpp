#include "core/ColumnFilter.h"

#include <algorithm>

#include "core/RegexMatcher.h"
#include "core/RowModel.h"
#include "core/SortKey.h"
#include "core/StrUtil.h"
#include "core/TextCounts.h"

namespace tovo {

namespace {

constexpr char16_t AsciiUpper(char16_t c)
{
    return static_cast<char16_t>(c >= u'a' && c <= u'z' ? c - 0x20 : c);
}

// Equal to the term and beginning with it both hold it: the search's own test comes first, so
// most fields cost what the search costs, and it tells which lines can be skipped.
class FoldedTextTest final : public FieldMatcher {
public:
    FoldedTextTest(TextMatch how, std::u16string_view term, UpperFn upper)
        : holds_(term, upper), how_(how), upper_(upper), term_(upper(term))
    {
    }

    bool Matches(std::u16string_view field) const override
    {
        if (!holds_.Matches(field)) return false;
        if (how_ == TextMatch::Contains) return true;
        if (holds_.AsciiFoldsAsTable() && std::all_of(field.begin(), field.end(), [](char16_t c) { return c < 0x80; })) {
            // Upper-cased unit for unit, and the term is in it: equal when as long.
            if (how_ == TextMatch::Equals) return field.size() == term_.size();
            for (size_t i = 0; i < term_.size(); ++i) {
                if (AsciiUpper(field[i]) != term_[i]) return false;
            }
            return true;
        }
        const std::u16string folded = upper_(field);
        return how_ == TextMatch::Equals ? folded == term_ : folded.starts_with(term_);
    }

    bool MayMatchPieceOf(std::u16string_view line) const override { return holds_.MayMatchPieceOf(line); }

private:
    TermMatcher holds_;
    TextMatch how_;
    UpperFn upper_;
    std::u16string term_;
};

// A value set this small is looked for in the line before the line is split.
constexpr size_t kFewValues = 4;

}  // namespace

struct ColumnCondition::Parts {
    std::vector<std::u16string> values;
    TextCounts valueSet;
    bool emptyChecked = false;
    std::shared_ptr<const FieldMatcher> test;
    TextMatch how = TextMatch::Contains;
    std::u16string term, atMost;  // the text term or the range's bounds
    uint64_t leastKey = 0, mostKey = 0;
};

std::shared_ptr<const FieldMatcher> MakeTextTest(TextMatch how, std::u16string_view term, UpperFn upper)
{
    return std::make_shared<FoldedTextTest>(how, term, upper);
}

ColumnCondition ColumnCondition::Values(std::vector<std::u16string> values)
{
    auto parts = std::make_shared<Parts>();
    for (const std::u16string& v : values) {
        if (IsEmptyField(v)) {
            parts->emptyChecked = true;
        } else {
            parts->valueSet.Add(v);
        }
    }
    parts->values = std::move(values);
    return {Kind::Values, std::move(parts)};
}

std::optional<ColumnCondition> ColumnCondition::Text(TextMatch how, std::u16string_view term, UpperFn upper)
{
    if (term.empty()) return std::nullopt;
    if (how == TextMatch::Pattern) {
        std::u16string error;
        std::shared_ptr<const FieldMatcher> pattern = MakeFieldMatcher(term, true, upper, error);
        if (!pattern) return std::nullopt;
        return Text(std::move(pattern), how, std::u16string(term));
    }
    return Text(MakeTextTest(how, term, upper), how, std::u16string(term));
}

ColumnCondition ColumnCondition::Text(std::shared_ptr<const FieldMatcher> test, TextMatch how, std::u16string term)
{
    auto parts = std::make_shared<Parts>();
    parts->test = std::move(test);
    parts->how = how;
    parts->term = std::move(term);
    return {Kind::Text, std::move(parts)};
}

ColumnCondition ColumnCondition::Empty()
{
    return {Kind::Empty, std::make_shared<Parts>()};
}

ColumnCondition ColumnCondition::NotEmpty()
{
    return {Kind::NotEmpty, std::make_shared<Parts>()};
}

std::optional<ColumnCondition> ColumnCondition::Range(std::u16string_view atLeast, std::u16string_view atMost)
{
    if ((!atLeast.empty() && !ReadsAsNumber(atLeast)) || (!atMost.empty() && !ReadsAsNumber(atMost)))
        return std::nullopt;
    auto parts = std::make_shared<Parts>();
    parts->term = atLeast;
    parts->atMost = atMost;
    parts->leastKey = SortKeyOf(atLeast);
    parts->mostKey = SortKeyOf(atMost);
    return ColumnCondition(Kind::Range, std::move(parts));
}

bool ColumnCondition::Meets(std::u16string_view field) const
{
    const Parts& p = *parts_;
    switch (kind_) {
        case Kind::Values: return IsEmptyField(field) ? p.emptyChecked : p.valueSet.Contains(field);
        case Kind::Text: return p.test->Matches(field);
        case Kind::Empty: return IsEmptyField(field);
        case Kind::NotEmpty: return !IsEmptyField(field);
        case Kind::Range: {
            const uint64_t key = SortKeyOf(field);
            if (key >> kSortClassShift != 0) return false;  // text or empty: not a number
            // The collation is never asked: both sides are numbers.
            if (!p.term.empty() && CompareKeyedFields(field, key, p.term, p.leastKey, &AppendFoldedKey) < 0)
                return false;
            return p.atMost.empty() || CompareKeyedFields(field, key, p.atMost, p.mostKey, &AppendFoldedKey) <= 0;
        }
    }
    return false;
}

bool ColumnCondition::MayMeetPieceOf(std::u16string_view line) const
{
    const Parts& p = *parts_;
    switch (kind_) {
        case Kind::Values:
            if (p.emptyChecked || p.values.size() > kFewValues) return true;
            return std::any_of(p.values.begin(), p.values.end(),
                               [&](const std::u16string& v) { return line.find(v) != std::u16string_view::npos; });
        case Kind::Text: return p.test->MayMatchPieceOf(line);
        case Kind::NotEmpty: return !IsEmptyField(line);
        case Kind::Empty:
        case Kind::Range: return true;
    }
    return true;
}

const std::vector<std::u16string>& ColumnCondition::CheckedValues() const
{
    return parts_->values;
}

TextMatch ColumnCondition::How() const
{
    return parts_->how;
}

const std::u16string& ColumnCondition::Term() const
{
    return parts_->term;
}

const std::u16string& ColumnCondition::AtMost() const
{
    return parts_->atMost;
}

const ColumnCondition* ColumnFilters::Find(int field) const
{
    for (const auto& [f, condition] : conditions_) {
        if (f == field) return &condition;
    }
    return nullptr;
}

void ColumnFilters::Set(int field, ColumnCondition condition)
{
    Remove(field);
    const auto at = std::find_if(conditions_.begin(), conditions_.end(), [&](const auto& c) { return c.first > field; });
    conditions_.insert(at, {field, std::move(condition)});
}

void ColumnFilters::Remove(int field)
{
    std::erase_if(conditions_, [&](const auto& c) { return c.first == field; });
}

std::vector<int> ColumnFilters::Fields() const
{
    std::vector<int> fields;
    for (const auto& c : conditions_) fields.push_back(c.first);
    return fields;
}

bool ColumnFilters::RowMeets(const RowModel& model, int row) const
{
    if (model.FieldsArePiecesOfLine(row)) {
        const std::u16string_view line = model.LineText(row);
        for (const auto& [field, condition] : conditions_) {
            if (!condition.MayMeetPieceOf(line)) return false;
        }
    }
    for (const auto& [field, condition] : conditions_) {
        if (!condition.Meets(model.OneField(row, field))) return false;
    }
    return true;
}

bool KeepRowsMeeting(std::vector<uint32_t>& rows, const ColumnFilters& filters, const RowModel& model,
                     const Progress& progress)
{
    size_t kept = 0;
    const auto total = static_cast<int64_t>(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!KeepGoing(progress, static_cast<int64_t>(i), total)) return false;
        if (filters.RowMeets(model, static_cast<int>(rows[i]))) rows[kept++] = rows[i];
    }
    rows.resize(kept);
    return true;
}

}  // namespace tovo
