#include "core/StrUtil.h"

namespace tovo {

std::u16string_view Trim(std::u16string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && text[begin] <= u' ') ++begin;
    while (end > begin && text[end - 1] <= u' ') --end;
    return text.substr(begin, end - begin);
}

bool Contains(std::u16string_view text, std::u16string_view part)
{
    return text.find(part) != std::u16string_view::npos;
}

bool IsEmptyField(std::u16string_view field)
{
    for (const char16_t c : field) {
        if (c != u' ' && c != u'\u3000') return false;
    }
    return true;
}

std::u16string RemoveAll(std::u16string_view text, std::u16string_view part)
{
    if (part.empty()) return std::u16string(text);
    std::u16string out;
    out.reserve(text.size());
    size_t pos = 0;
    for (;;) {
        const size_t hit = text.find(part, pos);
        if (hit == std::u16string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        pos = hit + part.size();
    }
    out.append(text.substr(pos));
    return out;
}

int WriteDecimal(int64_t value, int minDigits, char16_t* out)
{
    // Magnitude as unsigned so INT64_MIN does not overflow.
    uint64_t magnitude = value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char16_t digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (minDigits > 19) minDigits = 19;
    int len = 0;
    if (value < 0) out[len++] = u'-';
    for (int pad = minDigits - count; pad > 0; --pad) out[len++] = u'0';
    while (count > 0) out[len++] = digits[--count];
    out[len] = u'\0';
    return len;
}

std::u16string DecimalText(int64_t value, int minDigits)
{
    char16_t buffer[kDecimalBufferSize];
    const int len = WriteDecimal(value, minDigits, buffer);
    return std::u16string(buffer, static_cast<size_t>(len));
}

}  // namespace tovo
