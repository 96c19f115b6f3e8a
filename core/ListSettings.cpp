#include "core/ListSettings.h"

#include <algorithm>

namespace tovo {

namespace {
// The variant's alternative each form reads into.
constexpr size_t MemberIndexOf(ValueForm form)
{
    switch (form) {
        case ValueForm::Integer:
        case ValueForm::Entry:
        case ValueForm::Size: return 0;
        case ValueForm::Flag: return 1;
        case ValueForm::Color: return 2;
        case ValueForm::Text: return 3;
    }
    return 4;
}
static_assert(std::all_of(std::begin(kListSettingFields), std::end(kListSettingFields),
                          [](const ListSettingField& f) { return f.member.index() == MemberIndexOf(f.form); }),
              "a row's member has the type its form reads");

int32_t ReadInteger(const ListSettingField& field, std::u16string_view text)
{
    const int32_t fallback = IniIntegerOr(field.fallback, 0);
    const int32_t value = IniIntegerOr(text, fallback);
    switch (field.form) {
        case ValueForm::Entry: return value < 0 ? 0 : (value >= field.limit ? fallback : value);
        case ValueForm::Size: return value >= 1 && value <= field.limit ? value : fallback;
        default: return value;
    }
}
}  // namespace

ListSettings ReadListSettings(const SettingReader& read)
{
    ListSettings settings;
    for (const ListSettingField& field : kListSettingFields) {
        std::u16string text = read(field.section, field.key, field.fallback);
        switch (field.form) {
            case ValueForm::Integer:
            case ValueForm::Entry:
            case ValueForm::Size: settings.*std::get<0>(field.member) = ReadInteger(field, text); break;
            case ValueForm::Flag:
                settings.*std::get<1>(field.member) = IniFlagOr(text, IniFlagOr(field.fallback, false));
                break;
            case ValueForm::Color:
                settings.*std::get<2>(field.member) = IniColorOr(text, IniColorOr(field.fallback, kClBlack));
                break;
            case ValueForm::Text:
                settings.*std::get<3>(field.member) = text.empty() ? std::u16string(field.fallback) : std::move(text);
                break;
        }
    }
    return settings;
}

void WriteListSettings(const ListSettings& settings, const SettingWriter& write)
{
    for (const ListSettingField& field : kListSettingFields) {
        if (field.writtenIf && !(settings.*field.writtenIf)) continue;
        switch (field.form) {
            case ValueForm::Integer:
            case ValueForm::Entry:
            case ValueForm::Size:
                write(field.section, field.key, IniIntegerText(settings.*std::get<0>(field.member)));
                break;
            case ValueForm::Flag:
                write(field.section, field.key, IniFlagText(settings.*std::get<1>(field.member)));
                break;
            case ValueForm::Color:
                write(field.section, field.key, ColorToIniText(settings.*std::get<2>(field.member)));
                break;
            case ValueForm::Text: write(field.section, field.key, settings.*std::get<3>(field.member)); break;
        }
    }
}

}  // namespace tovo
