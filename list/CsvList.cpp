// The list window: layout, start-up, closing, the page-size and width boxes, dispatch.
#include "list/CsvList.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "core/IniValues.h"
#include "core/TextFile.h"
#include "win/Files.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {
constexpr SIZE kDesignClient{784, 421};
constexpr int kPanelHeight = 75;
constexpr int kStatusHeight = 25;
constexpr int kMinTrackW = 800, kMinTrackH = 480;
constexpr win::FormDesign kDesign{kDesignClient, {kMinTrackW, kMinTrackH}, /*escCloses=*/true};

constexpr char16_t kHistoryFile[] = u"TovoCsvList-Find.txt";
constexpr size_t kHistoryWritten = 32;

std::u16string Number(int value) { return IniIntegerText(value); }

uint32_t SystemColor(int index) { return GetSysColor(index); }

// The controls that are not commands, under the commands' rule for running during a fill.
constexpr DuringFill kComboBox1DuringFill = DuringFill::Refused;  // it starts a page fill
constexpr DuringFill kComboBox2DuringFill = DuringFill::Refused;  // the fitting loop sets the same widths
constexpr DuringFill kListClickDuringFill = DuringFill::Runs;     // it only restarts the search column
}  // namespace

TFormCsvList::TFormCsvList() : Form(kDesign), session_(editor_, &UserLocaleKey) {}

// The subclassed list may still get messages while the base class destroys the window.
TFormCsvList::~TFormCsvList() { RemoveListAids(); }

// ---------------------------------------------------------------- creation and layout

void TFormCsvList::Execute(HWND editorWindow) {
  editor_.Attach(editorWindow);
  HWND owner = editorWindow && IsWindow(editorWindow) ? GetAncestor(editorWindow, GA_ROOT) : nullptr;
  menu_ = BuildMenu();
  if (!CreateTopLevel(L"CsvList表示", kSizableModalStyle, 0, owner, menu_)) {
    DestroyMenu(menu_);
    menu_ = nullptr;
    ShowError(owner, u"一覧ウィンドウを作成できませんでした。");
    return;
  }
  if (!CreateControls()) {
    ShowError(owner, u"一覧ウィンドウを作成できませんでした。");
    return;
  }
  ShowModal(owner);
}

