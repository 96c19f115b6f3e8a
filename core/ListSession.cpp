#include "core/ListSession.h"

#include <algorithm>
#include <new>
#include <utility>

namespace tovo {

namespace {

int32_t Narrow(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Made in steps that ask `progress`; nullopt when it stopped.
std::optional<std::vector<uint32_t>> AllRows(int count, const Progress& progress)
{
    std::vector<uint32_t> rows;
    const auto n = static_cast<size_t>(std::max(count, 0));
    if (!AppendInSteps(rows, n, [](size_t i) { return static_cast<uint32_t>(i); }, progress)) return std::nullopt;
    return rows;
}

}  // namespace

// What a fill makes aside before it replaces the session's rows. The mark table (512 KB) is the
// spare one, which goes back whether or not the fill is taken.
struct ListSession::Fill {
    explicit Fill(std::optional<HighLightMarks>& spare) : spare_(spare) { marks.swap(spare); }
    ~Fill()
    {
        if (marks && !spare_) spare_.swap(marks);
    }
    Fill(const Fill&) = delete;
    Fill& operator=(const Fill&) = delete;

    RowModel rows;
    std::optional<HighLightMarks> marks;
    RowOrder order;
    bool sortDropped = false;

private:
    std::optional<HighLightMarks>& spare_;
};

ListSession::ListSession(LineSource& source, CollationKeyFn collate)
    : source_(source),
      collate_(collate),
      pageLines_(std::make_unique<LineStore>()),
      allLines_(std::make_unique<LineStore>())
{
}

SessionResult ListSession::Open(int32_t rowsPerPage, Splitter splitter, const Progress& progress)
{
    // A negative count is no document; the current line is brought into the document so every
    // later bound stays inside it.
    lineCount_ = Narrow(std::clamp<int64_t>(source_.LineCount(), 0, INT32_MAX));
    editorLine_ = Narrow(std::clamp<int64_t>(source_.CurrentLine(), 0, std::max(lineCount_ - 1, 0)));
    startLine_ = editorLine_;
    rowsPerPage_ = rowsPerPage;
    splitter_ = splitter;
    loadAll_ = false;
    // The first page includes the last line (the page commands stop one before it).
    return FillPage(WindowStartPage(editorLine_, lineCount_, rowsPerPage_), splitter_, progress);
}

// ---------------------------------------------------------------- reading and filling

// A short line is written by the source straight into the store: a line of a ten-million-line
// load costs its reading and one clearing.
bool ListSession::ReadLines(LineStore& into, int32_t first, int32_t stop, bool& longLine, LineMarking* marking,
                            const Progress& progress)
{
    for (int32_t line = first; line < stop; ++line) {
        if (!KeepGoing(progress, int64_t{line} - first, int64_t{stop} - first)) return false;
        const auto length =
            static_cast<int32_t>(std::clamp<int64_t>(source_.LineLength(line), 0, LineSource::kMaxLineUnits));
        if (length > kLongLineLimit) longLine = true;
        if (length < LineSource::kLongLineUnits) {
            char16_t* room = into.AppendRoom(static_cast<size_t>(length) + 1);
            std::fill_n(room, static_cast<size_t>(length) + 1, u'\0');
            const size_t written = std::min(source_.ReadLine(line, length, room), static_cast<size_t>(length));
            into.AppendWritten(written);
            if (marking) marking->Push({room, written});
        } else {
            into.Append(source_.ReadLongLine(line, length).substr(0, static_cast<size_t>(length)));
            if (marking) marking->Push(into.Line(into.size() - 1));
        }
    }
    return true;
}

// Rows cost a count each and, with words, one marking pass over the line until the mark table
// is full. The marks' row keys are markBase + row, as MarkKey looks them up.
bool ListSession::MakeRows(Fill& fill, const LineStore& lines, int32_t firstLine, int32_t markBase, Splitter splitter,
                           std::optional<HighLightMarks> marked, const Progress& progress)
{
    fill.rows.ShowLines(lines, firstLine, splitter);
    const bool marking = !words_.empty() && !marked;
    if (marked) {
        fill.marks = std::move(marked);
    } else if (fill.marks) {
        fill.marks->Reset();
    } else {
        fill.marks.emplace();
    }
    const int count = static_cast<int>(std::min<size_t>(lines.size(), INT32_MAX));
    for (int row = 0; row < count; ++row) {
        if (!KeepGoing(progress, row, count)) return false;
        fill.rows.AppendLineRow();
        if (marking && !fill.marks->Full())
            MarkRow(*fill.marks, words_, fill.rows, row, Narrow(int64_t{markBase} + row));
    }
    // A fill ends the filter, as the new rows were never filtered, and keeps the sort.
    if (sortColumn_ == 0) return ReportEnd(progress, count);
    try {
        std::optional<std::vector<uint32_t>> order = AllRows(count, progress);
        if (!order || !SortRows(*order, fill.rows, sortColumn_, sortDescending_, progress)) return false;
        if (!fill.order.Assign(std::move(*order), count, progress)) return false;
    } catch (const std::bad_alloc&) {
        fill.order.Reset();
        fill.sortDropped = true;
    }
    return true;
}

SessionResult ListSession::Commit(Fill& fill)
{
    rows_ = std::move(fill.rows);
    if (fill.marks) std::swap(marks_, *fill.marks);
    order_ = std::move(fill.order);
    EndFilters();
    if (fill.sortDropped) {
        sortColumn_ = 0;
        sortDescending_ = false;
    }
    selected_ = rows_.RowCount() > 0 ? 0 : -1;
    return fill.sortDropped ? SessionResult::SortDropped : SessionResult::Done;
}

SessionResult ListSession::FillPage(PageBounds page, Splitter splitter, const Progress& progress)
{
    // Without a document nothing is read; the bounds and the splitter are taken all the same.
    if (lineCount_ <= 0) {
        page_ = page;
        splitter_ = splitter;
        return SessionResult::Done;
    }
    auto lines = std::make_unique<LineStore>();
    const std::vector<int32_t> numbers = PageLines(page, lineCount_);
    lines->Reserve(numbers.size(), 0);
    bool longLine = false;
    Fill fill(spareMarks_);
    if (!numbers.empty() && !ReadLines(*lines, numbers.front(), numbers.back() + 1, longLine, nullptr, progress))
        return SessionResult::Stopped;
    if (!MakeRows(fill, *lines, std::max(page.start, 0), page.start, splitter, std::nullopt, progress))
        return SessionResult::Stopped;
    const SessionResult result = Commit(fill);  // the old rows go before the lines they point into
    pageLines_ = std::move(lines);
    page_ = page;
    splitter_ = splitter;
    longLine_ = longLine;
    return result;
}

// Load-all mode: the lines stay, the rows and marks are made again.
SessionResult ListSession::RefillAll(Splitter splitter, const Progress& progress)
{
    if (lineCount_ <= 0) {
        splitter_ = splitter;
        return SessionResult::Done;
    }
    Fill fill(spareMarks_);
    if (!MakeRows(fill, *allLines_, 0, page_.start, splitter, std::nullopt, progress)) return SessionResult::Stopped;
    splitter_ = splitter;
    return Commit(fill);
}

SessionResult ListSession::LoadAll(const Progress& progress, LineMarking* marking)
{
    // The marking reads the lines it was given: it stops before they go, on every path.
    struct StopMarking {
        LineMarking* marking;
        ~StopMarking()
        {
            if (marking) marking->Stop();
        }
    };
    try {
        auto lines = std::make_unique<LineStore>();
        const StopMarking stopMarking{marking};
        lines->SetAllocationLimit(lineStoreLimit_);
        lines->Reserve(static_cast<size_t>(lineCount_), 0);
        bool longLine = false;
        if (!ReadLines(*lines, 0, lineCount_, longLine, marking, progress)) return SessionResult::Stopped;
        Fill fill(spareMarks_);
        SessionResult result = SessionResult::Done;
        // A document of no lines makes no rows: the captions stay as they are.
        if (lineCount_ > 0) {
            if (marking && !marking->Finish()) return SessionResult::Stopped;
            // In load-all mode row i is line i; the marks keep the page's start as their base.
            if (!MakeRows(fill, *lines, 0, page_.start, splitter_, marking ? marking->TakeMarks() : std::nullopt,
                          progress))
                return SessionResult::Stopped;
        }
        result = Commit(fill);
        allLines_ = std::move(lines);
        loadAll_ = true;
        longLine_ = longLine;
        return result;
    } catch (const std::bad_alloc&) {
        // What was read goes with `lines`; the page stays as it was.
        return SessionResult::OutOfMemory;
    }
}

// ---------------------------------------------------------------- paging

SessionResult ListSession::TurnPage(PageStep step, const Progress& progress)
{
    if (loadAll_) return SessionResult::Unchanged;
    std::optional<PageBounds> page;
    switch (step) {
        case PageStep::Top: page = PageTop(page_, lineCount_, rowsPerPage_); break;
        case PageStep::Prev: page = PagePrev(page_, lineCount_, rowsPerPage_); break;
        case PageStep::Next: page = PageNext(page_, lineCount_, rowsPerPage_); break;
        case PageStep::End: page = PageEnd(page_, lineCount_, rowsPerPage_); break;
    }
    if (!page) return SessionResult::Unchanged;
    return FillPage(*page, splitter_, progress);
}

SessionResult ListSession::SetRowsPerPage(int32_t rowsPerPage, const Progress& progress)
{
    if (loadAll_) return SessionResult::Unchanged;
    const PageBounds page = *PageSizeChanged(page_, lineCount_, rowsPerPage);
    const SessionResult result = FillPage(page, splitter_, progress);
    if (Committed(result)) rowsPerPage_ = rowsPerPage;
    return result;
}

SessionResult ListSession::SetSplitter(Splitter splitter, const Progress& progress)
{
    return loadAll_ ? RefillAll(splitter, progress) : FillPage(page_, splitter, progress);
}

SessionResult ListSession::GoToLine(int32_t enteredNumber, const Progress& progress)
{
    const int32_t line = JumpTargetLine(enteredNumber, lineCount_);
    return GoTo(line, JumpPage(line, lineCount_, rowsPerPage_), progress);
}

SessionResult ListSession::GoToStart(const Progress& progress)
{
    return GoTo(startLine_, StartPositionPage(startLine_, lineCount_, rowsPerPage_), progress);
}

SessionResult ListSession::GoTo(int32_t line, PageBounds page, const Progress& progress)
{
    if (loadAll_) return SelectLine(line, progress);
    const SessionResult result = FillPage(page, splitter_, progress);
    // The page starts at the line; a sorted page puts it elsewhere.
    if (Committed(result) && !order_.Identity()) SelectLine(line, progress);
    return result;
}

SessionResult ListSession::SelectLine(int32_t line, const Progress& progress)
{
    const int model = ModelRowOfLine(line);
    if (model < 0) return SessionResult::Unchanged;
    SessionResult result = SessionResult::Done;
    // Asked for by number, a line the filter hides is shown again with all the others.
    if (ViewRow(model) < 0) result = ShowAllRows(progress);
    if (ViewRow(model) >= 0) selected_ = ViewRow(model);
    return result;
}

// ---------------------------------------------------------------- order

int ListSession::ModelRow(int viewRow) const
{
    const int row = order_.ModelRow(viewRow);
    return row < rows_.RowCount() ? row : -1;
}

int ListSession::ViewRow(int modelRow) const
{
    if (modelRow < 0 || modelRow >= rows_.RowCount()) return -1;
    return order_.ViewRow(modelRow);
}

int ListSession::ModelRowOfLine(int32_t line) const
{
    const int count = rows_.RowCount();
    if (count == 0) return -1;
    // The model holds consecutive lines in line order.
    const int64_t model = int64_t{line} - rows_.LineNumber(0);
    if (model < 0 || model >= count || rows_.LineNumber(static_cast<int>(model)) != line) return -1;
    return static_cast<int>(model);
}

std::optional<std::vector<uint32_t>> ListSession::ShownModelRows(const Progress& progress) const
{
    if (order_.Identity()) return AllRows(rows_.RowCount(), progress);
    const std::vector<uint32_t>& shown = order_.Rows();
    std::vector<uint32_t> rows;
    if (!AppendInSteps(rows, shown.size(), [&](size_t i) { return shown[i]; }, progress)) return std::nullopt;
    return rows;
}

bool ListSession::SortRows(std::vector<uint32_t>& rows, const RowModel& model, int column, bool descending,
                           const Progress& progress) const
{
    return SortRowsByField(rows, model, column - 1, descending, collate_, 65'536, sortKeyLimit_, progress);
}

// The row that was selected stays selected wherever it now stands, else the first. False,
// nothing changed, when `progress` stopped it.
bool ListSession::ApplyOrder(std::vector<uint32_t> rows, bool identity, int keepModelRow, const Progress& progress)
{
    if (identity) {
        order_.Reset();
    } else if (!order_.Assign(std::move(rows), rows_.RowCount(), progress)) {
        return false;
    }
    Reselect(keepModelRow);
    return true;
}

void ListSession::Reselect(int keepModelRow)
{
    const int view = ViewRow(keepModelRow);
    selected_ = view >= 0 ? view : (ViewRowCount() > 0 ? 0 : -1);
}

// Line order for the rows shown; needs no memory, so it also serves when a sort ran out of it.
void ListSession::DropSort(int keepModelRow)
{
    sortColumn_ = 0;
    sortDescending_ = false;
    if (filtered_) {
        order_.ToModelOrder();
    } else {
        order_.Reset();
    }
    Reselect(keepModelRow);
}

SessionResult ListSession::SortByColumn(int column, bool descending, const Progress& progress)
{
    if (column < 1 || column > kShownFields) return SessionResult::Unchanged;
    const int keep = ModelRow(selected_);
    try {
        std::optional<std::vector<uint32_t>> rows = ShownModelRows(progress);
        if (!rows || !SortRows(*rows, rows_, column, descending, progress) ||
            !ApplyOrder(std::move(*rows), false, keep, progress))
            return SessionResult::Stopped;
        sortColumn_ = column;
        sortDescending_ = descending;
        return SessionResult::Done;
    } catch (const std::bad_alloc&) {
        DropSort(keep);
        return SessionResult::SortDropped;
    }
}

SessionResult ListSession::SortByLine(const Progress& progress)
{
    const int keep = ModelRow(selected_);
    if (!filtered_) {
        DropSort(keep);
        return SessionResult::Done;
    }
    try {
        std::optional<std::vector<uint32_t>> rows = ShownModelRows(progress);
        if (!rows || !InModelOrder(*rows, rows_.RowCount(), progress) ||
            !ApplyOrder(std::move(*rows), false, keep, progress))
            return SessionResult::Stopped;
        sortColumn_ = 0;
        sortDescending_ = false;
    } catch (const std::bad_alloc&) {
        DropSort(keep);  // in place, at a sort's cost
    }
    return SessionResult::Done;
}

SessionResult ListSession::ClickColumn(int column, const Progress& progress)
{
    if (column <= 0 || column > kShownFields) return SortByLine(progress);
    if (column != sortColumn_) return SortByColumn(column, false, progress);
    if (!sortDescending_) return SortByColumn(column, true, progress);
    return SortByLine(progress);
}

SessionResult ListSession::Filter(const FieldMatcher& matcher, const Progress& progress)
{
    // Every row of the list, not only those shown: a new term replaces the old filter.
    std::optional<std::vector<uint32_t>> matching = MatchingRows(rows_, matcher, progress);
    if (!matching) return matcher.GaveUp() ? SessionResult::GaveUp : SessionResult::Stopped;
    if (matching->empty()) return SessionResult::NoMatch;
    std::vector<uint32_t> rows = std::move(*matching);
    std::vector<bool> termRows(static_cast<size_t>(rows_.RowCount()));
    for (const uint32_t r : rows) termRows[r] = true;
    // The column filters stay: a row shows when it meets them too.
    if (!columnFilters_.Empty()) {
        if (!KeepRowsMeeting(rows, columnFilters_, rows_, progress)) return SessionResult::Stopped;
        if (rows.empty()) return SessionResult::NoMatch;
    }
    const SessionResult result = ShowFiltered(std::move(rows), progress);
    if (Committed(result)) termRows_ = std::move(termRows);
    return result;
}

// Shows `rows` (model rows in model order) as the sort in force orders them.
SessionResult ListSession::ShowFiltered(std::vector<uint32_t> rows, const Progress& progress)
{
    SessionResult result = SessionResult::Done;
    if (sortColumn_ > 0) {
        try {
            if (!SortRows(rows, rows_, sortColumn_, sortDescending_, progress)) return SessionResult::Stopped;
        } catch (const std::bad_alloc&) {
            std::sort(rows.begin(), rows.end());
            result = SessionResult::SortDropped;
        }
    }
    // Kept while the filter lasts: no room left over from growing (up to 4 bytes a row).
    rows.shrink_to_fit();
    if (!ApplyOrder(std::move(rows), false, ModelRow(selected_), progress)) return SessionResult::Stopped;
    filtered_ = true;
    if (result == SessionResult::SortDropped) {
        sortColumn_ = 0;
        sortDescending_ = false;
    }
    return result;
}

SessionResult ListSession::ShowAllRows(const Progress& progress)
{
    if (!filtered_) return SessionResult::Unchanged;
    const int keep = ModelRow(selected_);
    if (sortColumn_ == 0) {
        EndFilters();
        ApplyOrder({}, true, keep, progress);
        return SessionResult::Done;
    }
    try {
        std::optional<std::vector<uint32_t>> rows = AllRows(rows_.RowCount(), progress);
        if (!rows || !SortRows(*rows, rows_, sortColumn_, sortDescending_, progress) ||
            !ApplyOrder(std::move(*rows), false, keep, progress))
            return SessionResult::Stopped;
        EndFilters();
        return SessionResult::Done;
    } catch (const std::bad_alloc&) {
        EndFilters();
        DropSort(keep);
        return SessionResult::SortDropped;
    }
}

// ---------------------------------------------------------------- the filter by columns

SessionResult ListSession::FilterColumn(int column, ColumnCondition condition, const Progress& progress)
{
    if (column < 1 || column > kShownFields || rows_.RowCount() == 0) return SessionResult::Unchanged;
    const int field = column - 1;
    ColumnFilters filters = columnFilters_;
    filters.Set(field, condition);
    if (columnFilters_.Find(field)) return Refilter(std::move(filters), progress);
    // The rows shown meet every other condition: only they are tried, in line order (each line
    // read once, where it lies in memory), and kept in the order shown, so a sort stays as it was.
    const int count = rows_.RowCount();
    std::vector<bool> shows(static_cast<size_t>(count), order_.Identity());
    if (!order_.Identity()) {
        for (const uint32_t r : order_.Rows()) shows[r] = true;
    }
    ColumnFilters added;
    added.Set(field, std::move(condition));
    const int shown = ViewRowCount();
    int64_t tried = 0;
    size_t kept = 0;
    for (int r = 0; r < count; ++r) {
        if (!shows[static_cast<size_t>(r)]) continue;
        if (!KeepGoing(progress, tried++, shown)) return SessionResult::Stopped;
        if (added.RowMeets(rows_, r)) {
            ++kept;
        } else {
            shows[static_cast<size_t>(r)] = false;
        }
    }
    // Taking the rows kept in the order shown walks every row shown again: it pumps too, the bar
    // standing at its end.
    const Progress atEnd = [&](int64_t, int64_t) { return !progress || progress(shown, shown); };
    std::vector<uint32_t> rows;
    rows.reserve(kept);
    for (int v = 0; v < shown; ++v) {
        if (!KeepGoing(atEnd, v, shown)) return SessionResult::Stopped;
        const int r = ModelRow(v);
        if (r >= 0 && shows[static_cast<size_t>(r)]) rows.push_back(static_cast<uint32_t>(r));
    }
    if (rows.empty()) return SessionResult::NoMatch;
    if (!ApplyOrder(std::move(rows), false, ModelRow(selected_), progress)) return SessionResult::Stopped;
    columnFilters_ = std::move(filters);
    filtered_ = true;
    return SessionResult::Done;
}

SessionResult ListSession::ClearColumnFilter(int column, const Progress& progress)
{
    if (!ColumnFilter(column)) return SessionResult::Unchanged;
    ColumnFilters filters = columnFilters_;
    filters.Remove(column - 1);
    if (filters.Empty() && termRows_.empty()) return ShowAllRows(progress);
    return Refilter(std::move(filters), progress);
}

bool ListSession::RowsMeeting(const ColumnFilters& filters, std::vector<uint32_t>& rows, const Progress& progress) const
{
    const int count = rows_.RowCount();
    for (int r = 0; r < count; ++r) {
        if (!KeepGoing(progress, r, count)) return false;
        if ((termRows_.empty() || termRows_[static_cast<size_t>(r)]) && filters.RowMeets(rows_, r))
            rows.push_back(static_cast<uint32_t>(r));
    }
    return true;
}

// Every row against the term filter's rows and `filters`, which then are the ones in force.
SessionResult ListSession::Refilter(ColumnFilters filters, const Progress& progress)
{
    std::vector<uint32_t> rows;
    if (!RowsMeeting(filters, rows, progress)) return SessionResult::Stopped;
    if (rows.empty()) return SessionResult::NoMatch;
    const SessionResult result = ShowFiltered(std::move(rows), progress);
    if (Committed(result)) columnFilters_ = std::move(filters);
    return result;
}

std::vector<int> ListSession::FilteringColumns() const
{
    std::vector<int> columns = columnFilters_.Fields();
    for (int& c : columns) ++c;
    return columns;
}

std::optional<ColumnValues> ListSession::CountColumn(int column, CountedRows counted, const Progress& progress) const
{
    if (counted == CountedRows::Shown || !ColumnFilter(column))
        return tovo::CountColumn(rows_, order_, column - 1, progress);
    ColumnFilters others = columnFilters_;
    others.Remove(column - 1);
    std::vector<uint32_t> rows;
    if (!RowsMeeting(others, rows, progress)) return std::nullopt;
    RowOrder order;
    order.Assign(std::move(rows), rows_.RowCount());
    return tovo::CountColumn(rows_, order, column - 1, progress);
}

void ListSession::EndFilters()
{
    filtered_ = false;
    std::vector<bool>().swap(termRows_);
    columnFilters_.Clear();
}

// ---------------------------------------------------------------- search, selection, captions

SessionResult ListSession::Search(const FieldMatcher& matcher, bool forward, const Progress& progress,
                                  int onlyField)
{
    SearchResult result = forward ? SearchForward(rows_, order_, selected_, searchCol_, matcher, progress, onlyField)
                                  : SearchBackward(rows_, order_, selected_, searchCol_, matcher, progress, onlyField);
    if (result.stopped) return SessionResult::Stopped;
    if (result.gaveUp) return SessionResult::GaveUp;
    if (!result.found) {
        searchStatus_ = kBlankSearchStatus;
        return SessionResult::NoMatch;
    }
    searchRow_ = result.row;
    searchCol_ = result.lastCol;
    selected_ = result.row;
    searchStatus_ = HitStatusText(rows_.Caption(ModelRow(result.row)), result.cols);
    return SessionResult::Done;
}

SessionResult ListSession::CountMatches(const FieldMatcher& matcher, int onlyField, const Progress& progress)
{
    const MatchCount count = tovo::CountMatches(rows_, order_, matcher, onlyField, progress);
    if (count.stopped) return SessionResult::Stopped;
    if (count.gaveUp) return SessionResult::GaveUp;
    searchStatus_ = MatchCountText(count);
    return count.rows != 0 ? SessionResult::Done : SessionResult::NoMatch;
}

void ListSession::Select(int viewRow)
{
    selected_ = viewRow >= 0 && viewRow < ViewRowCount() ? viewRow : -1;
}

int ListSession::FindRowByCaption(int start, std::u16string_view prefix, bool wrap) const
{
    return tovo::FindRowByCaption(rows_, order_, start, prefix, wrap);
}

bool ListSession::SetHeaderRow()
{
    const int row = ModelRow(selected_);
    if (row < 0) return false;
    std::vector<std::u16string> captions(kShownFields);
    for (int i = 0; i < kShownFields; ++i) {
        captions[static_cast<size_t>(i)] = DecimalText(i + 1, 2) + u" " + std::u16string(rows_.Field(row, i));
    }
    headerCaptions_ = std::move(captions);
    return true;
}

std::u16string ListSession::ColumnCaption(int column) const
{
    const auto i = static_cast<size_t>(column - 1);
    if (i < headerCaptions_.size()) return headerCaptions_[i];
    return DecimalText(column, 2);
}

std::optional<std::array<int, kShownFields>> ListSession::WidestCells(const CharWidthTable& widths, size_t maxUnits,
                                                                      const Progress& progress) const
{
    return MaxFieldWidths(rows_, order_, widths, maxUnits, progress);
}

int32_t ListSession::MarkKey(int modelRow) const
{
    return Narrow(int64_t{page_.start} + modelRow);
}

std::u16string ListSession::FirstLineCaption() const
{
    return rows_.RowCount() > 0 ? rows_.Caption(0) : std::u16string();
}

std::u16string ListSession::LastLineCaption() const
{
    return rows_.RowCount() > 0 ? rows_.Caption(rows_.RowCount() - 1) : std::u16string();
}

std::u16string ListSession::FilterNotice() const
{
    if (!filtered_) return {};
    const std::u16string columns =
        columnFilters_.Empty() ? u"" : u" (カラム " + HitColumnsText(columnFilters_.Fields()) + u")";
    return u"  絞り込み中" + columns + u": " + DecimalText(ViewRowCount(), 1) + u" 行を表示 (全 " + DecimalText(lineCount_, 1) +
           u" 行)";
}

}  // namespace tovo
