// Text files as the plug-in reads and writes them: byte-order mark detection, the three line ends,
// and the ANSI code page through converters the platform supplies.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tovo {

// The system's ANSI code page lives outside core: the Windows side passes MultiByteToWideChar and
// WideCharToMultiByte wrappers, the tests pass fakes.
using AnsiDecodeFn = std::u16string (*)(std::string_view bytes);
// Returns false when some character has no form in the code page (nothing may be lost silently).
using AnsiEncodeFn = bool (*)(std::u16string_view text, std::string& out);

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

TextEncoding DetectEncoding(std::string_view bytes);
// Decodes a whole file. Invalid UTF-8 becomes U+FFFD; an odd trailing byte of UTF-16 is dropped.
std::u16string DecodeText(std::string_view bytes, AnsiDecodeFn ansi);
// Lines end at CR LF, LF or CR; a final break adds no empty line; empty text gives no lines.
std::vector<std::u16string> SplitLines(std::u16string_view text);
std::vector<std::u16string> DecodeTextLines(std::string_view bytes, AnsiDecodeFn ansi);

// Every line ended by CR LF. In the ANSI code page without a mark when every character fits and
// the bytes do not begin like a mark; otherwise UTF-8 with a mark, or UTF-16 LE with a mark when
// the text holds unpaired surrogates (which UTF-8 cannot carry), so the readers get back exactly
// what was written.
std::string EncodeTextLines(const std::vector<std::u16string>& lines, AnsiEncodeFn ansi);

// UTF-16 LE with its mark; every unit kept as it is, unpaired surrogates too.
std::string ToUtf16LE(std::u16string_view text);
std::string ToUtf8(std::u16string_view text);  // unpaired surrogates become U+FFFD
std::u16string FromUtf8(std::string_view bytes);
bool HasUnpairedSurrogate(std::u16string_view text);

}  // namespace tovo
