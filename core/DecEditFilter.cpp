#include "core/DecEditFilter.h"

namespace tovo {

namespace {

constexpr char16_t kBackspace = 8;

bool IsDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}

int HexValue(char16_t ch)
{
    if (ch >= u'0' && ch <= u'9') return ch - u'0';
    if (ch >= u'a' && ch <= u'f') return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F') return ch - u'A' + 10;
    return -1;
}

std::optional<int32_t> ParseHex(std::u16string_view digits)
{
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char16_t ch : digits) {
        const int d = HexValue(ch);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

}  // namespace

bool DecEditAccepts(TNumericalType type, char16_t ch, int caretPos, std::u16string_view text)
{
    if (ch > 255) return false;
    if (ch == kBackspace || IsDigit(ch)) return true;
    const bool signedType = type == TNumericalType::DecimalSigned || type == TNumericalType::DoubleSigned;
    const bool doubleType = type == TNumericalType::DoubleUnSigned || type == TNumericalType::DoubleSigned;
    if (ch == u'-') return signedType && caretPos == 0;
    if (ch == u'.') return doubleType && text.find(u'.') == std::u16string_view::npos;
    return false;
}

std::optional<int32_t> ParseInt32Strict(std::u16string_view text)
{
    if (text.size() >= 1 && text[0] == u'$') return ParseHex(text.substr(1));
    if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) return ParseHex(text.substr(2));

    bool negative = false;
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t value = 0;
    for (char16_t ch : text) {
        if (!IsDigit(ch)) return std::nullopt;
        value = value * 10 + (ch - u'0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

std::u16string NotAnIntegerMessage(std::u16string_view text)
{
    std::u16string message = u"'";
    message.append(text);
    message += u"' は整数ではありません.";
    return message;
}

}  // namespace tovo
