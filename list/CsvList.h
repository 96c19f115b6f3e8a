// The list window: the open document as a table, one row a line, with paging, search,
// highlighting, header row, column fitting and shortcut keys. One instance per command.
//
// The class is implemented across a few files by concern, all of the same window:
//   CsvList.cpp           layout, start-up (FormShow), the settings read there and written by
//                         closing (FormClose), the two size boxes, message and command dispatch
//   CsvListFill.cpp       reading lines from the editor, SetListData, paging, loading all lines,
//                         the owner-data cell text, the splitter switch
//   CsvListColumns.cpp    header row, column fitting, start position, CenterListRow
//   CsvListSearch.cpp     forward and backward search, the history, the go-to-line command
//   CsvListHighLight.cpp  custom drawing of marks, font and colour dialogs, word file, help
//   CsvListKeys.cpp       key map file, shortcut matching, FormKeyDown
//   CsvListCells.cpp      the "No" column kept in view, cell tooltips, Ctrl+C copying a row
//   CsvListSort.cpp       sorting by a column, showing only matching rows, the list's context menu
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ColumnFit.h"
#include "core/Commands.h"
#include "core/CsvSplit.h"
#include "core/HighLight.h"
#include "core/LineStore.h"
#include "core/ListSettings.h"
#include "core/Paging.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"
#include "list/CsvListIds.h"
#include "win/Form.h"
#include "win/Handles.h"
#include "list/LineMarker.h"
#include "dialogs/KeyMapFile.h"
#include "win/Files.h"

namespace tovo {

inline constexpr int kLongLineLimit = 16384;
// The list view draws (and its own auto-size measures) at most this many units of a cell: its
// display buffer holds 260 with the terminator. Fitting and the cut-off test cover what is drawn.
inline constexpr size_t kListCellUnits = 259;
// A line longer than this is not asked of the editor in full (a host answering a bogus length
// must not make us allocate gigabytes); it is read cut to this many units.
inline constexpr int32_t kMaxLineRead = 16 * 1024 * 1024;
// Bytes a test build lets a store or a sort take, from the environment variable; 0 (always in a
// release build) for what the system gives. A test can so run out of memory without exhausting
// the machine.
size_t TestMemoryLimit(const wchar_t* variable);

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
  void SetStatus(int panel, std::u16string_view text);
  std::u16string StatusText(int panel) const;
  void RepaintStatus();
  int ColumnWidthChoice() const;  // in 96-dpi pixels
  void SetColumnWidthPx(int column, int px96);
  // One handler per row of the command table, in its order.
  using CommandHandler = void (TFormCsvList::*)();
  static const std::array<CommandHandler, kCommandCount> kCommandHandlers;

  // ---------------------------------------------------------------- CsvListFill.cpp
  void SetListData();
  // false: stopped because the window closes. With a marker, the lines were marked as they were read.
  bool FillRows(const LineStore& lines, bool loadAll, LineMarker* marker = nullptr);
  void ListView1GetDispInfo(NMLVDISPINFOW* info);
  void MenuCsvListTopClick();
  void MenuCsvListPrevClick();
  void MenuCsvListNextClick();
  void MenuCsvListEndClick();
  using PageCommand = std::optional<PageBounds> (*)(PageBounds, int32_t lineCount, int32_t rowsPerPage);
  void TurnPage(PageCommand command, WPARAM listKey, bool withControl);
  void ButtonPrevClick();
  void ButtonNextClick();
  void MenuCsvListLoadAllClick();
  void MenuCsvAutoClick();
  void MenuCsvEx1Click();
  void PostListKey(WPARAM vk);
  void ShowLongLineMessage();
  Splitter CurrentSplitter() const;
  std::u16string RowCaption(int row) const;
  // false: stopped. Each line goes to the marker, if any, as it is stored.
  bool ReadLines(LineStore& into, int32_t first, int32_t stop, bool progress, LineMarker* marker = nullptr);
  void SuspendListRedraw();
  bool PumpWhileBusy(int32_t progressLine);  // throttled; false: stop the loop
  void ClearRows();
  void ShowPage(int32_t start, int32_t end);
  std::u16string lineBuffer_;  // a long line's buffer, reused across lines of a fill

  // A loop that handles messages while it runs: a page fill, load-all, the header row, fitting,
  // a search. It holds "fill in progress", the list's redraw suspension and a close asked for
  // meanwhile, and ends all three however the loop ends. Commands that cannot run during it are
  // refused by RunCommand (the table says which); controls that are not commands ask Allowed.
  class FillScope {
   public:
    explicit FillScope(TFormCsvList& form);
    ~FillScope();
    FillScope(const FillScope&) = delete;
    FillScope& operator=(const FillScope&) = delete;
    // Handles the pending messages now; false: stop, the window is closing.
    bool PumpNow();
    bool CloseRequested() const;

   private:
    TFormCsvList& form_;
  };
  struct FillState {
    bool active = false;
    bool closeRequested = false;
    bool listRedrawSuspended = false;
    uint64_t nextPumpTick = 0;
    uint64_t nextProgressTick = 0;
    uint32_t pumpCalls = 0;
  } fill_;
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
  void CenterListRow(int row);
  void ListView1Click();
  std::array<int, kShownFields> FittedColumnWidths();
  void EnsureCharWidths();
  std::u16string ColumnCaption(int column) const;  // data column 1..96
  std::vector<std::u16string> headerCaptions_;     // set by the header row; empty: "01".."96"
  int itemTextPadding_ = 12;                       // what the list's own auto-size adds to a cell's text width
  int headerTextPadding_ = 12;                     // and to a caption's, at least the header's own margins

