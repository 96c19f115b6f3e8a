// Settings value forms: integers and colours as text, and every 32-bit value formatted and read
// back. A value that reads must format to a text that reads as the same value.
#include <cstring>
#include <string>

#include "core/IniValues.h"
#include "tests/fuzz/FuzzInput.h"

using namespace tovo;

namespace {

constexpr uint32_t kFallback = 0x00FEDCBA;
int lastSystemIndex = -1;

uint32_t FakeSystemColor(int index)
{
    lastSystemIndex = index;
    return 0x00010000u | static_cast<uint32_t>(index);
}

bool IsTableName(std::u16string_view text)
{
    for (int i = 0; i < kColorNameCount; ++i)
        if (ColorNames()[i].name == text) return true;
    return false;
}

void CheckColorValue(uint32_t color)
{
    const std::u16string text = ColorToIniText(color);
    FUZZ_CHECK(IsTableName(text) || (text.size() == 9 && text[0] == u'$'));
    FUZZ_CHECK(ParseIniColor(text) == color);
    FUZZ_CHECK(IniColorOr(text, ~color) == color);

    lastSystemIndex = -1;
    const uint32_t rgb = ResolveColor(color, FakeSystemColor, kFallback);
    FUZZ_CHECK(rgb <= 0x00FFFFFFu);
    if (lastSystemIndex >= 0) {
        FUZZ_CHECK(lastSystemIndex <= 0xFF);
        FUZZ_CHECK(rgb == (0x00010000u | static_cast<uint32_t>(lastSystemIndex)));
    }
}

void CheckIntegerValue(int32_t value)
{
    const std::u16string text = IniIntegerText(value);
    FUZZ_CHECK(ParseIniInteger(text) == value);
    FUZZ_CHECK(IniFlagOr(IniFlagText(value != 0), value == 0) == (value != 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string text = fuzz::Utf16FromBytes(data, size);

    const std::optional<int32_t> number = ParseIniInteger(text);
    FUZZ_CHECK(IniIntegerOr(text, 7) == number.value_or(7));
    FUZZ_CHECK(IniFlagOr(text, true) == (number ? *number != 0 : true));
    if (number) CheckIntegerValue(*number);

    const std::optional<uint32_t> color = ParseIniColor(text);
    // Every integer text is a colour too, with the same bits.
    if (number) FUZZ_CHECK(color == static_cast<uint32_t>(*number));
    FUZZ_CHECK(IniColorOr(text, kFallback) == color.value_or(kFallback));
    if (color) CheckColorValue(*color);

    if (size >= 4) {
        uint32_t bits;
        std::memcpy(&bits, data, 4);
        CheckIntegerValue(static_cast<int32_t>(bits));
        CheckColorValue(bits);
    }
    return 0;
}
