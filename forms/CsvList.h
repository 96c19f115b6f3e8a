// The list window: the open document as a table, one row a line, with paging, search,
// highlighting, header row, column fitting and shortcut keys. One instance per command.
//
// The class is implemented across a few files by concern, all of the same window:
//   CsvList.cpp           layout, start-up (FormShow), closing (FormClose), the two size boxes,
//                         message and command dispatch
//   CsvListFill.cpp       reading lines from the editor, SetListData, paging, loading all lines,
//                         the owner-data cell text, the splitter switch
//   CsvListColumns.cpp    header row, column fitting, start position, CenterListRow
//   CsvListSearch.cpp     forward and backward search, the history, the go-to-line command
//   CsvListHighLight.cpp  custom drawing of marks, font and colour dialogs, word file, help
//   CsvListKeys.cpp       command table, key map file, shortcut matching, FormKeyDown
//   CsvListCells.cpp      the "No" column kept in view, cell tooltips, Ctrl+C copying a row
//   CsvListSort.cpp       sorting by a column, showing only matching rows, the list's context menu
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ColumnFit.h"
#include "core/CsvSplit.h"
#include "core/HighLight.h"
#include "core/LineStore.h"
#include "core/RowModel.h"
#include "core/RowOrder.h"
#include "core/Search.h"
#include "forms/Win.h"

namespace tovo {

// Menu item identifiers: the command identifier of each item, so a menu command, a shortcut and a
// key map line all name the same number.
enum MenuItemId : UINT {
  MenuCsvListLoadAll = 1001,
  MenuCsvListFitColumnWidth = 1002,
  MenuAddHeader = 1003,
  MenuCsvListClose = 1011,
  MenuCsvListSearchNext = 1101,
  MenuCsvListSearchPrev = 1102,
  MenuCsvListJump = 1201,
  MenuMoveStartPosition = 1202,
  MenuCsvListTop = 1203,
  MenuCsvListPrev = 1204,
  MenuCsvListNext = 1205,
  MenuCsvListEnd = 1206,
  MenuCsvListFontColor = 1301,
  MenuCsvListBackColor = 1302,
  MenuCsvListHiligtFile = 1303,
  MenuCsvListFontColorHilightRow = 1304,
  MenuCsvListFontColorHilightCol = 1305,
  MenuCsvListHiLightNone = 1306,
  MenuCsvListHiLightRow = 1307,
  MenuCsvListHiLightCol = 1308,
  MenuCsvListKeyBoard = 1401,
  MenuCsvListShowHelp = 1501,
  MenuCsvAuto = 1601,
  MenuCsvEx1 = 1602,
};

// Control identifiers (none is 1 or 2: the dialog manager sends those for Enter and Esc).
enum ControlId : int {
  IdListView1 = 100,
  IdStatusBar1 = 101,
  IdLabel3 = 110,
  IdComboBox3 = 111,
  IdLabel1 = 112,
  IdComboBox1 = 113,
  IdLabel2 = 114,
  IdComboBox2 = 115,
  IdButtonPrev = 120,
  IdButtonNext = 121,
  IdButtonSearchPrev = 122,
  IdButtonSearchNext = 123,
  IdButtonFitColumnWidth = 124,
  IdButtonCancel = 125,
};

inline constexpr int kFieldColumns = 96;
inline constexpr int kLongLineLimit = 16384;
// The list view draws (and its own auto-size measures) at most this many units of a cell: its
// display buffer holds 260 with the terminator. Fitting and the cut-off test cover what is drawn.
inline constexpr size_t kListCellUnits = 259;
// A line longer than this is not asked of the editor in full (a host answering a bogus length
// must not make us allocate gigabytes); it is read cut to this many units.
inline constexpr int32_t kMaxLineRead = 16 * 1024 * 1024;
// Self-posted navigation keys carry this in lParam so the shortcut matcher lets them through.
inline constexpr LPARAM kSelfPostedKey = 0x7E510001;

struct FontSetting {
  std::u16string name = u"ＭＳ ゴシック";
  int size = 14;  // points
  uint32_t color = 0x00000000;
};

class TFormCsvList : public win::Form {
 public:
  TFormCsvList();
  ~TFormCsvList() override;

  // Creates the window and its controls (hidden), shows it modally, returns when it has closed.
  void Execute(HWND editorWindow);

