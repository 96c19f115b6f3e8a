// Search of the list's fields and the search box's history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/FieldMatcher.h"
#include "core/Progress.h"

namespace tovo {

class RowModel;
class RowOrder;

inline constexpr size_t kSearchHistoryMax = 32;

// Files a term at the top of the history: the first exactly equal entry is
// removed, the term inserted first, and one entry dropped from the end when
// the list then holds more than 32 (a longer list loaded from the file keeps
// its length). An empty term is never filed.
void FileSearchTerm(std::vector<std::u16string>& history, std::u16string_view term);

// The platform's full upper-case mapping of a whole string.
using UpperFn = std::u16string (*)(std::u16string_view);

// A stand-in mapping for tests and Linux: ASCII, full-width Latin, Latin-1,
// basic Latin Extended-A, Greek and Cyrillic, one unit to one unit.
std::u16string DefaultUpper(std::u16string_view text);

// Case-insensitive substring test: the term and the field, both upper-cased,
// the term anywhere in the field. An empty field never matches.
class TermMatcher final : public FieldMatcher {
public:
    TermMatcher(std::u16string_view term, UpperFn upper);
    bool Matches(std::u16string_view field) const override;
    // False only when no piece of `line` can match: the term is nowhere in
    // it. True whenever that cannot be told cheaply (the platform mapping).
    bool MayMatchPieceOf(std::u16string_view line) const override;

    // The platform maps every ASCII character as the ASCII table does: an ASCII field then
    // upper-cases unit for unit, without the platform's mapping.
    bool AsciiFoldsAsTable() const { return asciiFastPath_; }

private:
    bool MatchesAscii(std::u16string_view field) const;

    UpperFn upper_;
    std::u16string term_;
    bool termAscii_ = true;
    // A kana or ideograph of the term, 0 if none: every field holding the term holds this unit.
    char16_t anchor_ = 0;
    // The platform maps every ASCII character as the ASCII table does (not so
    // under a Turkish locale, for one); only then may ASCII fields skip upper_.
    bool asciiFastPath_ = false;
    // The units past ASCII that the platform upper-cases to ASCII (ı and ſ, say), when it maps
    // every unit to one: only those can match a unit of an ASCII term, so a line without them
    // is told exactly by the ASCII scan. Null when that cannot be known.
    std::shared_ptr<const std::vector<char16_t>> asciiBound_;
    char16_t asciiBoundLow_ = 0, asciiBoundSpan_ = 0;
};

struct SearchResult {
    bool found = false;
    int row = -1;           // IntSearchRow on a hit
    int lastCol = -1;       // IntSearchCol on a hit: the last matching sub-item
    std::vector<int> cols;  // every matching sub-item of the hit row, 0-based
    bool stopped = false;   // the progress callback stopped the walk: nothing found yet
    bool gaveUp = false;    // the matcher's calls kept reaching their bound: nothing found yet
};

// Which fields a walk tries: every field, or one (0-based).
inline constexpr int kAllFields = -1;

// Forward: the selected row from sub-item searchCol + 1, then every later row
// from sub-item 0; stops after the first row with a hit. No selected row (-1)
// reports nothing found.
SearchResult SearchForward(const RowModel& rows, int selectedRow, int searchCol, const FieldMatcher& matcher);
// Backward: the same walk from the selected row up to row 0.
SearchResult SearchBackward(const RowModel& rows, int selectedRow, int searchCol, const FieldMatcher& matcher);
// The same walks over the rows as shown: selectedRow and the hit's row are shown rows.
// `progress` counts the rows walked of those the walk could reach. `onlyField`: kAllFields or
// the one field tried.
SearchResult SearchForward(const RowModel& rows, const RowOrder& order, int selectedRow, int searchCol,
                           const FieldMatcher& matcher, const Progress& progress = {}, int onlyField = kAllFields);
SearchResult SearchBackward(const RowModel& rows, const RowOrder& order, int selectedRow, int searchCol,
                            const FieldMatcher& matcher, const Progress& progress = {}, int onlyField = kAllFields);

// The rows shown with a matching field, and the matching fields, of `onlyField` or all fields.
struct MatchCount {
    int64_t rows = 0;
    int64_t fields = 0;
    int runaways = 0;      // fields the matcher gave up on, counted as not matching
    bool stopped = false;  // by the progress callback
    bool gaveUp = false;   // the matcher's calls kept reaching their bound
};
MatchCount CountMatches(const RowModel& rows, const RowOrder& order, const FieldMatcher& matcher, int onlyField,
                        const Progress& progress = {});
// "一致: 12 行 / 15 セル" for panel 4, and the fields given up on, if any.
std::u16string MatchCountText(const MatchCount& count);

// Type-ahead: the first shown row from `start` on, wrapping round to the rows before it when
// `wrap`, whose caption ("No" as shown) begins with `prefix`; -1 when none does. A start outside
// the shown rows starts at the first.
int FindRowByCaption(const RowModel& rows, const RowOrder& order, int start, std::u16string_view prefix, bool wrap);

// "03/07": 1-based column numbers as "%.02d" joined by "/".
std::u16string HitColumnsText(const std::vector<int>& cols);
// "行:00012 桁:03/07" for panel 4.
std::u16string HitStatusText(std::u16string_view caption, const std::vector<int>& cols);
// Panel 4 after a search that found nothing.
inline constexpr std::u16string_view kBlankSearchStatus = u"行:      桁:  ";

}  // namespace tovo
