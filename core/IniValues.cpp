#include "core/IniValues.h"

#include <array>

#include "core/StrUtil.h"

namespace tovo {

namespace {
constexpr std::array<ColorName, kColorNameCount> kColors{{
    {u"clBlack", 0x00000000},
    {u"clMaroon", 0x00000080},
    {u"clGreen", 0x00008000},
    {u"clOlive", 0x00008080},
    {u"clNavy", 0x00800000},
    {u"clPurple", 0x00800080},
    {u"clTeal", 0x00808000},
    {u"clGray", 0x00808080},
    {u"clSilver", 0x00C0C0C0},
    {u"clRed", 0x000000FF},
    {u"clLime", 0x0000FF00},
    {u"clYellow", 0x0000FFFF},
    {u"clBlue", 0x00FF0000},
    {u"clFuchsia", 0x00FF00FF},
    {u"clAqua", 0x00FFFF00},
    {u"clWhite", 0x00FFFFFF},
    {u"clMoneyGreen", 0x00C0DCC0},
    {u"clSkyBlue", 0x00F0CAA6},
    {u"clCream", 0x00F0FBFF},
    {u"clMedGray", 0x00A4A0A0},
    {u"clActiveBorder", 0xFF00000A},
    {u"clActiveCaption", 0xFF000002},
    {u"clAppWorkSpace", 0xFF00000C},
    {u"clBackground", 0xFF000001},
    {u"clBtnFace", 0xFF00000F},
    {u"clBtnHighlight", 0xFF000014},
    {u"clBtnShadow", 0xFF000010},
    {u"clBtnText", 0xFF000012},
    {u"clCaptionText", 0xFF000009},
    {u"clDefault", 0x20000000},
    {u"clGradientActiveCaption", 0xFF00001B},
    {u"clGradientInactiveCaption", 0xFF00001C},
    {u"clGrayText", 0xFF000011},
    {u"clHighlight", 0xFF00000D},
    {u"clHighlightText", 0xFF00000E},
    {u"clHotLight", 0xFF00001A},
    {u"clInactiveBorder", 0xFF00000B},
    {u"clInactiveCaption", 0xFF000003},
    {u"clInactiveCaptionText", 0xFF000013},
    {u"clInfoBk", 0xFF000018},
    {u"clInfoText", 0xFF000017},
    {u"clMenu", 0xFF000004},
    {u"clMenuBar", 0xFF00001E},
    {u"clMenuHighlight", 0xFF00001D},
    {u"clMenuText", 0xFF000007},
    {u"clNone", 0x1FFFFFFF},
    {u"clScrollBar", 0xFF000000},
    {u"cl3DDkShadow", 0xFF000015},
    {u"cl3DLight", 0xFF000016},
    {u"clWindow", 0xFF000005},
    {u"clWindowFrame", 0xFF000006},
    {u"clWindowText", 0xFF000008},
}};

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

char16_t FoldAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

bool EqualsFoldAscii(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}
}  // namespace

const ColorName* ColorNames()
{
    return kColors.data();
}

std::optional<int32_t> ParseIniInteger(std::u16string_view text)
{
    bool negative = false;
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    bool hex = false;
    if (!text.empty() && text[0] == u'$') {
        hex = true;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        hex = true;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char16_t c : text) {
        int d = hex ? HexDigit(c) : (c >= u'0' && c <= u'9' ? c - u'0' : -1);
        if (d < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (hex) {
        // Hex is a bit pattern: $FFFFFFFF is -1, as colours rely on.
        uint32_t bits = static_cast<uint32_t>(value);
        if (negative) bits = 0u - bits;
        return static_cast<int32_t>(bits);
    }
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<int32_t>(-static_cast<int64_t>(value));
    }
    if (value > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t IniIntegerOr(std::u16string_view text, int32_t fallback)
{
    return ParseIniInteger(text).value_or(fallback);
}

bool IniFlagOr(std::u16string_view text, bool fallback)
{
    auto v = ParseIniInteger(text);
    return v ? *v != 0 : fallback;
}

std::u16string IniIntegerText(int32_t value)
{
    return DecimalText(value, 1);
}

std::u16string IniFlagText(bool value)
{
    return value ? u"1" : u"0";
}

std::u16string ColorToIniText(uint32_t color)
{
    for (const auto& entry : kColors) {
        if (entry.value == color) return std::u16string(entry.name);
    }
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string out = u"$";
    for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kHex[(color >> shift) & 0xF]);
    return out;
}

std::optional<uint32_t> ParseIniColor(std::u16string_view text)
{
    for (const auto& entry : kColors) {
        if (EqualsFoldAscii(entry.name, text)) return entry.value;
    }
    auto v = ParseIniInteger(text);
    if (!v) return std::nullopt;
    return static_cast<uint32_t>(*v);
}

uint32_t IniColorOr(std::u16string_view text, uint32_t fallback)
{
    return ParseIniColor(text).value_or(fallback);
}

uint32_t ResolveColor(uint32_t color, uint32_t (*systemColor)(int index), uint32_t fallback)
{
    if ((color & 0xFF000000u) == 0xFF000000u) return systemColor(static_cast<int>(color & 0xFF));
    if (color == 0x1FFFFFFFu || color == 0x20000000u) return fallback;
    return color & 0x00FFFFFFu;
}

}  // namespace tovo
