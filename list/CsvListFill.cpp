// Reading lines from the editor, filling the list, paging and loading all lines.
//
// The list is owner-data: a fill only makes rows_ the lines of a LineStore and tells the list
// how many rows there are; the list asks for the text of the cells it paints, and only those rows
// are split. So a fill costs the reading, and nothing per row in the control.
#include "list/CsvList.h"

#include <algorithm>
#include <cwchar>
#include <new>
#include <utility>

#include "core/Paging.h"
#include "win/Handles.h"
#include "core/HostMessages.h"

namespace tovo {

using namespace win;

namespace {

// A fill lets the window handle its messages at least this often. Not once per line: an empty
// PeekMessage costs ~45 us under Wine, which would make a million-line fill take 45 s longer.
constexpr uint64_t kPumpIntervalMs = 30;
// The line counter shown while all lines load: eight updates a second read well, and each is a
// status-bar paint (2-3 ms under Wine, a tenth of a million-line load at every pump).
constexpr uint64_t kProgressIntervalMs = 125;
constexpr int32_t kLoadAllQuestionAbove = 500;
// Line buffers from this many units on are taken from the system rather than cleared by hand.
constexpr int32_t kZeroPagesFrom = 1 << 16;

int32_t Narrow(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

constexpr char16_t kOutOfMemoryMessage[] = u"メモリが足りないため、全ての行を読み込めませんでした";

// Copies text into the list's buffer, cut to its size and always terminated; never leaves half
// of a surrogate pair at the cut.
void CopyCellText(std::u16string_view text, LVITEMW& item) {
  size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
  if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  std::copy_n(text.data(), n, reinterpret_cast<char16_t*>(item.pszText));
  item.pszText[n] = L'\0';
}

}  // namespace

size_t TestMemoryLimit([[maybe_unused]] const wchar_t* variable) {
#ifdef TOVO_TEST_HOOKS
  wchar_t value[32];
  const DWORD n = GetEnvironmentVariableW(variable, value, 32);
  if (n > 0 && n < 32) return static_cast<size_t>(std::wcstoull(value, nullptr, 10));
#endif
  return 0;
}

// ---------------------------------------------------------------- reading from the editor

namespace {

LineRequest MakeLineRequest(int32_t index, int32_t capacity) {
  LineRequest request{};
  request.capacity = static_cast<uint32_t>(capacity);
  request.flags = 1;
  request.line = index;
  request.reserved = 0;
  return request;
}

// The first of a line's two sends: its length.
int32_t AskLineLength(HWND editor, int32_t index) {
  LineRequest request = MakeLineRequest(index, 0);
  const LRESULT answer = SendMessageW(editor, kMsgGetLine, reinterpret_cast<WPARAM>(&request), 0);
  // The length comes from another program: never allocate what a bogus answer asks for.
  return static_cast<int32_t>(std::clamp<LRESULT>(answer, 0, kMaxLineRead));
}

// The second send. `buffer` holds length + 1 units, all zero, so the text is always terminated;
// returns the text's length up to its first zero unit.
size_t AskLineText(HWND editor, int32_t index, int32_t length, char16_t* buffer) {
  LineRequest request = MakeLineRequest(index, length);
  SendMessageW(editor, kMsgGetLine, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(buffer));
  buffer[length] = u'\0';
  return std::char_traits<char16_t>::length(buffer);
}

// A long buffer comes as fresh pages, which the system hands out zeroed as they are first
// touched: an editor that claims every line is 16 M units long then costs the pages it writes,
// not 32 MB of clearing per line.
void ReadLongLine(HWND editor, int32_t index, int32_t length, std::u16string& lineString) {
  const size_t bytes = (static_cast<size_t>(length) + 1) * sizeof(char16_t);
  void* memory = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!memory) throw std::bad_alloc();
  ScopeExit release([memory] { VirtualFree(memory, 0, MEM_RELEASE); });
  auto* buffer = static_cast<char16_t*>(memory);
  lineString.assign(buffer, AskLineText(editor, index, length, buffer));
}

}  // namespace

// Each line by the editor's two sends, a short line written by the editor straight into the
// store: a line of a ten-million-line load costs the two sends, one clearing and one scan of its
// text.
bool TFormCsvList::ReadLines(LineStore& into, int32_t first, int32_t stop, bool progress, LineMarker* marker) {
  for (int32_t line = first; line < stop; ++line) {
    if (!PumpWhileBusy(progress ? line : -1)) return false;
    const int32_t length = AskLineLength(IntWindowHwnd, line);
    if (length > kLongLineLimit) BoolStrLengthOver = true;
    if (length < kZeroPagesFrom) {
      char16_t* room = into.AppendRoom(static_cast<size_t>(length) + 1);
      std::fill_n(room, static_cast<size_t>(length) + 1, u'\0');
      const size_t written = AskLineText(IntWindowHwnd, line, length, room);
      into.AppendWritten(written);
      if (marker) marker->Push({room, written});
    } else {
      ReadLongLine(IntWindowHwnd, line, length, lineBuffer_);
      into.Append(lineBuffer_);
      if (marker) marker->Push(into.Line(into.size() - 1));
    }
  }
  return true;
}

// ---------------------------------------------------------------- the fill in progress

TFormCsvList::FillScope::FillScope(TFormCsvList& form) : form_(form) {
  form_.fill_.active = true;
  form_.fill_.nextPumpTick = Ticks() + kPumpIntervalMs;
  form_.fill_.nextProgressTick = 0;
}

TFormCsvList::FillScope::~FillScope() {
  FillState& fill = form_.fill_;
  HWND list = form_.ListView1;
  // A fill stopped early (closing, an exception) leaves the count matching the rows it made.
  if (ListView_GetItemCount(list) != form_.ViewRowCount()) {
    ListView_SetItemCountEx(list, form_.ViewRowCount(), LVSICF_NOSCROLL);
  }
  if (fill.listRedrawSuspended) {
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    fill.listRedrawSuspended = false;
  }
  fill.active = false;
  // What was refused can run now.
  if (!form_.refusedNotice_.empty()) {
    form_.refusedNotice_.clear();
    form_.ShowSearchPanel();
  }
  // The window was asked to close while the loop ran; now it can.
  if (fill.closeRequested) {
    fill.closeRequested = false;
    PostMessageW(form_.hwnd_, WM_CLOSE, 0, 0);
  }
}

bool TFormCsvList::FillScope::PumpNow() { return form_.ProcessPendingMessages() && !form_.fill_.closeRequested; }

bool TFormCsvList::FillScope::CloseRequested() const { return form_.fill_.closeRequested; }

bool TFormCsvList::MayRun(DuringFill rule) {
  if (Allowed(rule)) return true;
  refusedNotice_ = u"  処理中のため実行できませんでした";
  ShowSearchPanel();
  return false;
}

bool TFormCsvList::DeferCloseToFill() {
  if (!fill_.active) return false;
  fill_.closeRequested = true;
  return true;
}

// The list must not paint rows half rebuilt, and the handlers that run while a fill handles
// messages must not find rows in it that rows_ no longer has. Done only then: under Wine resuming
// redrawing costs a full scroll-bar update, which a page filled between two pumps never needs.
void TFormCsvList::SuspendListRedraw() {
  if (fill_.listRedrawSuspended) return;
  SendMessageW(ListView1, WM_SETREDRAW, FALSE, 0);
  fill_.listRedrawSuspended = true;
  ListView_SetItemCountEx(ListView1, ViewRowCount(), LVSICF_NOSCROLL);
}

bool TFormCsvList::PumpWhileBusy(int32_t progressLine) {
  // A line takes a few microseconds: looking at the clock every 64 lines keeps the interval.
  if (++fill_.pumpCalls & 63) return true;
  const uint64_t now = Ticks();
  if (now < fill_.nextPumpTick) return true;
  SuspendListRedraw();
  if (progressLine >= 0 && now >= fill_.nextProgressTick) {
    fill_.nextProgressTick = now + kProgressIntervalMs;
    const std::u16string text = DecimalText(int64_t{progressLine} + 1, 5);
    SetStatus(1, text);
    SetStatus(2, text);
    RepaintStatus();
  }
  const bool open = ProcessPendingMessages();
  fill_.nextPumpTick = Ticks() + kPumpIntervalMs;
  return open && !fill_.closeRequested;
}

// The list keeps its count until the fill ends or first handles messages (changing it costs a
// scroll-bar update under Wine); a cell asked for past rows_ reads empty.
void TFormCsvList::ClearRows() {
  HideCellTip();  // its text is of a row about to go
  order_.Reset();
  rows_.Clear();
}

// ---------------------------------------------------------------- filling the list

void TFormCsvList::SetListData() {
  if (IntEditorAllCount <= 0) return;
  bool filled = false, closing = false;
  {
    FillScope fill(*this);
    if (BoolLoadAll) {
      filled = FillRows(StrListEditorAllLines, true);
    } else {
      // The rows point into the page's lines: drop them before the lines are replaced.
      ClearRows();
      StrListEditorLines.Clear();
      BoolStrLengthOver = false;
      const std::vector<int32_t> lines = PageLines({IntLineStart, IntLineEnd}, IntEditorAllCount);
      const int32_t first = lines.empty() ? 0 : lines.front();
      const int32_t stop = lines.empty() ? 0 : lines.back() + 1;
      StrListEditorLines.Reserve(lines.size(), 0);
      filled = ReadLines(StrListEditorLines, first, stop, false) && FillRows(StrListEditorLines, false);
    }
    closing = fill.CloseRequested();
  }
  if (!filled || closing) return;
  TellSortDropped();
  // Otherwise the list paints once the handler returns: page keys held down then cost one
  // paint, not one per page.
  if (!BoolLoadAll && BoolStrLengthOver) ShowLongLineMessage();
}

bool TFormCsvList::FillRows(const LineStore& lines, bool loadAll, LineMarker* marker) {
  std::optional<HighLightMarks> marked;
  if (marker) {
    // The marker is at most its queue behind the reading; the window handles its messages meanwhile.
    while (!marker->WaitDone(static_cast<DWORD>(kPumpIntervalMs))) {
      SuspendListRedraw();
      if (!ProcessPendingMessages() || fill_.closeRequested) return false;
    }
    marked = marker->TakeMarks();
  }
  const Splitter splitter = CurrentSplitter();
  const bool marking = !words_.empty() && !marked;
  // Page rows show the lines from the page's start; in load-all mode row i is line i. The marks'
  // row keys are IntLineStart + row in both modes, as the drawing looks them up.
  const int32_t base = loadAll ? 0 : std::max(IntLineStart, 0);
  if (marked) {
    marks_ = std::move(*marked);
  } else {
    marks_.Reset();
  }
  ClearRows();
  rows_.ShowLines(lines, base, splitter);

  bool completed = true;
  const size_t count = std::min(lines.size(), static_cast<size_t>(INT32_MAX));
  // Per row: a count, and with words one marking pass over its line until the mark table is
  // full (marks past it are never stored, so the rest of a long document costs nothing more).
  for (size_t i = 0; i < count; ++i) {
    const auto row = static_cast<int32_t>(i);
    if (!PumpWhileBusy(loadAll ? row : -1)) {
      completed = false;
      break;
    }
    rows_.AppendLineRow();
    if (marking && !marks_.Full()) MarkRow(marks_, words_, rows_, row, Narrow(int64_t{IntLineStart} + row));
  }

  if (completed) ReorderAfterFill();
  if (ListView_GetItemCount(ListView1) != ViewRowCount()) {
    ListView_SetItemCountEx(ListView1, ViewRowCount(), LVSICF_NOSCROLL);
  }
  InvalidateRect(ListView1, nullptr, TRUE);
  if (rows_.RowCount() > 0) {
    SelectListRow(0);
    ListView_EnsureVisible(ListView1, 0, FALSE);
  }
  if (!completed) return false;

  if (rows_.RowCount() > 0) {
    SetStatus(1, RowCaption(0));
    SetStatus(2, RowCaption(rows_.RowCount() - 1));
  }
  SetStatus(3, DecimalText(IntEditorAllCount, 5));
  RepaintStatus();
  return true;
}

void TFormCsvList::ListView1GetDispInfo(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  // Rows and the list's count can differ while a fill runs or after the window closed.
  const int row = ModelRow(item.iItem);
  if (row < 0 || item.iSubItem < 0 || item.iSubItem > kShownFields) {
    item.pszText[0] = L'\0';
    return;
  }
  if (item.iSubItem == 0) {
    char16_t caption[kDecimalBufferSize];
    const int length = RowModel::FormatCaption(rows_.LineNumber(row) + 1, caption);
    CopyCellText({caption, static_cast<size_t>(length)}, item);
    return;
  }
  CopyCellText(rows_.Field(row, item.iSubItem - 1), item);
}

std::u16string TFormCsvList::RowCaption(int row) const {
  if (row < 0 || row >= rows_.RowCount()) return {};
  return rows_.Caption(row);
}

Splitter TFormCsvList::CurrentSplitter() const { return ChooseSplitter(settings_.csvListAuto, settings_.csvListEx1); }

void TFormCsvList::ShowLongLineMessage() {
  ShowMessage(hwnd_, u"１行の行数が " + DecimalText(kLongLineLimit, 1) + u" 文字を超えた行があります", MB_OK);
}

// ---------------------------------------------------------------- page commands

void TFormCsvList::ShowPage(int32_t start, int32_t end) {
  IntLineStart = start;
  IntLineEnd = end;
  SetListData();
}

// In load-all mode the list moves its own selection. The keys carry kSelfPostedKey: the
// shortcut matcher must let them through to the list.
void TFormCsvList::PostListKey(WPARAM vk) { PostMessageW(ListView1, WM_KEYDOWN, vk, kSelfPostedKey); }

// In load-all mode the list moves its own selection (Ctrl+Home and Ctrl+End as the list's keys);
// in page mode the page moves.
void TFormCsvList::TurnPage(PageCommand command, WPARAM listKey, bool withControl) {
  if (BoolLoadAll) {
    if (withControl) PostListKey(VK_CONTROL);
    PostListKey(listKey);
    return;
  }
  if (auto page = command({IntLineStart, IntLineEnd}, IntEditorAllCount, IntMoveNum)) ShowPage(page->start, page->end);
}

void TFormCsvList::MenuCsvListTopClick() { TurnPage(PageTop, VK_HOME, true); }
void TFormCsvList::MenuCsvListPrevClick() { TurnPage(PagePrev, VK_PRIOR, false); }
void TFormCsvList::MenuCsvListNextClick() { TurnPage(PageNext, VK_NEXT, false); }
void TFormCsvList::MenuCsvListEndClick() { TurnPage(PageEnd, VK_END, true); }

void TFormCsvList::ButtonPrevClick() { RunCommand(MenuCsvListPrev); }
void TFormCsvList::ButtonNextClick() { RunCommand(MenuCsvListNext); }

// ---------------------------------------------------------------- loading all lines

void TFormCsvList::MenuCsvListLoadAllClick() {
  const int32_t count = IntEditorAllCount;
  if (count > kLoadAllQuestionAbove) {
    const std::u16string question = u"500行以上では時間がかかります(500行で約5秒)\r\nこのファイルは " +
                                    DecimalText(count, 1) + u" 行ですが、実行しますか？";
    if (AskYesNo(hwnd_, question) != IDYES) return;
  }
  BoolLoadAll = true;
  EnableWindow(ComboBox1, FALSE);

  bool filled = false, closing = false, outOfMemory = false;
  {
    FillScope fill(*this);
    // After an earlier load-all the rows point into the lines about to be replaced.
    ClearRows();
    StrListEditorAllLines.Clear();
    BoolStrLengthOver = false;
    try {
      StrListEditorAllLines.SetAllocationLimit(TestMemoryLimit(L"TOVO_TEST_LINE_STORE_LIMIT"));
      StrListEditorAllLines.Reserve(static_cast<size_t>(count), 0);
      // Marking runs beside the reading. Declared in here, so that it has stopped before the
      // lines it reads are cleared below.
      std::optional<LineMarker> marker;
      if (!words_.empty()) marker.emplace(words_, CurrentSplitter(), IntLineStart);
      if (marker && !marker->Running()) marker.reset();
      LineMarker* const marking = marker ? &*marker : nullptr;
      filled = ReadLines(StrListEditorAllLines, 0, count, true, marking);
      // A document of no lines fills nothing: the list and the panels stay as they are.
      if (filled && count > 0) filled = FillRows(StrListEditorAllLines, true, marking);
    } catch (const std::bad_alloc&) {
      // What was read goes, so the window and the editor have their memory back.
      ClearRows();
      StrListEditorAllLines.Clear();
      outOfMemory = true;
    }
    closing = fill.CloseRequested();
  }
  if (outOfMemory) {
    // Back to the page the list showed before.
    BoolLoadAll = false;
    EnableWindow(ComboBox1, TRUE);
    if (closing) return;
    SetListData();
    ShowMessage(hwnd_, kOutOfMemoryMessage, MB_OK);
    return;
  }
  if (!filled || closing) return;
  SetFocus(ListView1);
  TellSortDropped();
  if (BoolStrLengthOver) ShowLongLineMessage();
}

// ---------------------------------------------------------------- splitter choice

void TFormCsvList::MenuCsvAutoClick() {
  settings_.csvListAuto = !settings_.csvListAuto;
  ShowSettings();
  SetListData();
}

// Shown disabled: its mark only comes from the settings file and goes back there unchanged.
void TFormCsvList::MenuCsvEx1Click() {}

}  // namespace tovo
