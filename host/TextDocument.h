// The stand-in editor's document: decoded text plus where each line starts, so the plug-in's
// per-line requests cost O(1) instead of a walk through the edit control's lines.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tovo::host {

// Decodes a text file's bytes: a byte-order mark selects UTF-8 or UTF-16 little- or big-endian,
// otherwise the system's ANSI code page. Returns false only when the text is too large to decode.
bool DecodeText(std::string_view bytes, std::wstring& text);

class TextDocument {
 public:
  // Text as read from a file: lines end at CR LF, LF or CR and a final break adds no line,
  // so an empty file has no lines and "\r\n" has one empty line.
  void SetFileText(std::wstring_view text);
  // Text read back from the edit control after the user changed it: the control breaks lines
  // only at CR LF, and its empty text is taken as a document of no lines.
  void SetControlText(std::wstring text);

  size_t LineCount() const { return lines_.size(); }
  // Empty for an index past the end.
  std::wstring_view Line(size_t index) const;
  // The lines joined by CR LF, what the edit control shows (without a final break).
  const std::wstring& JoinedText() const { return text_; }

 private:
  struct Span {
    size_t start;
    size_t length;
  };
  std::wstring text_;
  std::vector<Span> lines_;
};

}  // namespace tovo::host