  // Read by the dialogs it opens.
  std::u16string StrIniFileName;
  std::u16string StrDllFilePath;
  std::vector<std::u16string> StrListKeyMap;
  std::vector<std::u16string> StrListKeyMapOriginal;
  HWND IntWindowHwnd = nullptr;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PreviewMessage(MSG& msg) override;
  void FormShown() noexcept override;

 private:
  // ---------------------------------------------------------------- CsvList.cpp
  bool CreateControls();
  HMENU BuildMenu();
  void Layout();
  void FormShow();
  void FormClose();
  void WmGetMinMaxInfo(MINMAXINFO* info);
  void ComboBox1Change();
  void ComboBox2Change();
  void ButtonCancelClick();
  void MenuCsvListCloseClick();
  void RunCommand(UINT id);  // a menu item's click handler, by identifier
  void OnCommand(WORD id, WORD code, HWND control);
  LRESULT OnNotify(NMHDR* hdr);
  void ReadSettings();
  void PlaceWindow();
  void SetUpColumns();
  void ApplyListFont();
  void ApplyListColors();
  bool IsChecked(UINT item) const;
  void SetChecked(UINT item, bool checked);
  void SetStatus(int panel, std::u16string_view text);
  std::u16string StatusText(int panel) const;
  void RepaintStatus();
  int ColumnWidthChoice() const;  // the number shown in ComboBox2
  void SetColumnWidthPx(int column, int px96);
  bool Busy() const { return busy_; }

  // ---------------------------------------------------------------- CsvListFill.cpp
  int32_t GetLine(int32_t index, std::u16string& lineString);
  void SetListData();
  bool FillRows(const LineStore& lines, bool loadAll);  // false: stopped because the window closes
  void ListView1GetDispInfo(NMLVDISPINFOW* info);
  void MenuCsvListTopClick();
  void MenuCsvListPrevClick();
  void MenuCsvListNextClick();
  void MenuCsvListEndClick();
  void ButtonPrevClick();
  void ButtonNextClick();
  void MenuCsvListLoadAllClick();
  void MenuCsvAutoClick();
  void MenuCsvEx1Click();
  void PostListKey(WPARAM vk);
  void ShowLongLineMessage();
  Splitter CurrentSplitter() const;
  std::u16string RowCaption(int row) const;
  bool ReadLines(LineStore& into, int32_t first, int32_t stop, bool progress);  // false: stopped
  bool PumpWhileBusy(int32_t progressLine);  // throttled; false: stop the loop
  void ClearRows();
  void ShowPage(int32_t start, int32_t end);
  void BeginFill();
  void EndFill();
  std::u16string lineBuffer_;  // GetLine's buffer, reused across lines of a fill
  uint64_t nextPumpTick_ = 0;
  uint32_t pumpCalls_ = 0;
  bool listRedrawSuspended_ = false;

  // ---------------------------------------------------------------- CsvListColumns.cpp
  void MenuAddHeaderClick();
  void MenuCsvListFitColumnWidthClick();
  void ButtonFitColumnWidthClick();
  void MenuMoveStartPositionClick();
  void CenterListRow(int row);
  void ListView1Click();
  std::array<int, kFieldColumns> FittedColumnWidths();
  void EnsureCharWidths();
  std::u16string ColumnCaption(int column) const;  // data column 1..96
  std::vector<std::u16string> headerCaptions_;    // set by the header row; empty: "01".."96"
  int itemTextPadding_ = 12;    // what the list's own auto-size adds to a cell's text width
  int headerTextPadding_ = 12;  // and to a caption's, at least the header's own margins

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
    COLORREF rowText = 0;  // the colour the current row's number cell keeps
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
  LRESULT ListView1MoveSelection(UINT msg, WPARAM wp, LPARAM lp);
  int SelectedRow() const;         // -1: none
  void SelectListRow(int row);     // selected, focused and the selection mark, the old row let go
  HWND ToolTip1 = nullptr;
  WNDPROC listProc_ = nullptr, headerProc_ = nullptr;  // the controls' own procedures
  CellRef tipCell_;          // the cell the tooltip is shown or waiting for
  std::u16string tipText_;   // its text
  bool tipTrackingLeave_ = false;
  int paintedOriginX_ = 0;   // the scroll position and "No" width the list last painted with
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
  void SortByColumn(int column, bool descending);
  void SortByLine();
  void FilterByTerm();
  void ShowAllRows();
  void ListView1ColumnClick(int column);
  void UpdateSortArrow();
  std::u16string FilterNotice() const;
  void ShowFilterNotice();
  int ColumnAt(POINT screen) const;
  bool ListView1SortMessage(UINT msg, WPARAM wp, LPARAM lp);  // true: handled
  void ShowListContextMenu(const POINT* mouse);  // null: from the keyboard
  RowOrder order_;
  int sortColumn_ = 0;  // 0: line order; 1..96 the field column
  bool sortDescending_ = false;
  bool filtered_ = false;
  int keyColumn_ = 1;
  std::u16string shownNotice_;  // the filter notice panel 4 ends with

