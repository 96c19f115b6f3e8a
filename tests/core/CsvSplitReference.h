// Plain transcriptions of the two splitters, string by string: slow and obviously right, for the
// native tests (every short line of a small alphabet) and the fuzz target (long fuzzed lines) to
// check the single-pass splitters against.
#pragma once

#include <string>
#include <vector>

namespace tovo::reference {

using Fields = std::vector<std::u16string>;

inline Fields CutReference(const std::u16string& s, char16_t sep)
{
    Fields out;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            out.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return out;
}

inline Fields AutoReference(const std::u16string& s)
{
    if (s.find(u'\t') != std::u16string::npos) return CutReference(s, u'\t');
    if (s[0] != u'"') return CutReference(s, u',');
    const std::u16string r = s.substr(1);
    if (r.empty() || r.find(u'"') == r.size() - 1) return {s.size() <= 2 ? u"" : s.substr(1, s.size() - 2)};
    Fields out;
    std::u16string rest = r;
    for (size_t p; (p = rest.find(u"\",\"")) != std::u16string::npos;) {
        out.push_back(rest.substr(0, p));
        rest = rest.substr(p + 3);
    }
    out.push_back(rest.empty() ? rest : rest.substr(0, rest.size() - 1));
    return out;
}

inline std::u16string Unplaceholder(std::u16string s)
{
    for (char16_t& c : s)
        if (c == u'\f') c = u'"';
    return s;
}

inline Fields Ex1Reference(const std::u16string& s)
{
    const std::u16string w = u"," + s;
    std::u16string w2;
    for (size_t i = 0; i < w.size(); ++i) {
        if (w[i] == u'"' && i + 1 < w.size() && w[i + 1] == u'"') {
            w2 += u'\f';
            ++i;
        } else {
            w2 += w[i];
        }
    }
    std::vector<size_t> seps;
    bool inQuote = false;
    size_t quotes = 0;
    for (size_t i = 0; i < w2.size(); ++i) {
        if (w2[i] == u'"') {
            inQuote = !inQuote;
            ++quotes;
        } else if (w2[i] == u',' && !inQuote) {
            seps.push_back(i);
        }
    }
    if (quotes % 2 != 0) return {Unplaceholder(w2.substr(1))};
    Fields out;
    for (size_t k = 0; k < seps.size(); ++k) {
        const size_t end = k + 1 < seps.size() ? seps[k + 1] : w2.size();
        std::u16string f = Unplaceholder(w2.substr(seps[k] + 1, end - seps[k] - 1));
        if (f.size() >= 3 && f.front() == u'"' && f.back() == u'"') f = f.substr(1, f.size() - 2);
        out.push_back(f);
    }
    return out;
}

}  // namespace tovo::reference
