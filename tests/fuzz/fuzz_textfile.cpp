// Text-file decoding of raw bytes (marks, UTF-8, UTF-16, a Latin-1 stand-in for the ANSI code
// page) and the encode/decode round trip of lines, both from the decoded bytes and from the input
// read as UTF-16 with any code unit.
#include <string>
#include <string_view>
#include <vector>

#include "core/TextFile.h"
#include "tests/Latin1.h"
#include "tests/fuzz/FuzzInput.h"

using namespace tovo;

namespace {

using tovotest::Latin1Decode;
using tovotest::Latin1Encode;

void CheckDecode(std::string_view bytes, const std::u16string& text)
{
    switch (DetectEncoding(bytes)) {
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: FUZZ_CHECK(text.size() == (bytes.size() - 2) / 2); break;
        case TextEncoding::Utf8: {
            const std::string_view body = bytes.substr(3);
            FUZZ_CHECK(text.size() <= body.size());
            FUZZ_CHECK(!HasUnpairedSurrogate(text));
            // Without a replacement every sequence was valid, so encoding gives the bytes back.
            if (text.find(char16_t{0xFFFD}) == std::u16string::npos) FUZZ_CHECK(ToUtf8(text) == body);
            FUZZ_CHECK(FromUtf8(ToUtf8(text)) == text);
            break;
        }
        case TextEncoding::Ansi: FUZZ_CHECK(text == Latin1Decode(bytes)); break;
    }
}

void CheckLines(std::u16string_view text, const std::vector<std::u16string>& lines)
{
    size_t units = 0;
    std::u16string rejoined;
    for (const std::u16string& line : lines) {
        FUZZ_CHECK(line.find_first_of(u"\r\n") == std::u16string::npos);
        units += line.size() + 1;
        rejoined += line;
        rejoined += u'\n';
    }
    FUZZ_CHECK(units <= text.size() + 1);
    FUZZ_CHECK(SplitLines(rejoined) == lines);
}

void CheckRoundTrip(const std::vector<std::u16string>& lines)
{
    const std::string bytes = EncodeTextLines(lines, Latin1Encode);
    FUZZ_CHECK(DecodeTextLines(bytes, Latin1Decode) == lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = DecodeText(bytes, Latin1Decode);
    CheckDecode(bytes, text);
    const std::vector<std::u16string> lines = SplitLines(text);
    FUZZ_CHECK(DecodeTextLines(bytes, Latin1Decode) == lines);
    CheckLines(text, lines);
    CheckRoundTrip(lines);

    const std::u16string units = fuzz::Utf16FromBytes(data, size);
    const std::vector<std::u16string> unitLines = SplitLines(units);
    CheckLines(units, unitLines);
    CheckRoundTrip(unitLines);
    FUZZ_CHECK(ToUtf8(units).size() <= units.size() * 3);
    return 0;
}
