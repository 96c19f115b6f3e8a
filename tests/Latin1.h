// A stand-in for a single-byte ANSI code page, shared by the native tests and the fuzz programs:
// Latin-1 in, and out only when every character fits.
#pragma once

#include <string>
#include <string_view>

namespace tovotest {

inline std::u16string Latin1Decode(std::string_view bytes) {
  std::u16string out;
  for (unsigned char b : bytes) out.push_back(b);
  return out;
}

inline bool Latin1Encode(std::u16string_view text, std::string& out) {
  out.clear();
  for (char16_t c : text) {
    if (c > 0xFF) return false;
    out.push_back(static_cast<char>(c));
  }
  return true;
}

}  // namespace tovotest
