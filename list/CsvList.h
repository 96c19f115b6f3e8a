// The list window: the open document as a table, one row a line, with paging, search,
// highlighting, header row, column fitting and shortcut keys. One instance per command.
//
// The document (lines, rows, page, order, selection for the operations, search cursor, marks,
// captions) is its ListSession; the window turns messages into session calls and the session's
// state into pixels. The lines come from the editor through an EditorLineSource.
//
// The class is implemented across a few files by concern, all of the same window:
//   CsvList.cpp           layout, start-up (FormShow), the settings read there and written by
//                         closing (FormClose), the two size boxes, message and command dispatch
//   CsvListFill.cpp       the fill scope and its pump, showing what a fill made, paging, loading
//                         all lines, the owner-data cell text, the splitter switch
//   CsvListColumns.cpp    header row, column fitting, start position, CenterListRow
//   CsvListSearch.cpp     forward and backward search, the history, the go-to-line command
//   CsvListHighLight.cpp  custom drawing of marks, font and colour dialogs, word file, help
//   CsvListKeys.cpp       key map file, shortcut matching, FormKeyDown
//   CsvListCells.cpp      the "No" column kept in view, cell tooltips, Ctrl+C copying a row
//   CsvListSort.cpp       sorting by a column, showing only matching rows, the list's context menu
//   CsvListColumnFilter.cpp  filtering by a column, the column's profile, the header's filter marks
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ColumnFilter.h"
#include "core/ColumnFit.h"
#include "core/ColumnValues.h"
#include "core/Commands.h"
#include "core/CsvSplit.h"
#include "core/ListSession.h"
#include "core/ListSettings.h"
#include "core/Search.h"
#include "dialogs/KeyMapFile.h"
#include "list/CsvListIds.h"
#include "list/EditorLineSource.h"
#include "win/Files.h"
#include "win/Form.h"
#include "win/Handles.h"

namespace tovo {

// The list view draws (and its own auto-size measures) at most this many units of a cell: its
// display buffer holds 260 with the terminator. Fitting and the cut-off test cover what is drawn.
inline constexpr size_t kListCellUnits = 259;
// A test build's number from the environment variable; 0 (always in a release build) without it.
// Bytes a store or a sort may take, so a test can run out of memory without exhausting the
// machine; a pause each time long work reports, so a test can catch it midway.
size_t TestHookNumber(const wchar_t* variable);

inline void FreeImageList(HIMAGELIST images) { ImageList_Destroy(images); }

// Self-posted navigation keys carry this in lParam so the shortcut matcher lets them through.
inline constexpr LPARAM kSelfPostedKey = 0x7E510001;

class TFormCsvList : public win::Form {
 public:
  TFormCsvList();
  ~TFormCsvList() override;

  // Creates the window and its controls (hidden), shows it modally, returns when it has closed.
  void Execute(HWND editorWindow);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PreviewMessage(MSG& msg) override;
  void FormShow() override;
  void FormShown() noexcept override;
  void FormResize() override;
  void FormDpiChanged() override;

 private:
  // The status bar's panels.
  enum class Panel : int {
    FitProgress = 0,  // the column the fitting has reached
    FirstLine = 1,    // the first and last line in the list; the load-all line counter
    LastLine = 2,
    LineCount = 3,  // the document's line count
    Search = 4,     // the last search's hit, the filter notice, a refused command
  };
  // A session operation run by the window: given the progress that pumps, or none.
  using SessionOp = std::function<SessionResult(const Progress&)>;

