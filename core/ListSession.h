// The document as the list window shows it: the lines read from the editor (a page, or all of
// them), their rows, the order they are shown in (a sort, a filter), the selection, the search
// cursor, the highlight marks and the header captions, with an operation for each thing users do.
// It knows no window: the window turns messages into these calls and this state into pixels.
//
// Operations that walk many rows take a Progress; a stopped one leaves the session as it was
// (the new state is made aside, then swapped in).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ColumnFilter.h"
#include "core/ColumnFit.h"
#include "core/ColumnValues.h"
#include "core/CsvSplit.h"
#include "core/HighLight.h"
#include "core/LineSource.h"
#include "core/LineStore.h"
#include "core/Paging.h"
#include "core/Progress.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"
#include "core/SortKey.h"

namespace tovo {

enum class SessionResult : uint8_t {
    Done,
    Unchanged,    // nothing to do: a page command at the edge or in load-all mode, no row, ...
    Stopped,      // the progress callback stopped it: the session is as it was
    NoMatch,      // a search or filter found no row: rows, order and selection as they were
    SortDropped,  // memory ran out sorting: done, with the rows in line order and no sort
    OutOfMemory,  // memory ran out reading all lines: the session is as it was
    GaveUp,       // the matcher's calls kept reaching their bound: the session is as it was
};

// Whether the session took what an operation made (rows dropped of their sort included).
inline bool Committed(SessionResult result)
{
    return result == SessionResult::Done || result == SessionResult::SortDropped;
}

enum class PageStep : uint8_t { Top, Prev, Next, End };

// Marks lines while load-all reads them (on Windows a thread of its own). Push gets each line as
// it is stored; its text stays until the session drops the lines.
class LineMarking {
public:
    virtual void Push(std::u16string_view line) = 0;
    // After the last Push: waits until every line is marked; false stops the load.
    virtual bool Finish() = 0;
    // The marks of the lines pushed; nullopt to have the session mark the rows itself.
    virtual std::optional<HighLightMarks> TakeMarks() = 0;
    // Reads no pushed line any more: called before load-all drops or keeps the lines.
    virtual void Stop() = 0;

protected:
    ~LineMarking() = default;
};

class ListSession {
public:
    // A line longer than this is reported (LongLineSeen) after the fill.
    static constexpr int32_t kLongLineLimit = 16384;

    ListSession(LineSource& source, CollationKeyFn collate);
    ListSession(const ListSession&) = delete;
    ListSession& operator=(const ListSession&) = delete;

    // Asks the source for the document and fills the page at its current line.
    SessionResult Open(int32_t rowsPerPage, Splitter splitter, const Progress& progress = {});

    // Page mode only: in load-all mode these answer Unchanged and the list moves its selection.
    SessionResult TurnPage(PageStep step, const Progress& progress = {});
    SessionResult SetRowsPerPage(int32_t rowsPerPage, const Progress& progress = {});
    // Reads every line into a store of its own (the page's is kept). `marking`: see LineMarking.
    SessionResult LoadAll(const Progress& progress = {}, LineMarking* marking = nullptr);
    // Bytes the load-all store may hold; 0: what the system gives.
    void SetLineStoreLimit(size_t bytes) { lineStoreLimit_ = bytes; }
    // Bytes a sort's keys may take before it counts as out of memory; 0: what the system gives.
    void SetSortKeyLimit(size_t bytes) { sortKeyLimit_ = bytes; }
    // Splits the rows again: in page mode the page is read again.
    SessionResult SetSplitter(Splitter splitter, const Progress& progress = {});
    // enteredNumber is 1-based as typed. Selects the line's row; a line the filter hides shows
    // all rows again.
    SessionResult GoToLine(int32_t enteredNumber, const Progress& progress = {});
    SessionResult GoToStart(const Progress& progress = {});

    // column 1..96. A sort orders the rows shown; a fill keeps it, the filter ends with a fill.
    SessionResult SortByColumn(int column, bool descending, const Progress& progress = {});
    SessionResult SortByLine(const Progress& progress = {});
    // A click on a caption: ascending, descending, then line order; "No" (0) is line order.
    SessionResult ClickColumn(int column, const Progress& progress = {});
    SessionResult Filter(const FieldMatcher& matcher, const Progress& progress = {});
    SessionResult ShowAllRows(const Progress& progress = {});