  // ---------------------------------------------------------------- CsvListKeys.cpp
  void InitKeyMap();
  void KeyMapStartUp();
  void ApplyKeyMap();
  void SetShortCutNew(const std::u16string& number, UINT menuItem);
  bool MatchShortCut(const MSG& msg);
  bool FormKeyDown(WPARAM key);
  void Timer1Timer();
  void MenuCsvListKeyBoardClick();
  void UpdateMenuShortCutText(UINT menuItem);
  std::u16string KeyMapPath() const;
  UINT FindShortCutItem(HMENU menu, uint16_t pressed) const;  // 0: no item has it

  // ---------------------------------------------------------------- controls
  HWND ListView1 = nullptr;
  HWND StatusBar1 = nullptr;
  HWND Label1 = nullptr, Label2 = nullptr, Label3 = nullptr;
  HWND ComboBox1 = nullptr, ComboBox2 = nullptr, ComboBox3 = nullptr;
  HWND ButtonPrev = nullptr, ButtonNext = nullptr, ButtonSearchPrev = nullptr, ButtonSearchNext = nullptr;
  HWND ButtonFitColumnWidth = nullptr, ButtonCancel = nullptr;
  HMENU MainMenu1 = nullptr;
  std::vector<win::LayoutItem> layout_;
  RECT panelRect_{};
  win::UniqueFont uiFont_, statusFont_, listFont_, listFontBold_;

  // ---------------------------------------------------------------- settings (FormShow / FormClose)
  int FormPosLeft = 0, FormPosTop = 0, FormPosWidth = 800, FormPosHeight = 480;
  int FormPosRight = 0, FormPosButtom = 0;
  int MonitorLeft = 0, MonitorTop = 0, MonitorWidth = 0, MonitorHeight = 0;
  int MonitorRight = 0, MonitorButtom = 0;
  std::u16string StrFormState;
  FontSetting FontDialog1;
  uint32_t ColorDialog1 = 0x00FFFFFF;  // background
  uint32_t ColorDialog2 = 0x000000FF;  // highlight text colour
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
  bool busy_ = false;          // a fill or a column loop is running and processing messages
  bool closePending_ = false;  // the window was asked to close during such a loop

  // ---------------------------------------------------------------- highlight
  HighLightMarks marks_;  // ArrayListHighLightRow / ArrayListHighLightCol
  HighLightWords words_;
  std::vector<std::u16string> StrListHighLight;
  std::u16string StrHighLightFileName;
  CharWidthTable charWidths_;
  bool charWidthsValid_ = false;

  // ---------------------------------------------------------------- search
  std::u16string StrSearchValue;
  int32_t IntSearchRow = 0;
  int32_t IntSearchCol = 0;

  // ---------------------------------------------------------------- keys
  std::array<uint16_t, 24> shortCuts_{};  // per command table row
  std::vector<std::u16string> keyMapNotices_;  // shown by Timer1 once the window has appeared
  static constexpr UINT_PTR kTimer1 = 1;
};

// The one list window while the command runs (the dialogs reach it through this).
extern TFormCsvList* FormCsvList;

// The search's matching for a term, for the search and the filter alike.
TermMatcher MakeSearchMatcher(std::u16string_view term);

// Combo box helpers shared by the windows.
std::vector<std::u16string> ComboItems(HWND combo);
void SetComboItems(HWND combo, const std::vector<std::u16string>& items);

}  // namespace tovo