  // ---------------------------------------------------------------- CsvList.cpp
  bool CreateControls();
  HMENU BuildMenu();
  void FormClose();
  void ComboBox1Change();
  void ComboBox2Change();
  void ButtonCancelClick();
  void MenuCsvListCloseClick();
  void RunCommand(UINT id);  // a menu item's click handler, by identifier, under the fill rule
  void OnCommand(WORD id, WORD code, HWND control);
  LRESULT OnNotify(NMHDR* hdr);
  void ReadSettings();
  void ShowSettings();  // the menu's marks and the size boxes as settings_ holds them
  void TakeWindowRect();
  void PlaceWindow();
  void SetUpColumns();
  void ApplyListFont();
  void ApplyListColors();
  void SetChecked(UINT item, bool checked);
  void SetStatus(Panel panel, std::u16string_view text);
  void RepaintStatus();
  int ColumnWidthChoice() const;  // in 96-dpi pixels
  void SetColumnWidthPx(int column, int px96);
  // One handler per row of the command table, in its order.
  using CommandHandler = void (TFormCsvList::*)();
  static const std::array<CommandHandler, kCommandCount> kCommandHandlers;

  // ---------------------------------------------------------------- CsvListFill.cpp
  // Runs an operation that reads a page or makes the rows again inside a fill and shows what it
  // made; false when nothing new is shown or the window is closing.
  bool RunFill(const SessionOp& op);
  void ShowFilledRows(SessionResult result);  // the rows a fill made: count, first row selected, status panels
  void ShowLineRange();                       // panels 1 and 2: the first and last line in the list
  void SetLineRangeTexts();                   // the same, painted by the caller
  Progress FillProgress(bool countLines);
  void ReadTestLimits();
  void ListView1GetDispInfo(NMLVDISPINFOW* info);
  void MenuCsvListTopClick();
  void MenuCsvListPrevClick();
  void MenuCsvListNextClick();
  void MenuCsvListEndClick();
  void TurnPage(PageStep step, WPARAM listKey, bool withControl);
  void ButtonPrevClick();
  void ButtonNextClick();
  void MenuCsvListLoadAllClick();
  void MenuCsvAutoClick();
  void MenuCsvEx1Click();
  void PostListKey(WPARAM vk);
  void ShowLongLineMessage();
  Splitter CurrentSplitter() const;
  // Throttled; false: stop the loop. done of total feeds the progress bar; countLines shows the
  // line counter of load-all in panels 1 and 2.
  bool PumpWhileBusy(int64_t done, int64_t total, bool countLines);
  void ShowWorkProgress(uint64_t now);  // the bar and panel 4 once the work has lasted
  void EndWorkProgress();
  void PlaceProgressBar();
  void DropQueuedKeys();
  bool WorkKeyDown(const MSG& msg);  // Esc during work; true: taken
  std::u16string WorkPanelText() const;

  // A loop that handles messages while it runs: a page fill, load-all, the header row, fitting,
  // a search. It holds "fill in progress" and a close asked for meanwhile, and ends both however
  // the loop ends. Commands that cannot run during it are refused by RunCommand (the table says
  // which); controls that are not commands ask Allowed.
  //
  // Esc during it stops it (when `stoppable`: the loops that take back what they did); from
  // kProgressDelayMs on, panel 4 says what is being done (`doing`) beside a progress bar.
  class FillScope {
   public:
    explicit FillScope(TFormCsvList& form, const char16_t* doing = u"読み込み中", bool stoppable = true);
    ~FillScope();
    FillScope(const FillScope&) = delete;
    FillScope& operator=(const FillScope&) = delete;
    // Handles the pending messages now; false: stop, the window is closing or Esc stopped it.
    bool PumpNow();
    bool CloseRequested() const;
    bool StopRequested() const;