bool TFormCsvList::CreateControls() {
  // Panel positions are relative to the panel, which sits above the status bar.
  const int panelTop = kDesignClient.cy - kStatusHeight - kPanelHeight;
  constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
  constexpr DWORD kSizeBox = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
  struct PanelControl {
    HWND TFormCsvList::*kept;  // null: the window needs no handle of it after creation
    const wchar_t* windowClass;
    const wchar_t* text;
    DWORD style;
    int id;
    RECT place;  // left, top, width, height in the panel
  };
  // Creation order is the tab order: the panel's buttons and boxes, then the list. Each label
  // stands just before its box, so its access key focuses that box.
  const PanelControl controls[] = {
      {nullptr, L"BUTTON", L"前ﾍﾟｰｼﾞ(&R)", kButton, IdButtonPrev, {20, 40, 120, 25}},
      {nullptr, L"BUTTON", L"次ﾍﾟｰｼﾞ(&E)", kButton, IdButtonNext, {140, 40, 120, 25}},
      {nullptr, L"BUTTON", L"前を検索(&P)", kButton, IdButtonSearchPrev, {260, 40, 120, 25}},
      {nullptr, L"BUTTON", L"次を検索(&N)", kButton, IdButtonSearchNext, {380, 40, 120, 25}},
      {nullptr, L"BUTTON", L"幅調整(&A)", kButton, IdButtonFitColumnWidth, {500, 40, 140, 25}},
      {nullptr, L"BUTTON", L"閉じる(&C)", kButton, IdButtonCancel, {640, 40, 120, 25}},
      {nullptr, L"STATIC", L"検索(&D):", SS_LEFT, IdLabel3, {20, 10, 80, 19}},
      {&TFormCsvList::searchBox_,
       L"COMBOBOX",
       L"",
       WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
       IdComboBox3,
       {105, 8, 350, 27 + 16 * 19}},
      {nullptr, L"STATIC", L"表示行数(&L):", SS_LEFT, IdLabel1, {458, 10, 120, 19}},
      {&TFormCsvList::rowsPerPageBox_, L"COMBOBOX", L"", kSizeBox, IdComboBox1, {580, 8, 60, 27 + 30 * 19}},
      {nullptr, L"STATIC", L"幅(&W):", SS_LEFT, IdLabel2, {648, 10, 60, 19}},
      {&TFormCsvList::widthBox_, L"COMBOBOX", L"", kSizeBox, IdComboBox2, {710, 8, 60, 27 + 20 * 19}},
  };
  for (const PanelControl& c : controls) {
    HWND h = CreateChild(c.windowClass, c.text, c.style, 0, c.id);
    if (!h) return false;
    if (c.kept) this->*c.kept = h;
    layout_.push_back({h, c.place.left, panelTop + c.place.top, c.place.right, c.place.bottom, kLeft | kBottom});
  }
  list_ = CreateChild(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                      WS_EX_CLIENTEDGE, IdListView1);
  // It clips its children: the progress bar shown during long work.
  statusBar_ =
      CreateChild(STATUSCLASSNAMEW, L"",
                  CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | SBARS_SIZEGRIP | WS_CLIPCHILDREN, 0, IdStatusBar1);
  if (!list_ || !statusBar_) return false;
  // Shown by long work only, at the right end of panel 4.
  progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0, statusBar_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdProgressBar)), ThisModule(), nullptr);
  if (!progressBar_) return false;
  SendMessageW(progressBar_, PBM_SETRANGE32, 0, kProgressBarRange);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  MakeFilterMark();
  CreateListAids();

  GiveUiFont();
  GiveUiFont(statusBar_, 16);

  for (int i = 0; i < kRowsPerPageEntries; ++i) {
    SendMessageW(rowsPerPageBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(Number(RowsPerPageAt(i)))));
  }
  for (int i = 0; i < kColumnWidthEntries; ++i) {
    SendMessageW(widthBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(Number(ColumnWidthAt(i)))));
  }
  SendMessageW(searchBox_, CB_SETMINVISIBLE, 16, 0);
  SendMessageW(rowsPerPageBox_, CB_SETMINVISIBLE, 30, 0);
  SendMessageW(widthBox_, CB_SETMINVISIBLE, 20, 0);

  layout_.push_back({list_, 0, 0, kDesignClient.cx, panelTop, kLeft | kTop | kRight | kBottom});
  layout_.push_back(
      {statusBar_, 0, kDesignClient.cy - kStatusHeight, kDesignClient.cx, kStatusHeight, kLeft | kRight | kBottom});
  panels_ = {{0, panelTop, kDesignClient.cx, kPanelHeight, kLeft | kRight | kBottom}};
  Layout();
  return true;
}

HMENU TFormCsvList::BuildMenu() {
  HMENU bar = CreateMenu();
  for (const MenuBarEntry& top : kMenuBar) {
    HMENU popup = CreatePopupMenu();
    for (const CommandInfo& command : CommandTable()) {
      if (command.category != top.category) continue;
      if (command.separatorBefore) AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(popup, MF_STRING, command.number, W(std::u16string(command.caption)));
    }
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), W(std::u16string(top.caption)));
  }
  return bar;
}

void TFormCsvList::FormResize() {
  // Status panels 0 to 3 are 70 pixels; panel 4 takes the rest.
  int parts[5];
  for (int i = 0; i < 4; ++i) parts[i] = Scale(70, dpi_) * (i + 1);
  parts[4] = -1;
  SendMessageW(statusBar_, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(parts));
  if (fill_.barShown) PlaceProgressBar();
}

