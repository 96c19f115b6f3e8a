// The list window: layout, start-up, closing, the page-size and width boxes, dispatch.
#include "forms/CsvList.h"

#include <algorithm>
#include <exception>

#include "core/IniValues.h"
#include "core/TextFile.h"

namespace tovo {

using namespace win;

TFormCsvList* FormCsvList = nullptr;

namespace {
constexpr SIZE kDesignClient{784, 421};
constexpr int kPanelHeight = 75;
constexpr int kStatusHeight = 25;
constexpr int kMinTrackW = 800, kMinTrackH = 480;

constexpr char16_t kHistoryFile[] = u"TovoCsvList-Find.txt";
constexpr size_t kHistoryWritten = 32;

struct MenuEntry {
  UINT id;  // 0: separator
  const char16_t* caption;
};
struct TopMenu {
  const char16_t* caption;
  std::vector<MenuEntry> items;
};

// The menu bar in order; item captions are the command table's names.
const std::vector<TopMenu>& MenuDefinition() {
  static const std::vector<TopMenu> menus = {
      {u"ファイル(&F)",
       {{MenuCsvListLoadAll, u"全て表示(&A)"},
        {MenuCsvListFitColumnWidth, u"カラム幅の自動調整(&C)"},
        {MenuAddHeader, u"現在行をヘッダーに設定(&H)"},
        {MenuCsvListClose, u"終了(&X)"}}},
      {u"検索(&S)", {{MenuCsvListSearchNext, u"次を検索(&N)"}, {MenuCsvListSearchPrev, u"前を検索(&P)"}}},
      {u"移動(&M)",
       {{MenuCsvListJump, u"行へ移動(&G)..."},
        {MenuMoveStartPosition, u"開始時へ移動(S)..."},
        {0, u"-"},
        {MenuCsvListTop, u"先頭(&T)"},
        {MenuCsvListPrev, u"前ページ(&P)"},
        {MenuCsvListNext, u"次ページ(&N)"},
        {MenuCsvListEnd, u"最後(&E)"}}},
      {u"表示(&V)",
       {{MenuCsvListFontColor, u"文字色(&F)..."},
        {MenuCsvListBackColor, u"背景色(&B)..."},
        {0, u"-"},
        {MenuCsvListHiligtFile, u"強調表示のファイル名(&G)..."},
        {MenuCsvListFontColorHilightRow, u"強調表示の文字色 行単位(&H)..."},
        {MenuCsvListFontColorHilightCol, u"強調表示の文字色 カラム単位(&I)..."},
        {0, u"-"},
        {MenuCsvListHiLightNone, u"強調表示を無効(&N)"},
        {MenuCsvListHiLightRow, u"強調表示を有効 行単位(&R)"},
        {MenuCsvListHiLightCol, u"強調表示を有効 カラム単位(&C)"}}},
      {u"CSV設定(&V)", {{MenuCsvAuto, u"自動検出(&A)"}, {MenuCsvEx1, u"カンマ区切り 11,\"22,22\",33 (&M)"}}},
      {u"ツール(&T)", {{MenuCsvListKeyBoard, u"キーボード設定(&K)..."}}},
      {u"ヘルプ(&H)", {{MenuCsvListShowHelp, u"ヘルプ表示(&C)..."}}},
  };
  return menus;
}

std::u16string Number(int value) { return IniIntegerText(value); }

int ComboNumber(HWND combo) {
  int sel = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
  if (sel < 0) return 0;
  int len = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, sel, 0));
  if (len <= 0) return 0;
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(len));
  return IniIntegerOr(U(text), 0);
}

uint32_t SystemColor(int index) { return GetSysColor(index); }
}  // namespace

std::vector<std::u16string> ComboItems(HWND combo) {
  std::vector<std::u16string> items;
  int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  items.reserve(static_cast<size_t>(std::max(count, 0)));
  std::wstring buf;
  for (int i = 0; i < count; ++i) {
    int len = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0));
    if (len < 0) len = 0;
    buf.assign(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<size_t>(len));
    items.push_back(U(buf));
  }
  return items;
}

