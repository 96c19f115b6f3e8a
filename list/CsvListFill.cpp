// Filling the list, paging and loading all lines: the session reads and makes the rows, the
// window pumps meanwhile and shows what was made.
//
// The list is owner-data: a fill only tells the list how many rows the session made; the list
// asks for the text of the cells it paints, and only those rows are split. So a fill costs the
// reading, and nothing per row in the control.
#include "list/CsvList.h"

#include <algorithm>
#include <cwchar>
#include <optional>

#include "win/Handles.h"
#include "list/LineMarker.h"

namespace tovo {

using namespace win;

namespace {

// A fill lets the window handle its messages at least this often. Not once per line: an empty
// PeekMessage costs ~45 us under Wine, which would make a million-line fill take 45 s longer
// (at this interval it costs 0.3 %). Asked every 64 rows, the work between two pumps stays well
// under 50 ms, with room for a busy machine.
constexpr uint64_t kPumpIntervalMs = 15;
// The line counter shown while all lines load and the progress bar: eight updates a second read
// well, and each is a status-bar paint (2-3 ms under Wine, a tenth of a million-line load at
// every pump).
constexpr uint64_t kProgressIntervalMs = 125;
// Work shorter than this shows no bar: a page turn would only flicker.
constexpr uint64_t kProgressDelayMs = 300;
constexpr int kProgressBarWidth = 160;  // at 96 dpi, at the right end of panel 4

constexpr char16_t kStopHint[] = u" (Esc で中止)";
constexpr char16_t kStoppedNotice[] = u"  中止しました";
constexpr int32_t kLoadAllQuestionAbove = 500;

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

size_t TestHookNumber([[maybe_unused]] const wchar_t* variable) {
#ifdef TOVO_TEST_HOOKS
  wchar_t value[32];
  const DWORD n = GetEnvironmentVariableW(variable, value, 32);
  if (n > 0 && n < 32) return static_cast<size_t>(std::wcstoull(value, nullptr, 10));
#endif
  return 0;
}

namespace {

// Microseconds of the performance counter. The long loops throttle their pumps by it: Wine's tick
// count is only brought up to date when its server wakes, and stands still through a long sort.
int64_t MicroTicks() {
  static const int64_t perSecond = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<int64_t>(static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(perSecond));
}

uint64_t NowMs() { return static_cast<uint64_t>(MicroTicks() / 1000); }

// The window property where test and benchmark builds leave the longest stretch of the last
// long work, in microseconds.
[[maybe_unused]] constexpr wchar_t kLongestWorkProperty[] = L"TovoLongestWorkUs";

}  // namespace

// ---------------------------------------------------------------- the fill in progress

TFormCsvList::FillScope::FillScope(TFormCsvList& form, const char16_t* doing, bool stoppable) : form_(form) {
  FillState& fill = form_.fill_;
  fill.active = true;
  fill.stoppable = stoppable;
  fill.stopRequested = false;
  fill.doing = doing;
  fill.startTick = NowMs();
  fill.nextPumpTick = fill.startTick + kPumpIntervalMs;
  fill.nextProgressTick = 0;
  fill.nextBarTick = 0;
  fill.barShown = false;
  fill.barPosition = -1;
  fill.done = fill.total = 0;
  fill.testDelayMs = static_cast<DWORD>(TestHookNumber(L"TOVO_TEST_WORK_DELAY_MS"));
#ifdef TOVO_WORK_TIMING
  fill.lastPumpEnd = MicroTicks();
  fill.longestWork = 0;
#endif
  // The last stop is old news once new work starts.
  if (!form_.stoppedNotice_.empty()) {
    form_.stoppedNotice_.clear();
    form_.ShowSearchPanel();
  }
}

TFormCsvList::FillScope::~FillScope() {
  FillState& fill = form_.fill_;
#ifdef TOVO_WORK_TIMING
  form_.NoteWorkStretch(MicroTicks());
  SetPropW(form_.hwnd_, kLongestWorkProperty, reinterpret_cast<HANDLE>(static_cast<intptr_t>(fill.longestWork)));
#endif
  // The list's count matches the rows the session has, however the loop ended.
  if (ListView_GetItemCount(form_.list_) != form_.session_.ViewRowCount()) {
    ListView_SetItemCountEx(form_.list_, form_.session_.ViewRowCount(), LVSICF_NOSCROLL);
  }
  const bool barShown = fill.barShown;
  form_.EndWorkProgress();
  fill.active = false;
  const bool stopped = fill.stopRequested && !fill.closeRequested;
  // Keys that came in while the work ended were typed at the busy window (an Esc meant for the
  // work among them): one press must not also close the window or run a command.
  if (stopped || barShown) form_.DropQueuedKeys();
  if (stopped) form_.stoppedNotice_ = kStoppedNotice;
  // What was refused can run now; panel 4 shows the search again instead of the work.
  if (!form_.refusedNotice_.empty() || stopped || barShown) {
    form_.refusedNotice_.clear();
    form_.ShowSearchPanel();
  }
  // The window was asked to close while the loop ran; now it can.
  if (fill.closeRequested) {
    fill.closeRequested = false;
    PostMessageW(form_.hwnd_, WM_CLOSE, 0, 0);
  }
}

bool TFormCsvList::FillScope::PumpNow() {
  form_.ShowWorkProgress(NowMs());
  const bool open = form_.PumpTimed();
  return open && !form_.fill_.closeRequested && !StopRequested();
}

bool TFormCsvList::FillScope::CloseRequested() const { return form_.fill_.closeRequested; }

bool TFormCsvList::FillScope::StopRequested() const { return form_.fill_.stoppable && form_.fill_.stopRequested; }

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

// Esc during work stops it, whatever command the key map gives Esc; during a loop that cannot
// take back what it did (the header row's captions, a few milliseconds) it is swallowed, so it
// never closes the window instead.
bool TFormCsvList::WorkKeyDown(const MSG& msg) {
  if (!fill_.active || msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
  if (fill_.stoppable) fill_.stopRequested = true;
  return true;
}

void TFormCsvList::DropQueuedKeys() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
}

// The session asks every 64 rows; the clock keeps the interval. The session makes its new rows
// aside, so the list goes on showing (and the handlers that run meanwhile reading) the old ones.
bool TFormCsvList::PumpWhileBusy(int64_t done, int64_t total, bool countLines) {
  if (fill_.testDelayMs) Sleep(fill_.testDelayMs);
  const uint64_t now = NowMs();
  // The end of a walk (ReportEnd) pumps whatever the clock says, so the result is taken and shown
  // in a stretch of its own; not in short work, where the pump would take a held-down key's next
  // press while the fill still refuses it.
  const bool ended = done >= total && now - fill_.startTick >= kPumpIntervalMs;
  if (now < fill_.nextPumpTick && !ended) return true;
  fill_.done = done;
  fill_.total = total;
  if (countLines && now >= fill_.nextProgressTick) {
    fill_.nextProgressTick = now + kProgressIntervalMs;
    const std::u16string text = DecimalText(done + 1, 5);
    SetStatus(Panel::FirstLine, text);
    SetStatus(Panel::LastLine, text);
    RepaintStatus();
  }
  ShowWorkProgress(now);
  const bool open = PumpTimed();
  fill_.nextPumpTick = NowMs() + kPumpIntervalMs;
  return open && !fill_.closeRequested && !(fill_.stoppable && fill_.stopRequested);
}

bool TFormCsvList::PumpTimed() {
#ifdef TOVO_WORK_TIMING
  NoteWorkStretch(MicroTicks());
  const bool open = ProcessPendingMessages();
  fill_.lastPumpEnd = MicroTicks();
  return open;
#else
  return ProcessPendingMessages();
#endif
}

void TFormCsvList::NoteWorkStretch([[maybe_unused]] int64_t now) {
#ifdef TOVO_WORK_TIMING
  fill_.longestWork = std::max(fill_.longestWork, now - fill_.lastPumpEnd);
#endif
}

// From kProgressDelayMs on: panel 4 says what is being done, the bar at its right end how far.
void TFormCsvList::ShowWorkProgress(uint64_t now) {
  FillState& fill = fill_;
  if (!fill.doing || !progressBar_ || now - fill.startTick < kProgressDelayMs) return;
  if (!fill.barShown) {
    fill.barShown = true;
    ShowSearchPanel();
    PlaceProgressBar();
    ShowWindow(progressBar_, SW_SHOWNA);
  }
  if (now < fill.nextBarTick) return;
  fill.nextBarTick = now + kProgressIntervalMs;
  const int position =
      fill.total > 0 ? static_cast<int>(std::clamp<int64_t>(fill.done, 0, fill.total) * kProgressBarRange / fill.total)
                     : 0;
  if (position == fill.barPosition) return;
  fill.barPosition = position;
  SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TFormCsvList::EndWorkProgress() {
  if (!fill_.barShown) return;
  fill_.barShown = false;
  ShowWindow(progressBar_, SW_HIDE);
  SendMessageW(progressBar_, PBM_SETPOS, 0, 0);
}

void TFormCsvList::PlaceProgressBar() {
  if (!progressBar_) return;
  RECT panel{};
  SendMessageW(statusBar_, SB_GETRECT, static_cast<WPARAM>(Panel::Search), reinterpret_cast<LPARAM>(&panel));
  // Clear of the size grip; a narrow panel gives the text at least two thirds.
  const int right = panel.right - GetSystemMetrics(SM_CXVSCROLL);
  const int width = std::min(Scale(kProgressBarWidth, dpi_), std::max<int>((right - panel.left) / 3, 0));
  MoveWindow(progressBar_, right - width, panel.top + 2, width, std::max<int>(panel.bottom - panel.top - 4, 0), TRUE);
}

// Panel 4 while the work shows its bar: what is being done, then a refusal.
std::u16string TFormCsvList::WorkPanelText() const {
  return std::u16string(fill_.doing) + (fill_.stoppable ? kStopHint : u"") + refusedNotice_;
}

Progress TFormCsvList::FillProgress(bool countLines) {
  return [this, countLines](int64_t done, int64_t total) { return PumpWhileBusy(done, total, countLines); };
}

void TFormCsvList::ReadTestLimits() {
  session_.SetLineStoreLimit(TestHookNumber(L"TOVO_TEST_LINE_STORE_LIMIT"));
  session_.SetSortKeyLimit(TestHookNumber(L"TOVO_TEST_SORT_KEY_LIMIT"));
}

// ---------------------------------------------------------------- filling the list

bool TFormCsvList::RunFill(const SessionOp& op) {
  ReadTestLimits();
  SessionResult result = SessionResult::Unchanged;
  bool closing = false;
  {
    FillScope fill(*this);
    result = op(FillProgress(false));
    if (Committed(result)) ShowFilledRows(result);
    closing = fill.CloseRequested();
  }
  // A stopped fill left the rows as they were; the window is closing.
  if (!Committed(result) || closing) return false;
  if (result == SessionResult::SortDropped) TellSortDropped();
  // Otherwise the list paints once the handler returns: page keys held down then cost one
  // paint, not one per page.
  if (session_.LineCount() > 0 && !session_.LoadedAll() && session_.LongLineSeen()) ShowLongLineMessage();
  return true;
}

void TFormCsvList::ShowFilledRows(SessionResult result) {
  // Without a document nothing was read: the list and the panels stay as they are.
  if (session_.LineCount() <= 0) return;
  HideCellTip();  // its text may be of a row that has gone
  if (ListView_GetItemCount(list_) != session_.ViewRowCount()) {
    ListView_SetItemCountEx(list_, session_.ViewRowCount(), LVSICF_NOSCROLL);
  }
  InvalidateRect(list_, nullptr, TRUE);
  // A fill keeps the sort unless it had no room for it, and ends the filters; the 97 header items
  // are left alone when neither shows.
  if (result == SessionResult::SortDropped || filterMarksShown_) UpdateHeaderMarks();
  if (session_.Selected() >= 0) {
    SelectListRow(session_.Selected());
    ListView_EnsureVisible(list_, session_.Selected(), FALSE);
  }
  // Every panel set first and painted once: a page key held down repaints the bar once a page.
  SetSearchPanelText();  // a fill ends the filter
  SetLineRangeTexts();
  SetStatus(Panel::LineCount, DecimalText(session_.LineCount(), 5));
  // While the bar shows, the fill's end paints the bar again anyway (a few milliseconds each).
  if (!fill_.barShown) RepaintStatus();
}

void TFormCsvList::ShowLineRange() {
  SetLineRangeTexts();
  RepaintStatus();
}

void TFormCsvList::SetLineRangeTexts() {
  if (session_.Rows().RowCount() == 0) return;
  SetStatus(Panel::FirstLine, session_.FirstLineCaption());
  SetStatus(Panel::LastLine, session_.LastLineCaption());
}

void TFormCsvList::ListView1GetDispInfo(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  // Rows and the list's count can differ while a fill ends or after the window closed.
  const RowModel& rows = session_.Rows();
  const int row = session_.ModelRow(item.iItem);
  if (row < 0 || item.iSubItem < 0 || item.iSubItem > kShownFields) {
    item.pszText[0] = L'\0';
    return;
  }
  if (item.iSubItem == 0) {
    char16_t caption[kDecimalBufferSize];
    const int length = RowModel::FormatCaption(rows.LineNumber(row) + 1, caption);
    CopyCellText({caption, static_cast<size_t>(length)}, item);
    return;
  }
  CopyCellText(rows.Field(row, item.iSubItem - 1), item);
}

Splitter TFormCsvList::CurrentSplitter() const { return ChooseSplitter(settings_.csvListAuto, settings_.csvListEx1); }

void TFormCsvList::ShowLongLineMessage() {
  ShowMessage(hwnd_, u"１行の行数が " + DecimalText(ListSession::kLongLineLimit, 1) + u" 文字を超えた行があります",
              MB_OK);
}

// ---------------------------------------------------------------- page commands

// In load-all mode the list moves its own selection. The keys carry kSelfPostedKey: the
// shortcut matcher must let them through to the list.
void TFormCsvList::PostListKey(WPARAM vk) { PostMessageW(list_, WM_KEYDOWN, vk, kSelfPostedKey); }

// In load-all mode the list moves its own selection (Ctrl+Home and Ctrl+End as the list's keys);
// in page mode the page moves.
void TFormCsvList::TurnPage(PageStep step, WPARAM listKey, bool withControl) {
  if (session_.LoadedAll()) {
    if (withControl) PostListKey(VK_CONTROL);
    PostListKey(listKey);
    return;
  }
  RunFill([&](const Progress& progress) { return session_.TurnPage(step, progress); });
}

void TFormCsvList::MenuCsvListTopClick() { TurnPage(PageStep::Top, VK_HOME, true); }
void TFormCsvList::MenuCsvListPrevClick() { TurnPage(PageStep::Prev, VK_PRIOR, false); }
void TFormCsvList::MenuCsvListNextClick() { TurnPage(PageStep::Next, VK_NEXT, false); }
void TFormCsvList::MenuCsvListEndClick() { TurnPage(PageStep::End, VK_END, true); }

void TFormCsvList::ButtonPrevClick() { RunCommand(MenuCsvListPrev); }
void TFormCsvList::ButtonNextClick() { RunCommand(MenuCsvListNext); }

// ---------------------------------------------------------------- loading all lines

void TFormCsvList::MenuCsvListLoadAllClick() {
  const int32_t count = session_.LineCount();
  if (count > kLoadAllQuestionAbove) {
    const std::u16string question = u"500行以上では時間がかかります(500行で約5秒)\r\nこのファイルは " +
                                    DecimalText(count, 1) + u" 行ですが、実行しますか？";
    if (AskYesNo(hwnd_, question) != IDYES) return;
  }
  EnableWindow(rowsPerPageBox_, FALSE);
  ReadTestLimits();

  SessionResult result = SessionResult::Unchanged;
  bool closing = false;
  {
    FillScope fill(*this, u"全ての行を読み込み中");
    // Marking runs beside the reading; the session stops it before the lines it reads go.
    std::optional<LineMarker> marker;
    if (!session_.Words().empty()) {
      marker.emplace(session_.Words(), CurrentSplitter(), session_.Page().start, [&fill] { return fill.PumpNow(); });
    }
    if (marker && !marker->Running()) marker.reset();
    result = session_.LoadAll(FillProgress(true), marker ? &*marker : nullptr);
    if (Committed(result)) ShowFilledRows(result);
    closing = fill.CloseRequested();
  }
  if (!Committed(result)) {
    // Stopped or out of memory: the page stays as it was, in page mode.
    EnableWindow(rowsPerPageBox_, TRUE);
    if (closing) return;
    ShowLineRange();  // the line counter gives way to the page's lines again
    if (result == SessionResult::OutOfMemory) ShowMessage(hwnd_, kOutOfMemoryMessage, MB_OK);
    return;
  }
  if (closing) return;
  SetFocus(list_);
  if (result == SessionResult::SortDropped) TellSortDropped();
  if (session_.LongLineSeen()) ShowLongLineMessage();
}

// ---------------------------------------------------------------- splitter choice

void TFormCsvList::MenuCsvAutoClick() {
  settings_.csvListAuto = !settings_.csvListAuto;
  ShowSettings();
  const Splitter splitter = CurrentSplitter();
  RunFill([&](const Progress& progress) { return session_.SetSplitter(splitter, progress); });
  // Stopped: the mark goes back to the splitter the rows were split with.
  if (session_.CurrentSplitter() != splitter) {
    settings_.csvListAuto = !settings_.csvListAuto;
    ShowSettings();
  }
}

// Shown disabled: its mark only comes from the settings file and goes back there unchanged.
void TFormCsvList::MenuCsvEx1Click() {}

}  // namespace tovo