void TFormCsvList::FormDpiChanged() {
  ApplyListFont();
  MakeFilterMark();
}

// ---------------------------------------------------------------- start-up

// ---------------------------------------------------------------- the settings file

void TFormCsvList::ReadSettings() {
  settings_ = ReadListSettings([this](const char16_t* section, const char16_t* key, std::u16string_view fallback) {
    return IniRead(settingsPath_, section, key, fallback);
  });
  ShowSettings();
  ApplyListFont();
  ApplyListColors();
  if (!settings_.wordFile.empty() && FileExists(settings_.wordFile)) LoadHighLightWords(settings_.wordFile);
  // The second splitter item only ever shows its stored mark.
  EnableMenuItem(menu_, MenuCsvEx1, MF_BYCOMMAND | MF_GRAYED);
}

void TFormCsvList::ShowSettings() {
  SetChecked(MenuCsvListHiLightNone, settings_.highLightNone);
  SetChecked(MenuCsvListHiLightRow, settings_.highLightRow);
  SetChecked(MenuCsvListHiLightCol, settings_.highLightCol);
  SetChecked(MenuCsvAuto, settings_.csvListAuto);
  SetChecked(MenuCsvEx1, settings_.csvListEx1);
  SetChecked(MenuCsvListSearchRegEx, settings_.searchRegEx);
  SetChecked(MenuCsvListSearchOneColumn, settings_.searchOneColumn);
  SendMessageW(rowsPerPageBox_, CB_SETCURSEL, static_cast<WPARAM>(settings_.rowsPerPageEntry), 0);
  SendMessageW(widthBox_, CB_SETCURSEL, static_cast<WPARAM>(settings_.columnWidthEntry), 0);
}

void TFormCsvList::FormShow() {
  KillTimer(hwnd_, kTimer1);
  keyMapLines_.clear();

  pluginFolder_ = PluginFolder();
  settingsPath_ = pluginFolder_ + u"TovoCsvList.ini";

  // A file that is there but cannot be read (locked by another program, no rights) is never
  // replaced: the defaults or an empty history written over it would lose what the user kept.
  // The profile functions cannot tell such a file from a missing one, so it is tried first.
  std::vector<std::u16string> unreadable;
  DWORD iniError = 0;
  settingsUnreadable_ = FileExists(settingsPath_) && !ReadWholeFile(settingsPath_, kIniMaxBytes, &iniError);
  if (settingsUnreadable_) {
    unreadable.push_back(u"設定ファイルを読み込めませんでした。\r\n" + settingsPath_ + u"\r\n" + ErrorText(iniError) +
                         u"\r\n既定の設定で続けます。このファイルは書き換えません。");
  }

  // The search history; the box's text starts empty.
  const std::u16string historyPath = pluginFolder_ + kHistoryFile;
  TextRead history = ReadTextLines(historyPath);
  historyUnreadable_ = history.exists && !history.readable;
  if (historyUnreadable_) {
    unreadable.push_back(u"検索履歴のファイルを読み込めませんでした。\r\n" + historyPath + u"\r\n" +
                         ErrorText(history.error) + u"\r\n履歴なしで続けます。このファイルは書き換えません。");
  }
  SetComboItems(searchBox_, history.lines);
  SetWindowTextW(searchBox_, L"");

  ReadSettings();

  SetStatus(Panel::LineCount, u"行:      桁:  ");
  PlaceWindow();
  SetUpColumns();
  // The session asks the editor for the document and reads the page at its current line.
  const int rowsPerPage = RowsPerPageAt(settings_.rowsPerPageEntry);
  const Splitter splitter = CurrentSplitter();
  RunFill([&](const Progress& progress) { return session_.Open(rowsPerPage, splitter, progress); });

  KeyMapStartUp();
  if (!unreadable.empty()) {
    startUpNotices_.insert(startUpNotices_.end(), unreadable.begin(), unreadable.end());
    SetTimer(hwnd_, kTimer1, 100, nullptr);
  }
}