void SetComboItems(HWND combo, const std::vector<std::u16string>& items) {
  SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const auto& item : items) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item)));
  SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
}

TFormCsvList::TFormCsvList() = default;

// The subclassed list may still get messages while the base class destroys the window.
TFormCsvList::~TFormCsvList() { RemoveListAids(); }

// ---------------------------------------------------------------- creation and layout

void TFormCsvList::Execute(HWND editorWindow) {
  IntWindowHwnd = editorWindow;
  HWND owner = editorWindow && IsWindow(editorWindow) ? GetAncestor(editorWindow, GA_ROOT) : nullptr;
  MainMenu1 = BuildMenu();
  // No minimise box: the window is modal over the editor.
  if (!CreateTopLevel(L"CsvList表示", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX, 0,
                      owner, MainMenu1, kDesignClient.cx, kDesignClient.cy)) {
    DestroyMenu(MainMenu1);
    MainMenu1 = nullptr;
    ShowError(owner, u"一覧ウィンドウを作成できませんでした。");
    return;
  }
  if (!CreateControls()) {
    ShowError(owner, u"一覧ウィンドウを作成できませんでした。");
    return;
  }
  FormShow();
  ShowModal(owner);
}

bool TFormCsvList::CreateControls() {
  HINSTANCE inst = ThisModule();
  auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex, int id) {
    return CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
  };
  // Creation order is the tab order: the panel's buttons and boxes, then the list.
  ButtonPrev = make(L"BUTTON", L"前ﾍﾟｰｼﾞ(&R)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonPrev);
  ButtonNext = make(L"BUTTON", L"次ﾍﾟｰｼﾞ(&E)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonNext);
  ButtonSearchPrev = make(L"BUTTON", L"前を検索(&P)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonSearchPrev);
  ButtonSearchNext = make(L"BUTTON", L"次を検索(&N)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonSearchNext);
  ButtonFitColumnWidth = make(L"BUTTON", L"幅調整(&A)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonFitColumnWidth);
  ButtonCancel = make(L"BUTTON", L"閉じる(&C)", WS_TABSTOP | BS_PUSHBUTTON, 0, IdButtonCancel);
  // Each label stands just before its box, so its access key focuses that box.
  Label3 = make(L"STATIC", L"検索(&D):", SS_LEFT, 0, IdLabel3);
  ComboBox3 = make(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, IdComboBox3);
  Label1 = make(L"STATIC", L"表示行数(&L):", SS_LEFT, 0, IdLabel1);
  ComboBox1 = make(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, IdComboBox1);
  Label2 = make(L"STATIC", L"幅(&W):", SS_LEFT, 0, IdLabel2);
  ComboBox2 = make(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, IdComboBox2);
  ListView1 = make(WC_LISTVIEWW, L"",
                   WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE,
                   IdListView1);
  StatusBar1 = make(STATUSCLASSNAMEW, L"", CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | SBARS_SIZEGRIP, 0,
                    IdStatusBar1);
  for (HWND h : {ButtonPrev, ButtonNext, ButtonSearchPrev, ButtonSearchNext, ButtonFitColumnWidth, ButtonCancel,
                 Label3, ComboBox3, Label1, ComboBox1, Label2, ComboBox2, ListView1, StatusBar1}) {
    if (!h) return false;
  }
  ListView_SetExtendedListViewStyle(ListView1, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  CreateListAids();

  uiFont_ = MakeUiFont(dpi_);
  statusFont_ = MakeUiFont(dpi_, 16);
  SetFontAll(hwnd_, uiFont_.get());
  SendMessageW(StatusBar1, WM_SETFONT, reinterpret_cast<WPARAM>(statusFont_.get()), FALSE);

  // Rows per page: 10, 12, ... 100; widths: 25, 50, ... 300.
  for (int n = 10; n <= 100; n += 2) SendMessageW(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(Number(n))));
  for (int n = 25; n <= 300; n += 25) SendMessageW(ComboBox2, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(Number(n))));
  SendMessageW(ComboBox3, CB_SETMINVISIBLE, 16, 0);
  SendMessageW(ComboBox1, CB_SETMINVISIBLE, 30, 0);
  SendMessageW(ComboBox2, CB_SETMINVISIBLE, 20, 0);

  // Panel positions are relative to the panel, which sits above the status bar.
  const int panelTop = kDesignClient.cy - kStatusHeight - kPanelHeight;
  auto inPanel = [&](HWND h, int l, int t, int w, int hgt) {
    layout_.push_back({h, l, panelTop + t, w, hgt, kLeft | kBottom});
  };
  inPanel(Label3, 20, 10, 80, 19);
  inPanel(ComboBox3, 105, 8, 350, 27 + 16 * 19);
  inPanel(Label1, 458, 10, 120, 19);
  inPanel(ComboBox1, 580, 8, 60, 27 + 30 * 19);
  inPanel(Label2, 648, 10, 60, 19);
  inPanel(ComboBox2, 710, 8, 60, 27 + 20 * 19);
  inPanel(ButtonPrev, 20, 40, 120, 25);
  inPanel(ButtonNext, 140, 40, 120, 25);
  inPanel(ButtonSearchPrev, 260, 40, 120, 25);
  inPanel(ButtonSearchNext, 380, 40, 120, 25);
  inPanel(ButtonFitColumnWidth, 500, 40, 140, 25);
  inPanel(ButtonCancel, 640, 40, 120, 25);
  layout_.push_back({ListView1, 0, 0, kDesignClient.cx, panelTop, kLeft | kTop | kRight | kBottom});
  layout_.push_back({StatusBar1, 0, kDesignClient.cy - kStatusHeight, kDesignClient.cx, kStatusHeight,
                     kLeft | kRight | kBottom});
  Layout();
  return true;
}

HMENU TFormCsvList::BuildMenu() {
  HMENU bar = CreateMenu();
  for (const auto& top : MenuDefinition()) {
    HMENU popup = CreatePopupMenu();
    for (const auto& item : top.items) {
      if (item.id == 0) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      } else {
        AppendMenuW(popup, MF_STRING, item.id, W(item.caption));
      }
    }
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), W(top.caption));
  }
  return bar;
}

