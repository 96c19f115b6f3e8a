// Forward and backward search with the history, and the go-to-line command.
#include "list/CsvList.h"

#include <algorithm>
#include <climits>

#include "core/DecEditFilter.h"
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

TermMatcher MakeSearchMatcher(std::u16string_view term) {
  BuildUpperTable();
  return TermMatcher(term, &PlatformUpper);
}

void TFormCsvList::RunSearch(bool forward) {
  const std::u16string term = WindowText(searchBox_);
  if (term.empty()) {
    ShowMessage(hwnd_, u"検索語が設定されていません");
    return;
  }
  std::vector<std::u16string> history = ComboItems(searchBox_);
  FileSearchTerm(history, term);
  SetComboItems(searchBox_, history);
  SetText(searchBox_, term);

  const TermMatcher matcher = MakeSearchMatcher(term);
  // No selected row finds nothing in either direction.
  session_.Select(SelectedRow());
  SessionResult result = SessionResult::Unchanged;
  bool closing = false;
  {
    // Under the fill rule like the other loops over every row: nothing replaces the rows it reads.
    FillScope fill(*this, u"検索中");
    result = session_.Search(matcher, forward, FillProgress(false));
    closing = fill.CloseRequested();
  }
  if (result == SessionResult::Stopped || closing) return;
  ShowSearchPanel();
  if (result != SessionResult::Done) {
    ShowMessage(hwnd_, u"検索しましたが見つかりませんでした\r\n" + term);
    return;
  }
  keyColumn_ = session_.SearchColumn() + 1;
  CenterListRow(session_.Selected());
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
