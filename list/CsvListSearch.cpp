// Forward and backward search with the history, the search options and the count of matches,
// and the go-to-line command.
#include "list/CsvList.h"

#include <algorithm>
#include <climits>

#include "core/DecEditFilter.h"
#include "core/RegexMatcher.h"
#include "core/Search.h"
#include "win/Files.h"
#include "dialogs/Jump.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr DWORD kUpperFlags = LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING;

// The platform's full upper-case mapping for the user's locale (Turkish i and the like
// included), the whole text in one call.
std::u16string PlatformUpperCall(std::u16string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
  const wchar_t* source = WV(text).data();
  std::u16string upper(static_cast<size_t>(length), u'\0');
  int written = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kUpperFlags, source, length,
                              reinterpret_cast<wchar_t*>(upper.data()), length, nullptr, nullptr, 0);
  if (written == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    const int needed =
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kUpperFlags, source, length, nullptr, 0, nullptr, nullptr, 0);
    if (needed > 0) {
      upper.assign(static_cast<size_t>(needed), u'\0');
      written = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, kUpperFlags, source, length,
                              reinterpret_cast<wchar_t*>(upper.data()), needed, nullptr, nullptr, 0);
    }
  }
  // Should the platform refuse, the portable mapping still finds the common cases.
  if (written <= 0) return DefaultUpper(text);
  upper.resize(static_cast<size_t>(written));
  return upper;
}

// The same mapping unit by unit, taken from the platform once per search: it maps each unit of
// the Basic Multilingual Plane on its own, so a table gives its exact result without a call per
// field (a million-row search meets millions of non-ASCII fields). Empty when the platform
// maps some unit to more or fewer than one unit; then every field is mapped by a call.
std::vector<char16_t> g_upperTable;

void BuildUpperTable() {
  std::u16string units(0x10000, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    // Surrogates stand alone here; fields holding them go through the call.
    units[i] = (i >= 0xD800 && i <= 0xDFFF) ? u'?' : static_cast<char16_t>(i);
  }
  std::u16string upper = PlatformUpperCall(units);
  if (upper.size() != units.size()) {
    g_upperTable.clear();
    return;
  }
  g_upperTable.assign(upper.begin(), upper.end());
}

// Per field: one allocation for the result and one table look-up per unit.
std::u16string PlatformUpper(std::u16string_view text) {
  if (g_upperTable.size() != 0x10000) return PlatformUpperCall(text);
  std::u16string upper(text);
  for (char16_t& unit : upper) {
    if (unit >= 0xD800 && unit <= 0xDFFF) return PlatformUpperCall(text);
    unit = g_upperTable[unit];
  }
  return upper;
}

}  // namespace

// ---------------------------------------------------------------- search

UpperFn SearchUpper() {
  BuildUpperTable();
  return &PlatformUpper;
}

std::unique_ptr<FieldMatcher> MakeSearchMatcher(std::u16string_view term, bool regex, std::u16string& error) {
  return MakeFieldMatcher(term, regex, SearchUpper(), error);
}

std::unique_ptr<FieldMatcher> TFormCsvList::SearchBoxMatcher(std::u16string& term) {
  term = WindowText(searchBox_);
  if (term.empty()) {
    ShowMessage(hwnd_, u"検索語が設定されていません");
    return nullptr;
  }
  std::u16string error;
  std::unique_ptr<FieldMatcher> matcher = MakeSearchMatcher(term, settings_.searchRegEx, error);
  if (!matcher) ShowMessage(hwnd_, error + u"\r\n" + term, MB_OK | MB_ICONWARNING);
  return matcher;
}

int TFormCsvList::SearchedField() const {
  return settings_.searchOneColumn ? std::clamp(keyColumn_, 1, kShownFields) - 1 : kAllFields;
}

bool TFormCsvList::RunSearchWalk(const char16_t* doing, const SessionOp& walk, SessionResult& result) {
  bool closing = false;
  {
    // Under the fill rule like the other loops over every row: nothing replaces the rows it reads.
    FillScope fill(*this, doing);
    result = walk(FillProgress(false));
    closing = fill.CloseRequested();
  }
  return result != SessionResult::Stopped && !closing;
}

