// Cutting one document line into fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovo {

// Which splitter a fill uses. Auto is StringToCsvList (tab, quoted or comma
// mode picked per line); QuoteAware is StringToCsvListEx1.
enum class Splitter { Auto, QuoteAware };

// The check marks of "自動検出(&A)" and the disabled comma-separated item.
Splitter ChooseSplitter(bool autoChecked, bool ex1Checked);

// One field: `length` units at `offset` either in the source line or, when
// `inSide` is set, in the side buffer passed to SplitLine (text that differs
// from the line: collapsed "" pairs and U+000C turned into quotes).
struct FieldRef {
    uint32_t offset;
    uint32_t length;
    bool inSide;
};

// Receives the fields of a line in order. Called once per field, so an
// implementation must not allocate per call beyond amortised growth.
class FieldSink {
public:
    virtual void OnField(FieldRef field) = 0;

protected:
    ~FieldSink() = default;
};

// Splits a line of 1 or more units (an empty line is the caller's business:
// it has no fields). Changed text is appended to `side`; offsets of fields
// with inSide are relative to side's start, so the caller may reuse one side
// buffer for many lines. Nothing is allocated per field except by `side`'s
// amortised growth. There is no field limit. Lines of 2^32 units or more are
// refused with std::length_error since offsets are 32-bit.
void SplitLine(Splitter splitter, std::u16string_view line, std::u16string& side, FieldSink& sink);

// The unit the automatic splitter cuts a non-empty line at, every one of them
// ending a field: tab or comma; 0 for a line it splits in quoted mode.
char16_t AutoSeparator(std::u16string_view line);

// Convenience forms returning owned strings; an empty line gives no fields.
std::vector<std::u16string> StringToCsvList(std::u16string_view line);
std::vector<std::u16string> StringToCsvListEx1(std::u16string_view line);
std::vector<std::u16string> SplitToStrings(Splitter splitter, std::u16string_view line);

}  // namespace tovo
