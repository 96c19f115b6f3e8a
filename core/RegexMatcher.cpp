#include "core/RegexMatcher.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <type_traits>
#include <new>
#include <utility>
#include <vector>

#include <boost/regex.hpp>

#include "core/StrUtil.h"

namespace tovo {

namespace {

// Fields are matched as wchar_t units: on Windows those are the UTF-16 units themselves; where
// wchar_t is wider (the native tests), each field is widened unit by unit, so both see the
// same units and a surrogate pair as two.
using Unit = wchar_t;
using UnitIterator = const Unit*;
using FoldTable = std::array<char16_t, 0x10000>;

// The plain search's upper-casing, unit by unit, for every unit of the Basic Multilingual Plane;
// a unit the mapping turns into more or fewer units folds to itself. Built once per mapping.
std::shared_ptr<const FoldTable> FoldTableOf(UpperFn upper)
{
    static std::mutex lock;
    static std::vector<std::pair<UpperFn, std::shared_ptr<const FoldTable>>> tables;
    const std::lock_guard<std::mutex> guard(lock);
    for (const auto& [fn, table] : tables) {
        if (fn == upper) return table;
    }
    auto table = std::make_shared<FoldTable>();
    std::u16string units(0x10000, u'\0');
    // Surrogates stand alone here; a lone one has no case.
    for (size_t i = 0; i < units.size(); ++i) units[i] = (i >= 0xD800 && i <= 0xDFFF) ? u'?' : char16_t(i);
    const std::u16string whole = upper(units);
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = static_cast<char16_t>(i);
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            (*table)[i] = unit;
        } else if (whole.size() == units.size()) {
            (*table)[i] = whole[i];
        } else {
            // Some unit maps to several: ask unit by unit (once per mapping, not per search).
            const std::u16string one = upper(std::u16string_view(&unit, 1));
            (*table)[i] = one.size() == 1 ? one[0] : unit;
        }
    }
    tables.emplace_back(upper, table);
    return table;
}

// The C library's classes (\w, \d, [[:alpha:]]) with the plain search's case folding: the fold
// table is the traits' "locale", given to the expression before it is compiled.
struct FoldTraits : boost::c_regex_traits<Unit> {
    using locale_type = const FoldTable*;

    Unit translate(Unit c) const { return c; }
    Unit translate_nocase(Unit c) const
    {
        const auto unit = static_cast<std::make_unsigned_t<Unit>>(c);
        if constexpr (sizeof(Unit) == sizeof(char16_t)) {
            return static_cast<Unit>((*fold)[unit]);
        } else {
            return unit < fold->size() ? static_cast<Unit>((*fold)[unit]) : c;
        }
    }
    Unit tolower(Unit c) const { return translate_nocase(c); }
    Unit toupper(Unit c) const { return translate_nocase(c); }
    locale_type imbue(locale_type table)
    {
        const locale_type old = fold;
        fold = table;
        return old;
    }
    locale_type getloc() const { return fold; }

    const FoldTable* fold = &IdentityTable();

    static const FoldTable& IdentityTable()
    {
        static const FoldTable identity = [] {
            FoldTable t{};
            for (size_t i = 0; i < t.size(); ++i) t[i] = static_cast<char16_t>(i);
            return t;
        }();
        return identity;
    }
};

using Expression = boost::basic_regex<Unit, FoldTraits>;

}  // namespace

}  // namespace tovo

