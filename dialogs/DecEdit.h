// A single-line edit box that takes only the characters of a number as they are typed.
#pragma once
#include <windows.h>

#include <functional>

#include "core/DecEditFilter.h"

namespace tovo {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Wraps a subclassed EDIT control. The filter sees WM_CHAR before the control does; a rejected
// character goes no further (neither into the text nor to OnKeyPress). Pasted text is not
// filtered: only typing is.
class TDecEdit {
 public:
  TDecEdit() = default;
  ~TDecEdit();
  TDecEdit(const TDecEdit&) = delete;
  TDecEdit& operator=(const TDecEdit&) = delete;

  // Creates the control as a child of `parent`; place it with the parent's layout.
  bool Create(HWND parent, int id, DWORD style = WS_TABSTOP, DWORD exStyle = WS_EX_CLIENTEDGE);
  HWND Handle() const { return hwnd_; }

  TNumericalType NumericType() const { return numericType_; }
  void SetNumericType(TNumericalType type) { numericType_ = type; }

  // Kept by the control; a different value re-creates its window (text, font, place and tab
  // position carried over), as the edit's justification is fixed at creation.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

  // Raised for every accepted character; setting it to 0 drops the character.
  std::function<void(char16_t& key)> OnKeyPress;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
  HWND CreateHandle(HWND parent, HWND insertAfter);
  bool KeyPress(char16_t& key);  // false: the character is dropped

  HWND hwnd_ = nullptr;
  int id_ = 0;
  DWORD style_ = 0;
  DWORD exStyle_ = 0;
  TNumericalType numericType_ = TNumericalType::DecimalUnSigned;
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

}  // namespace tovo