// Once the window can take the focus.
void TFormCsvList::FormShown() noexcept { SetFocus(list_); }

void TFormCsvList::PlaceWindow() {
  // The stored rectangle is checked against the whole virtual screen, all monitors.
  const int screenTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int screenLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int screenRight = screenLeft + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int screenBottom = screenTop + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const ListSettings& s = settings_;
  // Sums in 64 bits: stored values near the integer limits must fail the check, not wrap.
  const int64_t right = int64_t{s.left} + s.width, bottom = int64_t{s.top} + s.height;
  const bool fits = screenTop <= int64_t{s.top} + 9 && s.top <= screenBottom && screenTop <= bottom &&
                    bottom <= screenBottom && screenLeft <= int64_t{s.left} + 9 && s.left <= screenRight &&
                    screenLeft <= right && right <= screenRight;
  if (fits) {
    SetWindowPos(hwnd_, nullptr, s.left, s.top, s.width, s.height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(hwnd_, nullptr, 0, 0, Scale(kMinTrackW, dpi_), Scale(kMinTrackH, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TFormCsvList::SetUpColumns() {
  ListView_DeleteAllItems(list_);
  while (ListView_DeleteColumn(list_, 0)) {
  }
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  std::u16string caption = u"No";
  col.pszText = const_cast<wchar_t*>(W(caption));
  col.cx = Scale(settings_.fontSize * 60 / 12, dpi_);
  col.iSubItem = 0;
  ListView_InsertColumn(list_, 0, &col);
  const int width = Scale(ColumnWidthChoice(), dpi_);
  for (int i = 1; i <= kShownFields; ++i) {
    caption = {char16_t(u'0' + i / 10), char16_t(u'0' + i % 10)};
    col.pszText = const_cast<wchar_t*>(W(caption));
    col.cx = width;
    col.iSubItem = i;
    ListView_InsertColumn(list_, i, &col);
  }
  ListView_SetItemCountEx(list_, 0, 0);
}

void TFormCsvList::ApplyListFont() {
  listFont_ = MakeFont(settings_.fontName, settings_.fontSize, dpi_);
  listFontBold_ = MakeFont(settings_.fontName, settings_.fontSize, dpi_, true);
  SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), TRUE);
  // The tooltip's lines are wrapped by the list font's widths.
  if (tip_.window) SendMessageW(tip_.window, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  measure_.valid = false;
}

void TFormCsvList::ApplyListColors() {
  COLORREF text = ResolveColor(settings_.fontColor, &SystemColor, GetSysColor(COLOR_WINDOWTEXT));
  COLORREF back = ResolveColor(settings_.backColor, &SystemColor, GetSysColor(COLOR_WINDOW));
  ListView_SetTextColor(list_, text);
  ListView_SetTextBkColor(list_, back);
  ListView_SetBkColor(list_, back);
  InvalidateRect(list_, nullptr, TRUE);
}

// ---------------------------------------------------------------- closing

// The rectangle is kept only in the normal state, so a maximised window reopens at the size the
// user gave it.
void TFormCsvList::TakeWindowRect() {
  const bool zoomed = IsZoomed(hwnd_), iconic = IsIconic(hwnd_);
  settings_.windowState = zoomed ? u"MAX" : iconic ? u"MIN" : u"NORMAL";
  settings_.rectIsNormal = !zoomed && !iconic;
  if (!settings_.rectIsNormal) return;
  RECT rc{};
  GetWindowRect(hwnd_, &rc);
  settings_.left = rc.left;
  settings_.top = rc.top;
  settings_.width = rc.right - rc.left;
  settings_.height = rc.bottom - rc.top;
}

void TFormCsvList::FormClose() {
  std::vector<std::u16string> failures;
  if (!settingsUnreadable_) {
    TakeWindowRect();
    IniWriter ini(settingsPath_);
    WriteListSettings(settings_, [&ini](const char16_t* section, const char16_t* key, std::u16string_view text) {
      ini.Set(section, key, text);
    });
    if (DWORD err = ini.Commit()) failures.push_back(settingsPath_ + u"\r\n" + ErrorText(err));
  }

  // The window's string lists.
  keyMapLines_.clear();

  // The first 32 history entries.
  if (!historyUnreadable_) {
    std::vector<std::u16string> history = ComboItems(searchBox_);
    if (history.size() > kHistoryWritten) history.resize(kHistoryWritten);
    const std::u16string historyPath = pluginFolder_ + kHistoryFile;
    if (DWORD err = WriteTextLines(historyPath, history)) failures.push_back(historyPath + u"\r\n" + ErrorText(err));
  }

  // The window closes all the same; the user learns what was not kept.
  if (!failures.empty()) {
    std::u16string text = u"設定を保存できませんでした:";
    for (const auto& f : failures) text += u"\r\n\r\n" + f;
    ShowMessage(hwnd_, text, MB_OK | MB_ICONWARNING);
  }
}

// ---------------------------------------------------------------- handlers of this file

// A choice refused (during a fill, or in load-all mode where the box is disabled) goes back out
// of the box: closing must not store a size the list never had.
void TFormCsvList::ComboBox1Change() {
  const int entry = static_cast<int>(SendMessageW(rowsPerPageBox_, CB_GETCURSEL, 0, 0));
  if (session_.LoadedAll() || entry < 0 || !MayRun(kComboBox1DuringFill)) {
    ShowSettings();
    return;
  }
  const int previousEntry = settings_.rowsPerPageEntry;
  settings_.rowsPerPageEntry = entry;
  const int rowsPerPage = RowsPerPageAt(entry);
  RunFill([&](const Progress& progress) { return session_.SetRowsPerPage(rowsPerPage, progress); });
  // Stopped: the box goes back to the page size in force.
  if (session_.RowsPerPage() != rowsPerPage) {
    settings_.rowsPerPageEntry = previousEntry;
    ShowSettings();
  }
}

void TFormCsvList::ComboBox2Change() {
  const int entry = static_cast<int>(SendMessageW(widthBox_, CB_GETCURSEL, 0, 0));
  if (entry < 0 || !MayRun(kComboBox2DuringFill)) {
    ShowSettings();
    return;
  }
  HideCellTip();  // whether its cell is cut off may change
  settings_.columnWidthEntry = entry;
  const int width = ColumnWidthChoice();
  for (int i = 1; i <= kShownFields; ++i) SetColumnWidthPx(i, width);
}

int TFormCsvList::ColumnWidthChoice() const { return ColumnWidthAt(settings_.columnWidthEntry); }

void TFormCsvList::SetColumnWidthPx(int column, int px96) { ListView_SetColumnWidth(list_, column, Scale(px96, dpi_)); }

void TFormCsvList::ButtonCancelClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TFormCsvList::MenuCsvListCloseClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TFormCsvList::SetChecked(UINT item, bool checked) {
  CheckMenuItem(menu_, item, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TFormCsvList::SetStatus(Panel panel, std::u16string_view text) {
  std::u16string copy(text);
  SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(W(copy)));
}

void TFormCsvList::RepaintStatus() { UpdateWindow(statusBar_); }

// ---------------------------------------------------------------- dispatch

const std::array<TFormCsvList::CommandHandler, kCommandCount> TFormCsvList::kCommandHandlers = {
#define TOVO_COMMAND_HANDLER(item, ...) &TFormCsvList::item##Click,
    TOVO_COMMANDS(TOVO_COMMAND_HANDLER)
#undef TOVO_COMMAND_HANDLER
};

void TFormCsvList::RunCommand(UINT id) {
  const std::optional<size_t> row = CommandIndexOf(id);
  if (!row) return;
  // Disabled items never run, whichever way they are reached.
  if (GetMenuState(menu_, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) return;
  if (!MayRun(CommandTable()[*row].duringFill)) return;
  (this->*kCommandHandlers[*row])();
}

void TFormCsvList::OnCommand(WORD id, WORD code, HWND control) {
  if (!control) {  // a menu item (code 0) or an accelerator (code 1)
    RunCommand(id);
    return;
  }
  switch (id) {
    case IdButtonPrev:
      if (code == BN_CLICKED) ButtonPrevClick();
      break;
    case IdButtonNext:
      if (code == BN_CLICKED) ButtonNextClick();
      break;
    case IdButtonSearchPrev:
      if (code == BN_CLICKED) ButtonSearchPrevClick();
      break;
    case IdButtonSearchNext:
      if (code == BN_CLICKED) ButtonSearchNextClick();
      break;
    case IdButtonFitColumnWidth:
      if (code == BN_CLICKED) ButtonFitColumnWidthClick();
      break;
    case IdButtonCancel:
      if (code == BN_CLICKED) ButtonCancelClick();
      break;
    case IdComboBox1:
      if (code == CBN_SELCHANGE) ComboBox1Change();
      break;
    case IdComboBox2:
      if (code == CBN_SELCHANGE) ComboBox2Change();
      break;
    default: break;
  }
}

LRESULT TFormCsvList::OnNotify(NMHDR* hdr) {
  if (hdr->idFrom != IdListView1) return 0;
  switch (hdr->code) {
    case LVN_GETDISPINFOW: ListView1GetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(hdr)); return 0;
    case NM_CUSTOMDRAW: return ListView1CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(hdr));
    case NM_CLICK:
      if (Allowed(kListClickDuringFill)) ListView1Click();
      return 0;
    case LVN_COLUMNCLICK: ListView1ColumnPress(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem); return 0;
    case LVN_ODFINDITEMW: return ListView1FindItem(*reinterpret_cast<NMLVFINDITEMW*>(hdr));
    default: return 0;
  }
}

bool TFormCsvList::PreviewMessage(MSG& msg) {
  if (msg.message == WM_CHAR) {
    // The three boxes discard Enter and Esc (the search box's edit is a child of its box).
    HWND parent = GetParent(msg.hwnd);
    bool inBox = msg.hwnd == rowsPerPageBox_ || msg.hwnd == widthBox_ || msg.hwnd == searchBox_ || parent == searchBox_;
    return inBox && IsEnterOrEscChar(msg.wParam);
  }
  if (WorkKeyDown(msg)) return true;
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    // Keys the window posts to the list itself go straight to the list, never to the shortcut
    // matcher (a command on PgDn would post its key to itself for ever); they still move the
    // selection as the pressed keys do.
    if (msg.lParam == kSelfPostedKey) return FormKeyDown(msg.wParam);
    if (MatchShortCut(msg)) return true;
    if (msg.message == WM_KEYDOWN && msg.hwnd == list_ && ListView1KeyDown(msg.wParam)) return true;
    if (msg.message == WM_KEYDOWN) return FormKeyDown(msg.wParam);
  }
  return false;
}

LRESULT TFormCsvList::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_TIMER:
      if (wp == kTimer1) Timer1Timer();
      if (wp == kTimerTip) TimerTipTimer();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) HideCellTip();
      return Default(msg, wp, lp);
    case WM_ENABLE:
      if (wp && closeWhenEnabled_) {
        closeWhenEnabled_ = false;
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      }
      return Default(msg, wp, lp);
    case WM_CLOSE:
      // A loop that processes messages is running: it stops at its next check, then closes.
      if (DeferCloseToFill()) return 0;
      // A dialog or message box of ours is up and still uses this window's lists (the keyboard
      // dialog's reset takes the command table from them): closing now would empty them under it.
      if (!IsWindowEnabled(hwnd_)) {
        closeWhenEnabled_ = true;
        return 0;
      }
      FormClose();
      EndModal(IDCANCEL);
      return 0;
    default: return Default(msg, wp, lp);
  }
}

}  // namespace tovo