   private:
    TFormCsvList& form_;
  };
  static constexpr int kProgressBarRange = 1000;
  struct FillState {
    bool active = false;
    bool closeRequested = false;
    bool stoppable = false;
    bool stopRequested = false;  // Esc pressed during it
    const char16_t* doing = nullptr;
    uint64_t startTick = 0;
    uint64_t nextPumpTick = 0;
    uint64_t nextProgressTick = 0;
    uint64_t nextBarTick = 0;
    bool barShown = false;
    int barPosition = -1;  // of kProgressBarRange
    int64_t done = 0, total = 0;
    DWORD testDelayMs = 0;  // test builds: a pause each time the work reports, to catch it midway
    // Test and benchmark builds: the longest stretch of work between two pumps, in microseconds.
    int64_t lastPumpEnd = 0;
    int64_t longestWork = 0;
  } fill_;
  // A pump, timed in test and benchmark builds around what it dispatches.
  bool PumpTimed();
  void NoteWorkStretch(int64_t now);
  std::u16string stoppedNotice_;  // panel 4's last part after Esc stopped the work
  bool Allowed(DuringFill rule) const { return rule == DuringFill::Runs || !fill_.active; }
  bool MayRun(DuringFill rule);  // Allowed, and a refusal said in the status bar
  bool DeferCloseToFill();       // true: a fill runs and closes the window when it ends
  // A close asked for while a window of ours was modal over this one: done once it has gone.
  bool closeWhenEnabled_ = false;

  // ---------------------------------------------------------------- CsvListColumns.cpp
  void MenuAddHeaderClick();
  void MenuCsvListFitColumnWidthClick();
  void ButtonFitColumnWidthClick();
  void MenuMoveStartPositionClick();
  void GoToLine(const SessionOp& go);  // go-to and the start position
  void CenterListRow(int row);
  void ListView1Click();
  // Nullopt when stopped.
  std::optional<std::array<int, kShownFields>> FittedColumnWidths(const Progress& progress);
  bool SetFittedWidths(FillScope& fill, const std::array<int, kShownFields>& widths);
  bool EnsureCharWidths(const Progress& progress = {});  // false: stopped
  // What fitting and the cut-off test measure text with, for the list's font.
  struct TextMeasure {
    CharWidthTable charWidths;
    bool valid = false;
    int itemTextPadding = 12;    // what the list's own auto-size adds to a cell's text width
    int headerTextPadding = 12;  // and to a caption's, at least the header's own margins
  } measure_;

  // ---------------------------------------------------------------- CsvListSearch.cpp
  void MenuCsvListSearchNextClick();
  void MenuCsvListSearchPrevClick();
  void ButtonSearchNextClick();
  void ButtonSearchPrevClick();
  void MenuCsvListJumpClick();
  void MenuCsvListSearchCountClick();
  void MenuCsvListSearchRegExClick();
  void MenuCsvListSearchOneColumnClick();
  void RunSearch(bool forward);
  // The search box's term, and what it matches as the options read it; null after telling the
  // user that the box is empty or what is wrong with the pattern.
  std::unique_ptr<FieldMatcher> SearchBoxMatcher(std::u16string& term);
  int SearchedField() const;  // kAllFields, or the one field "このカラムのみ" searches
  // A walk of the session under the fill rule; false when stopped or the window is closing.
  bool RunSearchWalk(const char16_t* doing, const SessionOp& walk, SessionResult& result);
  void TellGaveUp(const std::u16string& pattern);

  // ---------------------------------------------------------------- CsvListHighLight.cpp
  LRESULT ListView1CustomDraw(NMLVCUSTOMDRAW* draw);
  void MenuCsvListFontColorClick();
  void MenuCsvListBackColorClick();
  void MenuCsvListHiligtFileClick();
  void MenuCsvListFontColorHilightRowClick();
  void MenuCsvListFontColorHilightColClick();
  void MenuCsvListHiLightNoneClick();
  void MenuCsvListHiLightRowClick();
  void MenuCsvListHiLightColClick();
  void MenuCsvListShowHelpClick();
  void LoadHighLightWords(const std::u16string& path);
  LRESULT ListView1AdvancedCustomDrawItem(NMLVCUSTOMDRAW* draw);
  LRESULT ListView1AdvancedCustomDrawSubItem(NMLVCUSTOMDRAW* draw);
  void SetHighLightMode(UINT item);
  bool ChooseColorInto(uint32_t& color, COLORREF fallback);
  // What one paint of the list draws with, settled at its start: the cells are many.
  struct DrawState {
    bool rowMode = false, colMode = false;
    COLORREF normalText = 0, highLightText = 0;
    COLORREF rowText = 0;               // the colour the current row's number cell keeps
    HighLightMarks::RowMarks rowMarks;  // the current row's, looked up once for all its cells
  } draw_;
  std::array<COLORREF, 16> customColors_ = [] {
    std::array<COLORREF, 16> white{};
    white.fill(0x00FFFFFF);
    return white;
  }();