void TFormCsvList::Layout() {
  if (!hwnd_ || layout_.empty()) return;
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  ApplyLayout(layout_, kDesignClient, {rc.right, rc.bottom}, dpi_);
  const int status = Scale(kStatusHeight, dpi_);
  panelRect_ = {0, rc.bottom - status - Scale(kPanelHeight, dpi_), rc.right, rc.bottom - status};
  // Panels 0 to 3 are 70 pixels; panel 4 takes the rest.
  int parts[5];
  for (int i = 0; i < 4; ++i) parts[i] = Scale(70, dpi_) * (i + 1);
  parts[4] = -1;
  SendMessageW(StatusBar1, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(parts));
  InvalidateRect(hwnd_, &panelRect_, TRUE);
}

// ---------------------------------------------------------------- start-up

void TFormCsvList::ReadSettings() {
  auto read = [&](const char16_t* section, const char16_t* key, std::u16string_view def) {
    return IniRead(StrIniFileName, section, key, def);
  };
  // Step 5: the stored rectangle.
  FormPosLeft = IniIntegerOr(read(u"FormCsvList", u"Left", u"0"), 0);
  FormPosTop = IniIntegerOr(read(u"FormCsvList", u"Top", u"0"), 0);
  FormPosWidth = IniIntegerOr(read(u"FormCsvList", u"Width", u"800"), 800);
  FormPosHeight = IniIntegerOr(read(u"FormCsvList", u"Height", u"480"), 480);
  StrFormState = read(u"FormCsvList", u"State", u"NORMAL");
  // Sums in 64 bits: stored values near the integer limits must fail the rectangle check, not wrap.
  FormPosRight = static_cast<int>(std::clamp<int64_t>(int64_t{FormPosLeft} + FormPosWidth, INT32_MIN, INT32_MAX));
  FormPosButtom = static_cast<int>(std::clamp<int64_t>(int64_t{FormPosTop} + FormPosHeight, INT32_MIN, INT32_MAX));

  // Step 6: font and colours. A size that is no whole number, or absurd, takes the default.
  FontDialog1.name = read(u"CsvListColor", u"FontName", u"ＭＳ ゴシック");
  if (FontDialog1.name.empty()) FontDialog1.name = u"ＭＳ ゴシック";
  int size = IniIntegerOr(read(u"CsvListColor", u"FontSize", u"14"), 14);
  FontDialog1.size = (size >= 1 && size <= 500) ? size : 14;
  FontDialog1.color = IniColorOr(read(u"CsvListColor", u"FontColor", u"clBlack"), kClBlack);
  ColorDialog1 = IniColorOr(read(u"CsvListColor", u"BackColor", u"clWhite"), kClWhite);
  ColorDialog2 = IniColorOr(read(u"CsvListColorHighLight", u"FontColor", u"clRed"), kClRed);
  ApplyListFont();
  ApplyListColors();

  // Step 7: rows per page and width. Negative is the first entry; past the end, the default.
  int disp = IniIntegerOr(read(u"CsvList", u"DispNum", u"5"), 5);
  int width = IniIntegerOr(read(u"CsvList", u"ColWidth", u"2"), 2);
  int dispCount = static_cast<int>(SendMessageW(ComboBox1, CB_GETCOUNT, 0, 0));
  int widthCount = static_cast<int>(SendMessageW(ComboBox2, CB_GETCOUNT, 0, 0));
  disp = disp < 0 ? 0 : (disp >= dispCount ? 5 : disp);
  width = width < 0 ? 0 : (width >= widthCount ? 2 : width);
  SendMessageW(ComboBox1, CB_SETCURSEL, disp, 0);
  SendMessageW(ComboBox2, CB_SETCURSEL, width, 0);
  IntMoveNum = ComboNumber(ComboBox1);

  // Step 8: highlight mode and words.
  SetChecked(MenuCsvListHiLightNone, IniFlagOr(read(u"CsvListHighLight", u"None", u"1"), true));
  SetChecked(MenuCsvListHiLightRow, IniFlagOr(read(u"CsvListHighLight", u"Row", u"0"), false));
  SetChecked(MenuCsvListHiLightCol, IniFlagOr(read(u"CsvListHighLight", u"Col", u"0"), false));
  StrHighLightFileName = read(u"CsvListHighLight", u"FileName", u"");
  if (!StrHighLightFileName.empty() && FileExists(StrHighLightFileName)) LoadHighLightWords(StrHighLightFileName);

  // Step 9: the splitter choice; the second item only ever shows its stored mark.
  SetChecked(MenuCsvAuto, IniFlagOr(read(u"CsvListAuto", u"Enabled", u"1"), true));
  SetChecked(MenuCsvEx1, IniFlagOr(read(u"CsvListEx1", u"Enabled", u"1"), true));
  EnableMenuItem(MainMenu1, MenuCsvEx1, MF_BYCOMMAND | MF_GRAYED);
}

