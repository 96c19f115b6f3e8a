#include "host/TextDocument.h"

#include <windows.h>

#include <climits>

namespace tovo::host {
namespace {

bool StartsWith(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

bool DecodeCodePage(UINT codePage, std::string_view bytes, std::wstring& text) {
  text.clear();
  if (bytes.empty()) return true;
  if (bytes.size() > INT_MAX) return false;
  const int n = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(codePage, 0, bytes.data(), n, nullptr, 0);
  if (units <= 0) return false;
  text.resize(static_cast<size_t>(units));
  MultiByteToWideChar(codePage, 0, bytes.data(), n, text.data(), units);
  return true;
}

void DecodeUtf16(std::string_view bytes, bool bigEndian, std::wstring& text) {
  const size_t units = bytes.size() / 2;
  text.resize(units);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0; i < units; ++i) {
    const unsigned lo = p[2 * i + (bigEndian ? 1 : 0)];
    const unsigned hi = p[2 * i + (bigEndian ? 0 : 1)];
    text[i] = static_cast<wchar_t>(lo | (hi << 8));
  }
  // A torn last unit is shown, not dropped without a trace.
  if (bytes.size() % 2 != 0) text.push_back(L'\xFFFD');
}

}  // namespace

bool DecodeText(std::string_view bytes, std::wstring& text) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return DecodeCodePage(CP_UTF8, bytes.substr(3), text);
  if (StartsWith(bytes, "\xFF\xFE")) {
    DecodeUtf16(bytes.substr(2), false, text);
    return true;
  }
  if (StartsWith(bytes, "\xFE\xFF")) {
    DecodeUtf16(bytes.substr(2), true, text);
    return true;
  }
  return DecodeCodePage(CP_ACP, bytes, text);
}

void TextDocument::SetFileText(std::wstring_view text) {
  text_.clear();
  lines_.clear();
  text_.reserve(text.size() + text.size() / 16);
  // One pass over the characters; the only allocations are the two growing buffers.
  size_t i = 0;
  while (i < text.size()) {
    if (!lines_.empty()) text_ += L"\r\n";
    const size_t start = text_.size();
    size_t end = i;
    while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
    text_.append(text.substr(i, end - i));
    lines_.push_back({start, end - i});
    i = end;
    if (i == text.size()) break;
    const bool crlf = text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n';
    i += crlf ? 2 : 1;
  }
}

void TextDocument::SetControlText(std::wstring text) {
  text_ = std::move(text);
  lines_.clear();
  if (text_.empty()) return;
  size_t start = 0;
  for (;;) {
    const size_t brk = text_.find(L"\r\n", start);
    if (brk == std::wstring::npos) {
      lines_.push_back({start, text_.size() - start});
      return;
    }
    lines_.push_back({start, brk - start});
    start = brk + 2;
  }
}

std::wstring_view TextDocument::Line(size_t index) const {
  if (index >= lines_.size()) return {};
  return std::wstring_view(text_).substr(lines_[index].start, lines_[index].length);
}

}  // namespace tovo::host
