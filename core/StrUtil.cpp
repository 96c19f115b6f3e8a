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

std::u16string FormatZeroPadded(int64_t value, int digits)
{
    // Work on the magnitude as unsigned so INT64_MIN has no overflowing negation.
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char16_t buffer[24];
    size_t n = 0;
    do {
        buffer[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::u16string out;
    if (negative) out.push_back(u'-');
    for (int pad = digits - static_cast<int>(n); pad > 0; --pad) out.push_back(u'0');
    while (n > 0) out.push_back(buffer[--n]);
    return out;
}

std::u16string AsciiToU16(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace tovo