    // The filter by columns; column 1..96 (past it, Unchanged). The column's condition joins every
    // other column's and the term filter (a row shows when it meets them all). A column that had
    // no condition narrows the rows shown and walks only them; a changed condition walks every
    // row. NoMatch, the list as it was, when no row would show. ShowAllRows and a fill end them
    // with the term filter; go-to a hidden line shows all rows.
    SessionResult FilterColumn(int column, ColumnCondition condition, const Progress& progress = {});
    // Unchanged when the column has no condition.
    SessionResult ClearColumnFilter(int column, const Progress& progress = {});
    // Null when the column does not filter.
    const ColumnCondition* ColumnFilter(int column) const { return columnFilters_.Find(column - 1); }
    // The columns that filter, ascending, 1..96: their captions show it.
    std::vector<int> FilteringColumns() const;
    bool TermFiltered() const { return !termRows_.empty(); }
    // The column's values (1..96; any other column counts empty fields only); nullopt when stopped.
    // Shown: over the rows shown, for the column's profile. ToFilter: over the rows every other
    // filter lets through, for the filter dialog, so a column that filters lists the values its
    // own condition hides too and the user can widen it.
    enum class CountedRows : uint8_t { Shown, ToFilter };
    std::optional<ColumnValues> CountColumn(int column, CountedRows rows = CountedRows::Shown,
                                            const Progress& progress = {}) const;

    // From the selected row's next field on, then row by row in the order shown. A hit selects
    // its row and moves the search cursor there. `onlyField`: kAllFields or the one field tried.
    SessionResult Search(const FieldMatcher& matcher, bool forward, const Progress& progress = {},
                         int onlyField = kAllFields);
    // Counts the rows shown with a matching field and the matching fields; panel 4 says both.
    // Selection and search cursor stay.
    SessionResult CountMatches(const FieldMatcher& matcher, int onlyField, const Progress& progress = {});
    // The user moved the selection: the next search starts at the row's first field.
    void ResetSearchColumn() { searchCol_ = 0; }
    int32_t SearchRow() const { return searchRow_; }
    int32_t SearchColumn() const { return searchCol_; }
    // Panel 4: the last search's hit (its line and fields as they were found) or blank after a
    // search that found nothing, empty before any search; then the filter notice.
    std::u16string SearchStatus() const { return searchStatus_ + FilterNotice(); }

    // A view row, -1 for none.
    void Select(int viewRow);
    int Selected() const { return selected_; }

    // Type-ahead: the shown row from `start` on whose "No" begins with `prefix` (FindRowByCaption).
    int FindRowByCaption(int start, std::u16string_view prefix, bool wrap) const;

    // The selected row's fields become the captions; false without a selected row.
    bool SetHeaderRow();
    std::u16string ColumnCaption(int column) const;  // 1..96
    const std::vector<std::u16string>& HeaderCaptions() const { return headerCaptions_; }

    // The widest cell text of each field column over the rows shown (a filter hides some), at
    // most maxUnits units a cell; nullopt when stopped.
    std::optional<std::array<int, kShownFields>> WidestCells(const CharWidthTable& widths, size_t maxUnits,
                                                             const Progress& progress = {}) const;

    // The words to mark; the marks change at the next fill. Keeps the old words when it throws.
    void SetWords(const std::vector<std::u16string>& words) { words_.Load(words); }
    const HighLightWords& Words() const { return words_; }
    int32_t MarkKey(int modelRow) const;
    HighLightMarks::RowMarks MarksOfRow(int modelRow) const { return marks_.MarksOfRow(MarkKey(modelRow)); }
    bool RowMarked(int modelRow) const { return marks_.HasRow(MarkKey(modelRow)); }