  // ---------------------------------------------------------------- CsvListCells.cpp
  struct CellRef {
    int row = -1;
    int column = -1;  // 0: "No", 1..96: the fields
  };
  void CreateListAids();
  void RemoveListAids();
  static LRESULT CALLBACK ListView1Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT ListView1Message(HWND list, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HeaderMessage(HWND header, UINT msg, WPARAM wp, LPARAM lp);
  using ControlHandler = LRESULT (TFormCsvList::*)(HWND, UINT, WPARAM, LPARAM);
  // The subclassed controls' own procedures.
  struct OwnProcs {
    WNDPROC list = nullptr;
    WNDPROC header = nullptr;
  } ownProcs_;
  static LRESULT ForwardSubclassed(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC ours, WNDPROC OwnProcs::*original,
                                   ControlHandler handler);
  bool InFrozenHeader(HWND header, POINT pt) const;
  int ListOriginX() const;  // how far the list is scrolled right, in pixels
  void ListView1BeforePaint();
  void ListView1PaintFrozenNumbers(HDC dc);
  COLORREF NumberCellTextColor(int row) const;  // CsvListHighLight.cpp, with the other colours
  CellRef CellAt(POINT pt) const;
  void ListView1MouseMove(POINT pt);
  std::u16string CellTipTextAt(CellRef cell);
  void TimerTipTimer();
  void HideCellTip();
  bool ListView1KeyDown(WPARAM key);
  void CopySelectedRow();
  bool MayMoveSelection(UINT msg, WPARAM wp) const;
  LRESULT ListView1FindItem(const NMLVFINDITEMW& find) const;  // the row typed characters lead to
  LRESULT ListView1MoveSelection(UINT msg, WPARAM wp, LPARAM lp);
  int SelectedRow() const;      // -1: none
  void SelectListRow(int row);  // selected, focused and the selection mark, the old row let go
  // The tooltip of a cell cut short.
  struct CellTip {
    HWND window = nullptr;
    CellRef cell;  // the cell it is shown or waiting for
    std::u16string text;
    bool trackingLeave = false;
  } tip_;
  // The scroll position and "No" width the list last painted with, and where the header stood.
  struct FrozenNumbers {
    int paintedOriginX = 0;
    int paintedNumberWidth = 0;
    int headerLeft = 0;
  } frozen_;
  static constexpr UINT_PTR kTimerTip = 2;

  // ---------------------------------------------------------------- CsvListSort.cpp
  // Runs a sort or a filter of the rows in the list and shows the order it made.
  void Reorder(const char16_t* doing, const SessionOp& op);
  // The new order shown: the row that was selected (a model row) stays selected, else the first.
  void ShowReordered(int keptModelRow);
  void TellSortDropped();
  void SortByColumn(int column, bool descending);
  void SortByLine();
  void FilterByTerm();
  void ShowAllRows();
  void ListView1ColumnClick(int column);
  void ListView1ColumnPress(int column);  // from the header's click or double click
  bool headerPressCounted_ = false;       // the header's last press has had its sort step
  void UpdateHeaderMarks();  // the sort arrow and the filtering columns' marks
  void ShowSearchPanel();
  void SetSearchPanelText();  // panel 4, painted by the caller
  int ColumnAt(POINT screen) const;
  bool ListView1SortMessage(UINT msg, WPARAM wp, LPARAM lp);  // true: handled
  void ShowListContextMenu(const POINT* mouse);               // null: from the keyboard
  // The column last clicked or found by a search: the keyboard's context menu sorts by it and
  // "このカラムのみ" searches it.
  int keyColumn_ = 1;
  std::u16string refusedNotice_;  // panel 4's last part: a command refused while a fill runs

  // ---------------------------------------------------------------- CsvListColumnFilter.cpp
  bool IsFieldColumn(int column) const;  // 1..96: "No" and fields past the 96th are not columns
  std::u16string CountedScope() const;   // which rows a column's count covers, for its window
  std::optional<ColumnValues> CountShownColumn(int column);
  void FilterByColumn(int column);
  void ApplyColumnFilter(int column, ColumnCondition condition);
  void ClearColumnFilterOf(int column);
  void ShowColumnProfileOf(int column);
  void MenuColumnFilterClick();
  void MenuColumnFilterClearClick();
  void MenuColumnProfileClick();
  void MakeFilterMark();  // the header's image list, for the window's DPI
  win::Owned<HIMAGELIST, FreeImageList> filterMark_;
  bool filterMarksShown_ = false;  // some caption shows the mark: a fill that ends filters clears it

  // ---------------------------------------------------------------- CsvListKeys.cpp
  void KeyMapStartUp();
  void ApplyKeyMap();
  void SetShortCutNew(const std::u16string& number, UINT menuItem);
  bool MatchShortCut(const MSG& msg);
  bool FormKeyDown(WPARAM key);
  void Timer1Timer();
  void MenuCsvListKeyBoardClick();
  void UpdateMenuShortCutText(UINT menuItem);
  UINT FindShortCutItem(HMENU menu, uint16_t pressed) const;  // 0: no item has it

  // ---------------------------------------------------------------- controls
  HWND list_ = nullptr;
  HWND statusBar_ = nullptr;
  HWND progressBar_ = nullptr;
  HWND rowsPerPageBox_ = nullptr, widthBox_ = nullptr, searchBox_ = nullptr;
  HMENU menu_ = nullptr;
  win::UniqueFont listFont_, listFontBold_;

  // ---------------------------------------------------------------- settings (FormShow / FormClose)
  // What the user chose; the menu's marks and the size boxes only show it (ShowSettings).
  ListSettings settings_;
  std::u16string wordFileFolder_;
  // The history or settings file was there but could not be read: told with the start-up
  // notices, and the close does not replace it.
  bool historyUnreadable_ = false;
  bool settingsUnreadable_ = false;

  // ---------------------------------------------------------------- files and the editor
  std::u16string settingsPath_;
  std::u16string pluginFolder_;
  KeyMapFile keyMapFile_{win::PluginFolder()};

  // ---------------------------------------------------------------- the document
  EditorLineSource editor_;
  ListSession session_;

  // ---------------------------------------------------------------- keys
  std::vector<std::u16string> keyMapLines_;
  std::array<uint16_t, kCommandCount> shortCuts_{};  // per command table row
  // The key map, settings and history files' notices of the start-up; shown by Timer1 once the
  // window has appeared.
  std::vector<std::u16string> startUpNotices_;
  static constexpr UINT_PTR kTimer1 = 1;
};

// The search's matching for a term (a regular expression when `regex`), for the search, the count
// and the filter alike; null, with `error` set, for a pattern that is not valid.
std::unique_ptr<FieldMatcher> MakeSearchMatcher(std::u16string_view term, bool regex, std::u16string& error);
// The search's case folding: the platform's upper-casing for the user's locale.
UpperFn SearchUpper();
// The platform's collation key for the user's locale without regard to case, for the sort.
void UserLocaleKey(std::u16string_view text, std::string& out);

}  // namespace tovo