// The library's own estimate of the steps a call may take (the greater of the field's length
// squared and the pattern's squared times the field's), but never past kMaxStatesPerCall: its
// cap applies to the first term only, which on a 100,000-unit field would let one call run for
// minutes. Specialised before anything instantiates it.
template <>
inline void boost::BOOST_REGEX_DETAIL_NS::perl_matcher<
    tovo::UnitIterator, std::allocator<boost::sub_match<tovo::UnitIterator>>,
    tovo::FoldTraits>::estimate_max_state_count(std::random_access_iterator_tag*)
{
    const double units = static_cast<double>(std::max<std::ptrdiff_t>(last - base, 1));
    const double pattern = static_cast<double>(std::max<std::size_t>(re.size(), 1));
    constexpr double kCap = static_cast<double>(tovo::RegexMatcher::kMaxStatesPerCall);
    const double estimate = std::max(pattern * pattern * units, std::min(units * units, kCap)) + 100'000.0;
    max_state_count = static_cast<std::ptrdiff_t>(std::min(estimate, kCap));
}

namespace tovo {

namespace {

std::u16string ErrorText(const boost::regex_error& e)
{
    namespace rc = boost::regex_constants;
    std::u16string what;
    switch (e.code()) {
        case rc::error_collate: what = u"照合要素 [. .] の名前が正しくありません"; break;
        case rc::error_ctype: what = u"文字クラス [: :] の名前が正しくありません"; break;
        case rc::error_escape: what = u"\\ の後に続く文字が正しくありません"; break;
        case rc::error_backref: what = u"後方参照の番号に当たる ( ) がありません"; break;
        case rc::error_brack: what = u"[ が ] で閉じられていません"; break;
        case rc::error_paren: what = u"( と ) の数が合いません"; break;
        case rc::error_brace: what = u"{ が } で閉じられていません"; break;
        case rc::error_badbrace: what = u"{ } の中の回数が正しくありません"; break;
        case rc::error_range: what = u"文字の範囲 (a-z など) が正しくありません"; break;
        case rc::error_space:
        case rc::error_stack: what = u"メモリが足りません"; break;
        case rc::error_badrepeat: what = u"繰り返し (* + ? { }) の前に繰り返すものがありません"; break;
        case rc::error_complexity: what = u"正規表現が複雑すぎます"; break;
        case rc::error_perl_extension: what = u"(? で始まる書き方が正しくありません"; break;
        case rc::error_empty: what = u"空の正規表現です"; break;
        default: what = u"書き方が正しくありません"; break;
    }
    std::u16string text = u"正規表現が正しくありません: " + what;
    if (e.position() >= 0) text += u"\r\n(" + DecimalText(e.position() + 1, 1) + u" 文字目付近)";
    return text;
}

std::wstring Widen(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

}  // namespace

struct RegexMatcher::Engine {
    std::shared_ptr<const FoldTable> fold;
    Expression expression;
    // The literal every match holds, as a plain term: most lines of a long walk lack it.
    std::optional<TermMatcher> literal;
    // Reused by every call, so a call allocates nothing once it has grown.
    mutable boost::match_results<UnitIterator> match;
    mutable std::wstring wide;
};

RegexMatcher::RegexMatcher(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {}
RegexMatcher::~RegexMatcher() = default;

std::unique_ptr<RegexMatcher> RegexMatcher::Compile(std::u16string_view pattern, UpperFn upper, std::u16string& error)
{
    auto engine = std::make_unique<Engine>();
    engine->fold = FoldTableOf(upper);
    try {
        engine->expression.imbue(engine->fold.get());
        const std::wstring wide = Widen(pattern);
        engine->expression.assign(wide.data(), wide.data() + wide.size(), Expression::perl | Expression::icase);
    } catch (const boost::regex_error& e) {
        error = ErrorText(e);
        return nullptr;
    } catch (const std::bad_alloc&) {
        error = u"正規表現が正しくありません: メモリが足りません";
        return nullptr;
    }
    if (const std::u16string literal = RequiredLiteral(pattern); !literal.empty()) engine->literal.emplace(literal, upper);
    return std::unique_ptr<RegexMatcher>(new RegexMatcher(std::move(engine)));
}

// Per field: one search, at most kMaxStatesPerCall steps; the match results are reused.
bool RegexMatcher::Matches(std::u16string_view field) const
{
    static const Unit kEmpty[1] = {};
    UnitIterator first = kEmpty;
    if constexpr (sizeof(Unit) == sizeof(char16_t)) {
        if (!field.empty()) first = reinterpret_cast<UnitIterator>(field.data());
    } else {
        engine_->wide.assign(field.begin(), field.end());
        first = engine_->wide.c_str();
    }
    try {
        return boost::regex_search(first, first + field.size(), engine_->match, engine_->expression,
                                   boost::match_any);
    } catch (const std::runtime_error&) {
        // The step bound or the backtracking memory reached: this field counts as not matching.
        ++runaways_;
    } catch (const std::bad_alloc&) {
        ++runaways_;
    }
    return false;
}

bool RegexMatcher::MayMatchPieceOf(std::u16string_view line) const
{
    return !engine_->literal || engine_->literal->MayMatchPieceOf(line);
}

// Only what is certain counts: the units of a run at the top level, outside groups and classes,
// none of them made optional by a quantifier. Any alternative or inline option ("(?x)" would
// make spaces mean nothing) gives no literal at all.
std::u16string RegexMatcher::RequiredLiteral(std::u16string_view pattern)
{
    if (pattern.find(u'|') != std::u16string_view::npos || pattern.find(u"(?") != std::u16string_view::npos) return {};
    std::u16string best, run;
    int depth = 0;
    auto flush = [&] {
        if (run.size() > best.size()) best = run;
        run.clear();
    };
    const size_t n = pattern.size();
    for (size_t i = 0; i < n;) {
        const char16_t c = pattern[i];
        switch (c) {
            case u'\\': {
                flush();
                // An escaped letter or digit is a class, a code or a reference: stop there.
                if (i + 1 >= n) return best;
                const char16_t next = pattern[i + 1];
                if (next >= 0x80 || (next >= u'0' && next <= u'9') || ((next | 0x20) >= u'a' && (next | 0x20) <= u'z'))
                    return best;
                i += 2;
                break;
            }
            case u'[': {
                flush();
                size_t j = i + 1;
                if (j < n && pattern[j] == u'^') ++j;
                if (j < n && pattern[j] == u']') ++j;
                while (j < n && pattern[j] != u']') {
                    if (pattern[j] == u'\\') {
                        j += 2;
                    } else if (pattern[j] == u'[' && j + 1 < n &&
                               (pattern[j + 1] == u':' || pattern[j + 1] == u'=' || pattern[j + 1] == u'.')) {
                        const char16_t close[2] = {pattern[j + 1], u']'};
                        const size_t end = pattern.find(std::u16string_view(close, 2), j + 2);
                        if (end == std::u16string_view::npos) return best;
                        j = end + 2;
                    } else {
                        ++j;
                    }
                }
                if (j >= n) return best;
                i = j + 1;
                break;
            }
            case u'(':
                flush();
                ++depth;
                ++i;
                break;
            case u')':
                flush();
                depth = depth > 0 ? depth - 1 : 0;
                ++i;
                break;
            case u'*':
            case u'?':
            case u'{': {
                // The unit before it may be absent.
                if (!run.empty()) run.pop_back();
                flush();
                if (c != u'{') {
                    ++i;
                    break;
                }
                const size_t end = pattern.find(u'}', i);
                if (end == std::u16string_view::npos) return best;
                i = end + 1;
                break;
            }
            case u'+':
            case u'.':
            case u'^':
            case u'$':
                flush();
                ++i;
                break;
            default:
                if (depth == 0) run.push_back(c);
                ++i;
                break;
        }
    }
    flush();
    return best;
}

std::unique_ptr<FieldMatcher> MakeFieldMatcher(std::u16string_view term, bool regex, UpperFn upper,
                                               std::u16string& error)
{
    if (!regex) return std::make_unique<TermMatcher>(term, upper);
    return RegexMatcher::Compile(term, upper, error);
}

}  // namespace tovo