    const RowModel& Rows() const { return rows_; }
    int ViewRowCount() const { return order_.Count(rows_.RowCount()); }
    int ModelRow(int viewRow) const;  // -1: no such row
    int ViewRow(int modelRow) const;  // -1: hidden by the filter
    int ModelRowOfLine(int32_t line) const;
    // Status panels 1 and 2: the first and last line in the list; empty without rows.
    std::u16string FirstLineCaption() const;
    std::u16string LastLineCaption() const;
    // "  絞り込み中: N 行を表示 (全 M 行)" while a filter is in force, else empty; the columns that
    // filter are named: "  絞り込み中 (カラム 05/07): ...".
    std::u16string FilterNotice() const;

    int32_t LineCount() const { return lineCount_; }
    int32_t EditorLine() const { return editorLine_; }
    int32_t StartLine() const { return startLine_; }
    PageBounds Page() const { return page_; }
    int32_t RowsPerPage() const { return rowsPerPage_; }
    bool LoadedAll() const { return loadAll_; }
    bool LongLineSeen() const { return longLine_; }
    Splitter CurrentSplitter() const { return splitter_; }
    int SortColumn() const { return sortColumn_; }  // 0: line order
    bool SortDescending() const { return sortDescending_; }
    bool Filtered() const { return filtered_; }

private:
    struct Fill;
    bool ReadLines(LineStore& into, int32_t first, int32_t stop, bool& longLine, LineMarking* marking,
                   const Progress& progress);
    bool MakeRows(Fill& fill, const LineStore& lines, int32_t firstLine, int32_t markBase, Splitter splitter,
                  std::optional<HighLightMarks> marked, const Progress& progress);
    SessionResult Commit(Fill& fill);
    SessionResult FillPage(PageBounds page, Splitter splitter, const Progress& progress);
    SessionResult RefillAll(Splitter splitter, const Progress& progress);
    SessionResult GoTo(int32_t line, PageBounds page, const Progress& progress);
    SessionResult SelectLine(int32_t line, const Progress& progress);
    bool SortRows(std::vector<uint32_t>& rows, const RowModel& model, int column, bool descending,
                  const Progress& progress) const;
    bool ApplyOrder(std::vector<uint32_t> rows, bool identity, int keepModelRow, const Progress& progress);
    void DropSort(int keepModelRow);
    void Reselect(int keepModelRow);
    std::optional<std::vector<uint32_t>> ShownModelRows(const Progress& progress) const;
    SessionResult ShowFiltered(std::vector<uint32_t> rows, const Progress& progress);
    SessionResult Refilter(ColumnFilters filters, const Progress& progress);
    // Appends, in line order, the rows the term filter (while in force) and `filters` let through.
    bool RowsMeeting(const ColumnFilters& filters, std::vector<uint32_t>& rows, const Progress& progress) const;
    void EndFilters();

    LineSource& source_;
    CollationKeyFn collate_;
    size_t lineStoreLimit_ = 0;
    size_t sortKeyLimit_ = 0;

    int32_t lineCount_ = 0;   // the document's, as the editor reported it
    int32_t editorLine_ = 0;  // the editor's current line when the window opened
    int32_t startLine_ = 0;   // where "開始時へ移動" goes back to
    PageBounds page_{0, 0};
    int32_t rowsPerPage_ = 20;
    bool loadAll_ = false;
    bool longLine_ = false;
    Splitter splitter_ = Splitter::Auto;

    // Rows point into one of the stores; the stores sit on the heap so a store made aside keeps
    // its address when it is swapped in.
    std::unique_ptr<LineStore> pageLines_;
    std::unique_ptr<LineStore> allLines_;
    RowModel rows_;
    RowOrder order_;
    int sortColumn_ = 0;
    bool sortDescending_ = false;
    bool filtered_ = false;  // by the term, the columns or both
    // While the term filter is in force, a bit a model row: the term shows it. Empty otherwise.
    std::vector<bool> termRows_;
    ColumnFilters columnFilters_;
    int selected_ = -1;

    int32_t searchRow_ = 0;
    int32_t searchCol_ = 0;
    std::u16string searchStatus_;

    HighLightMarks marks_;
    std::optional<HighLightMarks> spareMarks_;
    HighLightWords words_;
    std::vector<std::u16string> headerCaptions_;  // empty: "01".."96"
};

}  // namespace tovo