  // ---------------------------------------------------------------- CsvListSearch.cpp
  void MenuCsvListSearchNextClick();
  void MenuCsvListSearchPrevClick();
  void ButtonSearchNextClick();
  void ButtonSearchPrevClick();
  void MenuCsvListJumpClick();
  void RunSearch(bool forward);

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
  static LRESULT ForwardSubclassed(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC ours,
                                   WNDPROC TFormCsvList::*original, ControlHandler handler);
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
  HWND ToolTip1 = nullptr;
  WNDPROC listProc_ = nullptr, headerProc_ = nullptr;  // the controls' own procedures
  CellRef tipCell_;                                    // the cell the tooltip is shown or waiting for
  std::u16string tipText_;                             // its text
  bool tipTrackingLeave_ = false;
  int paintedOriginX_ = 0;  // the scroll position and "No" width the list last painted with
  int paintedNumberWidth_ = 0;
  int headerLeft_ = 0;
  static constexpr UINT_PTR kTimerTip = 2;

  // ---------------------------------------------------------------- CsvListSort.cpp
  // The list shows "view rows"; rows_ holds "model rows" in line order.
  int ViewRowCount() const;
  int ModelRow(int viewRow) const;  // -1: no such row
  int ViewRow(int modelRow) const;  // -1: hidden by the filter
  int ViewRowOfLine(int32_t line);  // shows all rows when the filter hides it; -1: not in the list
  void ReorderAfterFill();          // a fill ends the filter and keeps the sort
  void ApplyOrder(std::vector<uint32_t> rows, bool identity, int keepModelRow);
  std::vector<uint32_t> ShownModelRows() const;
  bool SortRows(std::vector<uint32_t>& rows, int column, bool descending);  // false: DropSort
  void DropSort();         // out of memory: line order, no arrow, and the user told
  void TellSortDropped();  // once the operation that dropped it has ended
  bool sortDropped_ = false;
  void SortByColumn(int column, bool descending);
  void SortByLine();
  void FilterByTerm();
  void ShowAllRows();
  void ListView1ColumnClick(int column);
  void ListView1ColumnPress(int column);  // from the header's click or double click
  bool headerPressCounted_ = false;       // the header's last press has had its sort step
  void UpdateSortArrow();
  std::u16string FilterNotice() const;
  void ShowSearchPanel();
  int ColumnAt(POINT screen) const;
  bool ListView1SortMessage(UINT msg, WPARAM wp, LPARAM lp);  // true: handled
  void ShowListContextMenu(const POINT* mouse);               // null: from the keyboard
  RowOrder order_;
  int sortColumn_ = 0;  // 0: line order; 1..96 the field column
  bool sortDescending_ = false;
  bool filtered_ = false;
  int keyColumn_ = 1;
  std::u16string searchStatus_;   // panel 4's first part: the last search's result
  std::u16string refusedNotice_;  // and its last: a command refused while a fill runs

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
  HWND ListView1 = nullptr;
  HWND StatusBar1 = nullptr;
  HWND Label1 = nullptr, Label2 = nullptr, Label3 = nullptr;
  HWND ComboBox1 = nullptr, ComboBox2 = nullptr, ComboBox3 = nullptr;
  HWND ButtonPrev = nullptr, ButtonNext = nullptr, ButtonSearchPrev = nullptr, ButtonSearchNext = nullptr;
  HWND ButtonFitColumnWidth = nullptr, ButtonCancel = nullptr;
  HMENU MainMenu1 = nullptr;
  win::UniqueFont listFont_, listFontBold_;

  // ---------------------------------------------------------------- settings (FormShow / FormClose)
  // What the user chose; the menu's marks and the size boxes only show it (ShowSettings).
  ListSettings settings_;
  int MonitorLeft = 0, MonitorTop = 0, MonitorWidth = 0, MonitorHeight = 0;
  int MonitorRight = 0, MonitorButtom = 0;
  std::u16string OpenDialog1InitialDir;

  // ---------------------------------------------------------------- lines and paging
  int32_t IntMoveNum = 20;
  int32_t IntEditorAllCount = 0;
  int32_t IntEditorRow = 0;
  int32_t IntStartNum = 0;
  int32_t IntLineStart = 0;
  int32_t IntLineEnd = 0;
  bool BoolLoadAll = false;
  bool BoolStrLengthOver = false;
  LineStore StrListEditorLines;
  LineStore StrListEditorAllLines;
  RowModel rows_;

  // ---------------------------------------------------------------- highlight
  HighLightMarks marks_;  // ArrayListHighLightRow / ArrayListHighLightCol
  HighLightWords words_;
  CharWidthTable charWidths_;
  bool charWidthsValid_ = false;

  // ---------------------------------------------------------------- search
  std::u16string StrSearchValue;
  int32_t IntSearchRow = 0;
  int32_t IntSearchCol = 0;
  // The history or settings file was there but could not be read: told with the start-up
  // notices, and the close does not replace it.
  bool historyUnreadable_ = false;
  bool settingsUnreadable_ = false;

  // ---------------------------------------------------------------- files and the editor
  std::u16string StrIniFileName;
  std::u16string StrDllFilePath;
  KeyMapFile keyMapFile_{win::PluginFolder()};
  HWND IntWindowHwnd = nullptr;

  // ---------------------------------------------------------------- keys
  std::vector<std::u16string> StrListKeyMap;
  std::array<uint16_t, kCommandCount> shortCuts_{};  // per command table row
  // The key map, settings and history files' notices of the start-up; shown by Timer1 once the
  // window has appeared.
  std::vector<std::u16string> startUpNotices_;
  static constexpr UINT_PTR kTimer1 = 1;
};

// The search's matching for a term, for the search and the filter alike.
TermMatcher MakeSearchMatcher(std::u16string_view term);

}  // namespace tovo