void TFormCsvList::TellGaveUp(const std::u16string& pattern) {
  ShowMessage(hwnd_, u"正規表現が複雑すぎるため、途中でやめました。表示はそのままです\r\n" + pattern,
              MB_OK | MB_ICONWARNING);
}

void TFormCsvList::RunSearch(bool forward) {
  // No term, or a pattern that is not valid, changes nothing: the history, selection and cursor
  // stay.
  std::u16string term;
  const std::unique_ptr<FieldMatcher> matcher = SearchBoxMatcher(term);
  if (!matcher) return;
  std::vector<std::u16string> history = ComboItems(searchBox_);
  FileSearchTerm(history, term);
  SetComboItems(searchBox_, history);
  SetText(searchBox_, term);

  // No selected row finds nothing in either direction.
  session_.Select(SelectedRow());
  const int field = SearchedField();
  SessionResult result = SessionResult::Unchanged;
  if (!RunSearchWalk(u"検索中",
                     [&](const Progress& progress) { return session_.Search(*matcher, forward, progress, field); },
                     result))
    return;
  if (result == SessionResult::GaveUp) {
    TellGaveUp(term);
    return;
  }
  if (result != SessionResult::Done) {
    ShowSearchPanel();
    std::u16string text = u"検索しましたが見つかりませんでした\r\n" + term;
    // A field a runaway gave up on was not really searched: say so rather than "not found" alone.
    if (matcher->Runaways() > 0)
      text += u"\r\n(正規表現が複雑すぎて調べきれなかったセル: " + DecimalText(matcher->Runaways(), 1) + u")";
    ShowMessage(hwnd_, text);
    return;
  }
  keyColumn_ = session_.SearchColumn() + 1;
  ShowSearchPanel();
  CenterListRow(session_.Selected());
}

// The count goes to panel 4, as an editor's count of matches goes to its status line: the list
// stays as it is and the user can go on searching.
void TFormCsvList::MenuCsvListSearchCountClick() {
  std::u16string term;
  const std::unique_ptr<FieldMatcher> matcher = SearchBoxMatcher(term);
  if (!matcher) return;
  const int field = SearchedField();
  SessionResult result = SessionResult::Unchanged;
  if (!RunSearchWalk(u"一致数を数えています",
                     [&](const Progress& progress) { return session_.CountMatches(*matcher, field, progress); },
                     result))
    return;
  if (result == SessionResult::GaveUp) {
    TellGaveUp(term);
    return;
  }
  ShowSearchPanel();
}

void TFormCsvList::MenuCsvListSearchRegExClick() {
  settings_.searchRegEx = !settings_.searchRegEx;
  ShowSettings();
}

void TFormCsvList::MenuCsvListSearchOneColumnClick() {
  settings_.searchOneColumn = !settings_.searchOneColumn;
  ShowSettings();
  ShowSearchPanel();
}

void TFormCsvList::MenuCsvListSearchNextClick() { RunSearch(true); }
void TFormCsvList::MenuCsvListSearchPrevClick() { RunSearch(false); }
void TFormCsvList::ButtonSearchNextClick() { RunCommand(MenuCsvListSearchNext); }
void TFormCsvList::ButtonSearchPrevClick() { RunCommand(MenuCsvListSearchPrev); }

// ---------------------------------------------------------------- go to line

void TFormCsvList::MenuCsvListJumpClick() {
  // The dialog stores the number in the settings file; it is read back from there.
  if (!ShowJumpDialog(hwnd_, settingsPath_)) return;
  const std::u16string stored = IniRead(settingsPath_, u"Editor", u"Jump", u"1");
  const std::optional<int32_t> number = ParseInt32Strict(stored);
  if (!number) {
    ShowError(hwnd_, NotAnIntegerMessage(stored));
    return;
  }
  GoToLine([&](const Progress& progress) { return session_.GoToLine(*number, progress); });
  SetFocus(list_);
}

}  // namespace tovo