void TFormCsvList::FormShow() {
  KillTimer(hwnd_, kTimer1);
  StrListKeyMap.clear();
  StrListKeyMapOriginal.clear();
  StrListEditorLines.Clear();
  StrListEditorAllLines.Clear();
  StrListHighLight.clear();

  StrDllFilePath = PluginFolder();
  StrIniFileName = StrDllFilePath + u"TovoCsvList.ini";

  // Step 4: the search history; the box's text starts empty.
  TextRead history = ReadTextLines(StrDllFilePath + kHistoryFile);
  SetComboItems(ComboBox3, history.lines);
  SetWindowTextW(ComboBox3, L"");

  ReadSettings();

  // Step 10.
  SetStatus(3, u"行:      桁:  ");

  // Step 11: the document, as the editor reports it. A negative count is no document; the
  // current line is clamped into the document so every later bound stays inside it.
  BoolLoadAll = false;
  LRESULT count = 0, current = 0;
  if (IntWindowHwnd && IsWindow(IntWindowHwnd)) {
    count = SendMessageW(IntWindowHwnd, 2052, 1, 0);
    current = SendMessageW(IntWindowHwnd, 2056, 1, static_cast<LPARAM>(-1));
  }
  IntEditorAllCount = static_cast<int32_t>(std::clamp<LRESULT>(count, 0, INT32_MAX));
  IntEditorRow = static_cast<int32_t>(std::clamp<LRESULT>(current, 0, std::max<int32_t>(IntEditorAllCount - 1, 0)));
  IntStartNum = IntEditorRow;

  // Step 13-14: the virtual screen and the window's place.
  MonitorTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
  MonitorLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
  MonitorWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  MonitorHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  MonitorRight = MonitorLeft + MonitorWidth;
  MonitorButtom = MonitorTop + MonitorHeight;
  PlaceWindow();

  // Step 15.
  SetUpColumns();

  // Step 16: the first page includes the last line (the page commands stop one before it).
  IntLineStart = IntEditorRow;
  IntLineEnd = static_cast<int32_t>(std::min<int64_t>(int64_t{IntLineStart} + IntMoveNum, IntEditorAllCount));
  SetListData();

  // Step 17.
  KeyMapStartUp();
}

