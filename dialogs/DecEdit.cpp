// The numeric edit box: an EDIT control whose typed characters pass a filter first.
#include "dialogs/DecEdit.h"

#include <commctrl.h>

#include <string>

#include "win/Form.h"
#include "win/Text.h"

namespace tovo {

using namespace win;

namespace {

constexpr UINT_PTR kSubclassId = 0x7DEC;

DWORD AlignmentStyle(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taRightJustify: return ES_RIGHT;
    case TAlignment::taCenter: return ES_CENTER;
    case TAlignment::taLeftJustify: return ES_LEFT;
  }
  return ES_LEFT;
}

}  // namespace

TDecEdit::~TDecEdit() {
  // The parent destroys the window; only our hook into it goes here.
  if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, &TDecEdit::SubclassProc, kSubclassId);
}

bool TDecEdit::Create(HWND parent, int id, DWORD style, DWORD exStyle) {
  id_ = id;
  style_ = style;
  exStyle_ = exStyle;
  hwnd_ = CreateHandle(parent, nullptr);
  return hwnd_ != nullptr;
}

HWND TDecEdit::CreateHandle(HWND parent, HWND insertAfter) {
  const DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | AlignmentStyle(alignment_) | style_;
  HWND hwnd = CreateWindowExW(exStyle_, L"EDIT", L"", style, 0, 0, 10, 10, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), ThisModule(), nullptr);
  if (!hwnd) return nullptr;
  if (insertAfter) SetWindowPos(hwnd, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowSubclass(hwnd, &TDecEdit::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  return hwnd;
}

void TDecEdit::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  if (!hwnd_) return;
  HWND old = hwnd_;
  HWND parent = GetParent(old);
  // Just after the old window's predecessor: the tab order stays as it was.
  HWND before = GetWindow(old, GW_HWNDPREV);
  RECT rc{};
  GetWindowRect(old, &rc);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  const std::u16string text = WindowText(old);
  const auto font = SendMessageW(old, WM_GETFONT, 0, 0);
  const bool hadFocus = GetFocus() == old;

  HWND made = CreateHandle(parent, before ? before : HWND_TOP);
  if (!made) return;  // the old window stays, with its old justification
  hwnd_ = made;
  SetWindowPos(made, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(made, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  SetText(made, text);
  RemoveWindowSubclass(old, &TDecEdit::SubclassProc, kSubclassId);
  DestroyWindow(old);
  if (hadFocus) SetFocus(made);
}

bool TDecEdit::KeyPress(char16_t& key) {
  DWORD selStart = 0;
  SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), 0);
  if (!DecEditAccepts(numericType_, key, static_cast<int>(selStart), WindowText(hwnd_))) return false;
  if (OnKeyPress) OnKeyPress(key);
  return key != 0;
}

LRESULT CALLBACK TDecEdit::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  auto* edit = reinterpret_cast<TDecEdit*>(self);
  if (msg == WM_CHAR && edit && hwnd == edit->hwnd_) {
    // A UTF-16 unit is all WM_CHAR carries in a Unicode window.
    auto key = static_cast<char16_t>(wp);
    bool accepted = false;
    try {
      accepted = edit->KeyPress(key);
    } catch (...) {
      // Nothing may leave a window procedure; the character is simply not taken.
    }
    if (!accepted) return 0;
    wp = key;
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &TDecEdit::SubclassProc, kSubclassId);
    if (edit && edit->hwnd_ == hwnd) edit->hwnd_ = nullptr;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace tovo
