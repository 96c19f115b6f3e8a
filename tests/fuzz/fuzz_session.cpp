// Random sequences of list operations on a small document: every shown row is a line of the
// document holding its text, shown once; the selection is a shown row; a filter shows only rows
// holding its term and meeting every column's condition, and every such row is shown; a sort's
// order holds (CompareSortFields, ties in line order); an operation
// that was stopped, found nothing or ran out of memory leaves the session as it was.
#include <new>
#include <string>
#include <vector>

#include "core/ListSession.h"
#include "tests/fuzz/FuzzInput.h"

using namespace tovo;

namespace {

int g_collateCalls = -1;  // >= 0: the collation runs out of memory after that many more calls
void Collate(std::u16string_view text, std::string& out)
{
    if (g_collateCalls == 0) throw std::bad_alloc();
    if (g_collateCalls > 0) --g_collateCalls;
    AppendFoldedKey(text, out);
}

constexpr char16_t kAlphabet[] = u"aB1,\t\" -.w９0";

std::vector<int64_t> State(const ListSession& s)
{
    std::vector<int64_t> v{s.Page().start, s.Page().end, s.RowsPerPage(), s.LoadedAll(), s.SortColumn()};
    v.insert(v.end(), {s.Filtered(), s.Selected(), s.SearchColumn(), static_cast<int>(s.CurrentSplitter())});
    for (int c : s.FilteringColumns()) v.push_back(-c);
    for (int r = 0; r < s.ViewRowCount(); ++r) v.push_back(s.ModelRow(r));
    for (int r = 0; r < s.Rows().RowCount(); ++r) v.push_back(s.Rows().LineNumber(r));
    return v;
}

void Check(const ListSession& s, const std::vector<std::u16string>& lines, const std::u16string& filterTerm)
{
    const RowModel& rows = s.Rows();
    const int count = rows.RowCount();
    for (int r = 0; r < count; ++r) {
        const int32_t line = rows.LineNumber(r);
        FUZZ_CHECK(line >= 0 && line < s.LineCount() && (r == 0 || line == rows.LineNumber(r - 1) + 1));
        FUZZ_CHECK(rows.LineText(r) == (static_cast<size_t>(line) < lines.size() ? lines[line] : u""));
        for (int c = 0; c < 6; ++c) FUZZ_CHECK(rows.OneField(r, c) == rows.Field(r, c));
    }
    const size_t page = PageLines(s.Page(), s.LineCount()).size();
    FUZZ_CHECK(s.LineCount() == 0 || count == (s.LoadedAll() ? s.LineCount() : static_cast<int>(page)));
    FUZZ_CHECK(s.Selected() >= -1 && s.Selected() < s.ViewRowCount());
    FUZZ_CHECK(s.Filtered() || s.ViewRowCount() == count);
    std::vector<bool> seen(static_cast<size_t>(count));
    const TermMatcher matcher(filterTerm, &DefaultUpper);
    const auto shows = [&](int m) {
        if (s.TermFiltered() && !RowMatches(rows, m, matcher)) return false;
        for (const int c : s.FilteringColumns()) {
            if (!s.ColumnFilter(c)->Meets(rows.Field(m, c - 1))) return false;
        }
        return true;
    };
    int meeting = 0;
    for (int m = 0; m < count; ++m) meeting += shows(m);
    FUZZ_CHECK(!s.Filtered() || meeting == s.ViewRowCount());
    FUZZ_CHECK(s.Filtered() || (s.FilteringColumns().empty() && !s.TermFiltered()));
    for (int v = 0; v < s.ViewRowCount(); ++v) {
        const int m = s.ModelRow(v);
        FUZZ_CHECK(m >= 0 && m < count && !seen[m] && s.ViewRow(m) == v);
        seen[m] = true;
        if (s.Filtered()) FUZZ_CHECK(shows(m));
        if (v == 0) continue;
        const int p = s.ModelRow(v - 1);
        if (s.SortColumn() == 0) {
            FUZZ_CHECK(p < m);
            continue;
        }
        const std::u16string a(rows.Field(p, s.SortColumn() - 1));
        const int c = CompareSortFields(a, rows.Field(m, s.SortColumn() - 1), s.SortDescending(), AppendFoldedKey);
        FUZZ_CHECK(c < 0 || (c == 0 && p < m));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5) return 0;
    // The document: data[0] lines cut from a text of the fuzzer's bytes over a small alphabet.
    std::u16string pool;
    for (size_t i = 5; i < size; ++i) pool += kAlphabet[data[i] % 13 % 12];
    std::vector<std::u16string> lines;
    for (size_t i = 0; i < data[0]; ++i) {
        const size_t at = pool.empty() ? 0 : i * 7 % pool.size();
        lines.push_back(pool.substr(at, i * data[1] % 11) + u"," + DecimalText(int64_t(i * 37 % 10), 1));
    }
    VectorLineSource source(lines, int64_t{data[1]} - 16);
    if (data[2] & 1) source.ClaimLineCount(int64_t{data[0]} + (data[2] >> 1) - 64);
    g_collateCalls = -1;
    ListSession s(source, &Collate);
    s.SetLineStoreLimit(4 << 20);  // room for one block of lines
    s.Open(1 + data[3] % 100, data[4] & 1 ? Splitter::QuoteAware : Splitter::Auto);
    std::u16string filterTerm;
    Check(s, lines, filterTerm);

    // Each operation: its code, a parameter, when to stop it and when the collation fails.
    for (size_t at = 5; at + 3 < size && at < 5 + 4 * 24; at += 4) {
        const uint8_t p = data[at + 1];
        int reports = data[at + 2] < 200 ? data[at + 2] % 4 : -1;
        const Progress progress = [&](int64_t, int64_t) { return reports-- != 0; };
        g_collateCalls = data[at + 3] < 32 ? data[at + 3] : -1;
        const std::vector<int64_t> before = State(s);
        const std::u16string term{kAlphabet[p % 12], kAlphabet[(p >> 4) % 12]};
        SessionResult r = SessionResult::Done;
        const int onlyField = p & 2 ? (p >> 2) % 4 : kAllFields;
        const auto condition = [&] {
            switch ((p >> 2) % 5) {
                case 0: return ColumnCondition::Values({term.substr(0, 1), u""});
                case 1: return *ColumnCondition::Text(static_cast<TextMatch>(p % 3), term, &DefaultUpper);
                case 2: return ColumnCondition::Empty();
                case 3: return ColumnCondition::NotEmpty();
                default: return *ColumnCondition::Range(u"-0.5", u"５");
            }
        };
        switch (data[at] % 17) {
            case 0: r = s.TurnPage(static_cast<PageStep>(p % 4), progress); break;
            case 1: r = s.SetRowsPerPage(1 + p % 100, progress); break;
            case 2: r = s.LoadAll(progress); break;
            case 3: r = s.SetSplitter(p & 1 ? Splitter::QuoteAware : Splitter::Auto, progress); break;
            case 4: r = s.GoToLine(int32_t{p} - 8, progress); break;
            case 5: r = s.GoToStart(progress); break;
            case 6: r = s.SortByColumn(p % 5, p & 0x80, progress); break;
            case 7: r = s.SortByLine(); break;
            case 8: r = s.ClickColumn(p % 5, progress); break;
            case 9: r = s.Filter(TermMatcher(term, &DefaultUpper), progress); break;
            case 10: r = s.ShowAllRows(progress); break;
            case 11: r = s.Search(TermMatcher(term, &DefaultUpper), p & 1, progress, onlyField); break;
            case 12: s.Select(int{p} - 2); break;
            case 13: s.SetHeaderRow(); break;
            case 14:
                s.CountMatches(TermMatcher(term, &DefaultUpper), onlyField, progress);
                // A column's count covers the rows shown, or more for the filter dialog.
                if (const auto values = s.CountColumn(1 + p % 4, static_cast<ListSession::CountedRows>(p & 1), progress))
                    FUZZ_CHECK(p & 1 ? values->Rows() >= s.ViewRowCount() : values->Rows() == s.ViewRowCount());
                FUZZ_CHECK(State(s) == before);  // a count moves nothing
                break;
            case 15: r = s.FilterColumn(1 + p % 4, condition(), progress); break;
            case 16: r = s.ClearColumnFilter(1 + p % 4, progress); break;
        }
        g_collateCalls = -1;
        if (r == SessionResult::Stopped || r == SessionResult::NoMatch || r == SessionResult::OutOfMemory)
            FUZZ_CHECK(State(s) == before);
        if (r == SessionResult::SortDropped) FUZZ_CHECK(s.SortColumn() == 0);
        if (data[at] % 17 == 9 && s.Filtered() && r != SessionResult::Stopped && r != SessionResult::NoMatch)
            filterTerm = term;
        Check(s, lines, filterTerm);
    }
    return 0;
}