// Step 18, once the window can take the focus.
void TFormCsvList::FormShown() noexcept { SetFocus(ListView1); }

void TFormCsvList::PlaceWindow() {
  const bool fits = MonitorTop <= FormPosTop + 9 && FormPosTop <= MonitorButtom && MonitorTop <= FormPosButtom &&
                    FormPosButtom <= MonitorButtom && MonitorLeft <= FormPosLeft + 9 && FormPosLeft <= MonitorRight &&
                    MonitorLeft <= FormPosRight && FormPosRight <= MonitorRight;
  if (fits) {
    SetWindowPos(hwnd_, nullptr, FormPosLeft, FormPosTop, FormPosWidth, FormPosHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(hwnd_, nullptr, 0, 0, Scale(kMinTrackW, dpi_), Scale(kMinTrackH, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TFormCsvList::SetUpColumns() {
  ListView_DeleteAllItems(ListView1);
  while (ListView_DeleteColumn(ListView1, 0)) {
  }
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  std::u16string caption = u"No";
  col.pszText = const_cast<wchar_t*>(W(caption));
  col.cx = Scale(FontDialog1.size * 60 / 12, dpi_);
  col.iSubItem = 0;
  ListView_InsertColumn(ListView1, 0, &col);
  const int width = Scale(ColumnWidthChoice(), dpi_);
  for (int i = 1; i <= kFieldColumns; ++i) {
    caption = {char16_t(u'0' + i / 10), char16_t(u'0' + i % 10)};
    col.pszText = const_cast<wchar_t*>(W(caption));
    col.cx = width;
    col.iSubItem = i;
    ListView_InsertColumn(ListView1, i, &col);
  }
  ListView_SetItemCountEx(ListView1, 0, 0);
}

void TFormCsvList::ApplyListFont() {
  listFont_ = MakeFont(FontDialog1.name, FontDialog1.size, dpi_);
  listFontBold_ = MakeFont(FontDialog1.name, FontDialog1.size, dpi_, true);
  SendMessageW(ListView1, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), TRUE);
  // The tooltip's lines are wrapped by the list font's widths.
  if (ToolTip1) SendMessageW(ToolTip1, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  charWidthsValid_ = false;
}

void TFormCsvList::ApplyListColors() {
  COLORREF text = ResolveColor(FontDialog1.color, &SystemColor, GetSysColor(COLOR_WINDOWTEXT));
  COLORREF back = ResolveColor(ColorDialog1, &SystemColor, GetSysColor(COLOR_WINDOW));
  ListView_SetTextColor(ListView1, text);
  ListView_SetTextBkColor(ListView1, back);
  ListView_SetBkColor(ListView1, back);
  InvalidateRect(ListView1, nullptr, TRUE);
}

// ---------------------------------------------------------------- closing

void TFormCsvList::FormClose() {
  std::vector<std::u16string> failures;
  {
    IniWriter ini(StrIniFileName);
    // Step 1: the rectangle only in the normal state.
    if (IsZoomed(hwnd_)) {
      ini.Set(u"FormCsvList", u"State", u"MAX");
    } else if (IsIconic(hwnd_)) {
      ini.Set(u"FormCsvList", u"State", u"MIN");
    } else {
      RECT rc{};
      GetWindowRect(hwnd_, &rc);
      ini.Set(u"FormCsvList", u"State", u"NORMAL");
      ini.Set(u"FormCsvList", u"Left", Number(rc.left));
      ini.Set(u"FormCsvList", u"Top", Number(rc.top));
      ini.Set(u"FormCsvList", u"Width", Number(rc.right - rc.left));
      ini.Set(u"FormCsvList", u"Height", Number(rc.bottom - rc.top));
    }
    ini.Set(u"CsvList", u"DispNum", Number(static_cast<int>(SendMessageW(ComboBox1, CB_GETCURSEL, 0, 0))));
    ini.Set(u"CsvList", u"ColWidth", Number(static_cast<int>(SendMessageW(ComboBox2, CB_GETCURSEL, 0, 0))));
    ini.Set(u"CsvListHighLight", u"None", IniFlagText(IsChecked(MenuCsvListHiLightNone)));
    ini.Set(u"CsvListHighLight", u"Row", IniFlagText(IsChecked(MenuCsvListHiLightRow)));
    ini.Set(u"CsvListHighLight", u"Col", IniFlagText(IsChecked(MenuCsvListHiLightCol)));
    ini.Set(u"CsvListHighLight", u"FileName", StrHighLightFileName);
    ini.Set(u"CsvListAuto", u"Enabled", IniFlagText(IsChecked(MenuCsvAuto)));
    ini.Set(u"CsvListEx1", u"Enabled", IniFlagText(IsChecked(MenuCsvEx1)));
    ini.Set(u"CsvListColor", u"FontName", FontDialog1.name);
    ini.Set(u"CsvListColor", u"FontSize", Number(FontDialog1.size));
    ini.Set(u"CsvListColor", u"FontColor", ColorToIniText(FontDialog1.color));
    ini.Set(u"CsvListColor", u"BackColor", ColorToIniText(ColorDialog1));
    ini.Set(u"CsvListColorHighLight", u"FontColor", ColorToIniText(ColorDialog2));
    if (DWORD err = ini.Commit()) failures.push_back(StrIniFileName + u"\r\n" + ErrorText(err));
  }

  // Step 6: the window's string lists.
  StrListKeyMap.clear();
  StrListKeyMapOriginal.clear();
  StrListEditorLines.Clear();
  StrListEditorAllLines.Clear();
  rows_.Clear();
  StrListHighLight.clear();

  // Step 7: the first 32 history entries.
  std::vector<std::u16string> history = ComboItems(ComboBox3);
  if (history.size() > kHistoryWritten) history.resize(kHistoryWritten);
  const std::u16string historyPath = StrDllFilePath + kHistoryFile;
  if (DWORD err = WriteTextLines(historyPath, history)) failures.push_back(historyPath + u"\r\n" + ErrorText(err));

  // The window closes all the same; the user learns what was not kept.
  if (!failures.empty()) {
    std::u16string text = u"設定を保存できませんでした:";
    for (const auto& f : failures) text += u"\r\n\r\n" + f;
    ShowMessage(hwnd_, text, MB_OK | MB_ICONWARNING);
  }
}

// ---------------------------------------------------------------- handlers of this file

void TFormCsvList::WmGetMinMaxInfo(MINMAXINFO* info) {
  info->ptMinTrackSize.x = Scale(kMinTrackW, dpi_);
  info->ptMinTrackSize.y = Scale(kMinTrackH, dpi_);
}

void TFormCsvList::ComboBox1Change() {
  if (BoolLoadAll || Busy()) return;
  IntMoveNum = ComboNumber(ComboBox1);
  IntLineEnd = static_cast<int32_t>(std::min<int64_t>(int64_t{IntLineStart} + IntMoveNum, IntEditorAllCount - 1));
  SetListData();
}

void TFormCsvList::ComboBox2Change() {
  const int width = ColumnWidthChoice();
  for (int i = 1; i <= kFieldColumns; ++i) SetColumnWidthPx(i, width);
}

int TFormCsvList::ColumnWidthChoice() const { return ComboNumber(ComboBox2); }

void TFormCsvList::SetColumnWidthPx(int column, int px96) { ListView_SetColumnWidth(ListView1, column, Scale(px96, dpi_)); }

void TFormCsvList::ButtonCancelClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void TFormCsvList::MenuCsvListCloseClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

bool TFormCsvList::IsChecked(UINT item) const {
  return (GetMenuState(MainMenu1, item, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TFormCsvList::SetChecked(UINT item, bool checked) {
  CheckMenuItem(MainMenu1, item, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TFormCsvList::SetStatus(int panel, std::u16string_view text) {
  std::u16string copy(text);
  SendMessageW(StatusBar1, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(W(copy)));
}

std::u16string TFormCsvList::StatusText(int panel) const {
  auto len = LOWORD(SendMessageW(StatusBar1, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
  std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(StatusBar1, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(buf.data()));
  buf.resize(len);
  return U(buf);
}

void TFormCsvList::RepaintStatus() { UpdateWindow(StatusBar1); }

// ---------------------------------------------------------------- dispatch

void TFormCsvList::RunCommand(UINT id) {
  // Disabled items never run, whichever way they are reached.
  if (GetMenuState(MainMenu1, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) return;
  switch (id) {
    case MenuCsvListLoadAll: MenuCsvListLoadAllClick(); break;
    case MenuCsvListFitColumnWidth: MenuCsvListFitColumnWidthClick(); break;
    case MenuAddHeader: MenuAddHeaderClick(); break;
    case MenuCsvListClose: MenuCsvListCloseClick(); break;
    case MenuCsvListSearchNext: MenuCsvListSearchNextClick(); break;
    case MenuCsvListSearchPrev: MenuCsvListSearchPrevClick(); break;
    case MenuCsvListJump: MenuCsvListJumpClick(); break;
    case MenuMoveStartPosition: MenuMoveStartPositionClick(); break;
    case MenuCsvListTop: MenuCsvListTopClick(); break;
    case MenuCsvListPrev: MenuCsvListPrevClick(); break;
    case MenuCsvListNext: MenuCsvListNextClick(); break;
    case MenuCsvListEnd: MenuCsvListEndClick(); break;
    case MenuCsvListFontColor: MenuCsvListFontColorClick(); break;
    case MenuCsvListBackColor: MenuCsvListBackColorClick(); break;
    case MenuCsvListHiligtFile: MenuCsvListHiligtFileClick(); break;
    case MenuCsvListFontColorHilightRow: MenuCsvListFontColorHilightRowClick(); break;
    case MenuCsvListFontColorHilightCol: MenuCsvListFontColorHilightColClick(); break;
    case MenuCsvListHiLightNone: MenuCsvListHiLightNoneClick(); break;
    case MenuCsvListHiLightRow: MenuCsvListHiLightRowClick(); break;
    case MenuCsvListHiLightCol: MenuCsvListHiLightColClick(); break;
    case MenuCsvListKeyBoard: MenuCsvListKeyBoardClick(); break;
    case MenuCsvListShowHelp: MenuCsvListShowHelpClick(); break;
    case MenuCsvAuto: MenuCsvAutoClick(); break;
    case MenuCsvEx1: MenuCsvEx1Click(); break;
    default: break;
  }
}

void TFormCsvList::OnCommand(WORD id, WORD code, HWND control) {
  if (!control) {  // a menu item (code 0) or an accelerator (code 1)
    RunCommand(id);
    return;
  }
  switch (id) {
    case IdButtonPrev: if (code == BN_CLICKED) ButtonPrevClick(); break;
    case IdButtonNext: if (code == BN_CLICKED) ButtonNextClick(); break;
    case IdButtonSearchPrev: if (code == BN_CLICKED) ButtonSearchPrevClick(); break;
    case IdButtonSearchNext: if (code == BN_CLICKED) ButtonSearchNextClick(); break;
    case IdButtonFitColumnWidth: if (code == BN_CLICKED) ButtonFitColumnWidthClick(); break;
    case IdButtonCancel: if (code == BN_CLICKED) ButtonCancelClick(); break;
    case IdComboBox1: if (code == CBN_SELCHANGE) ComboBox1Change(); break;
    case IdComboBox2: if (code == CBN_SELCHANGE) ComboBox2Change(); break;
    default: break;
  }
}

LRESULT TFormCsvList::OnNotify(NMHDR* hdr) {
  if (hdr->idFrom != IdListView1) return 0;
  switch (hdr->code) {
    case LVN_GETDISPINFOW: ListView1GetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(hdr)); return 0;
    case NM_CUSTOMDRAW: return ListView1CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(hdr));
    case NM_CLICK: ListView1Click(); return 0;
    case LVN_COLUMNCLICK: ListView1ColumnClick(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem); return 0;
    default: return 0;
  }
}

bool TFormCsvList::PreviewMessage(MSG& msg) {
  if (msg.message == WM_CHAR) {
    // The three boxes discard Enter and Esc (the search box's edit is a child of its box).
    HWND parent = GetParent(msg.hwnd);
    bool inBox = msg.hwnd == ComboBox1 || msg.hwnd == ComboBox2 || msg.hwnd == ComboBox3 || parent == ComboBox3;
    return inBox && (msg.wParam == 13 || msg.wParam == 27);
  }
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    // Keys the window posts to the list itself go straight to the list.
    if (msg.lParam == kSelfPostedKey) return false;
    if (MatchShortCut(msg)) return true;
    if (msg.message == WM_KEYDOWN && msg.hwnd == ListView1 && ListView1KeyDown(msg.wParam)) return true;
    if (msg.message == WM_KEYDOWN) return FormKeyDown(msg.wParam);
  }
  return false;
}

LRESULT TFormCsvList::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_SIZE: Layout(); return 0;
    case WM_GETMINMAXINFO: WmGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp)); return 0;
    case WM_TIMER:
      if (wp == kTimer1) Timer1Timer();
      if (wp == kTimerTip) TimerTipTimer();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) HideCellTip();
      return Default(msg, wp, lp);
    case WM_PAINT: PaintPanels({panelRect_}); return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      uiFont_ = MakeUiFont(dpi_);
      statusFont_ = MakeUiFont(dpi_, 16);
      SetFontAll(hwnd_, uiFont_.get());
      SendMessageW(StatusBar1, WM_SETFONT, reinterpret_cast<WPARAM>(statusFont_.get()), FALSE);
      ApplyListFont();
      MoveToSuggestedRect(lp);
      return 0;
    }
    case WM_CLOSE:
      // A loop that processes messages is running: it stops at its next check, then closes.
      if (Busy()) {
        closePending_ = true;
        return 0;
      }
      FormClose();
      EndModal(IDCANCEL);
      return 0;
    default: return Default(msg, wp, lp);
  }
}

}  // namespace tovo
