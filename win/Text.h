// Text between the plug-in and Windows: UTF-16 views for the W functions, window texts, the
// ANSI code page, and text put on the clipboard.
#pragma once
#include <windows.h>

#include <string>
#include <vector>
#include <string_view>

namespace tovo::win {

// wchar_t and char16_t are both UTF-16 code units on Windows.
inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline std::u16string U(std::wstring_view s) { return {reinterpret_cast<const char16_t*>(s.data()), s.size()}; }
inline std::u16string U(const wchar_t* s) { return s ? U(std::wstring_view(s)) : std::u16string(); }
inline std::wstring_view WV(std::u16string_view s) { return {reinterpret_cast<const wchar_t*>(s.data()), s.size()}; }

std::u16string WindowText(HWND hwnd);
void SetText(HWND hwnd, std::u16string_view text);

// The ANSI code page both ways. Encoding fails (false) when a character has no exact byte form.
std::u16string AnsiDecode(std::string_view bytes);
bool AnsiEncode(std::u16string_view text, std::string& out);

// Puts UTF-16 text on the clipboard as CF_UNICODETEXT; false when the clipboard could not be taken.
bool CopyTextToClipboard(HWND owner, std::u16string_view text);

// A combo box's list entries, and replacing them without a repaint per entry.
std::vector<std::u16string> ComboItems(HWND combo);
void SetComboItems(HWND combo, const std::vector<std::u16string>& items);

}  // namespace tovo::win
