#include "core/Commands.h"

namespace tovo {

namespace {

constexpr std::array<CommandInfo, kCommandCount> kCommands = {{
    {u"1001", u"ファイル", u"MenuCsvListLoadAll", u"全て表示(&A)", 0},
    {u"1002", u"ファイル", u"MenuCsvListFitColumnWidth", u"カラム幅の自動調整(&C)", 0},
    {u"1003", u"ファイル", u"MenuAddHeader", u"現在行をヘッダーに設定(&H)", 0},
    {u"1011", u"ファイル", u"MenuCsvListClose", u"終了(&X)", 0},
    {u"1101", u"検索", u"MenuCsvListSearchNext", u"次を検索(&N)", 114},
    {u"1102", u"検索", u"MenuCsvListSearchPrev", u"前を検索(&P)", 8306},
    {u"1201", u"編集", u"MenuCsvListJump", u"行へ移動(&G)...", 16455},
    {u"1202", u"編集", u"MenuMoveStartPosition", u"開始時へ移動(S)...", 0},
    {u"1203", u"編集", u"MenuCsvListTop", u"先頭(&T)", 0},
    {u"1204", u"編集", u"MenuCsvListPrev", u"前ページ(&P)", 0},
    {u"1205", u"編集", u"MenuCsvListNext", u"次ページ(&N)", 0},
    {u"1206", u"編集", u"MenuCsvListEnd", u"最後(&E)", 0},
    {u"1301", u"表示", u"MenuCsvListFontColor", u"文字色(&F)...", 0},
    {u"1302", u"表示", u"MenuCsvListBackColor", u"背景色(&B)...", 0},
    {u"1303", u"表示", u"MenuCsvListHiligtFile", u"強調表示のファイル名(&G)...", 0},
    {u"1304", u"表示", u"MenuCsvListFontColorHilightRow", u"強調表示の文字色 行単位(&H)...", 0},
    {u"1305", u"表示", u"MenuCsvListFontColorHilightCol", u"強調表示の文字色 カラム単位(&I)...", 0},
    {u"1306", u"表示", u"MenuCsvListHiLightNone", u"強調表示を無効(&N)", 0},
    {u"1307", u"表示", u"MenuCsvListHiLightRow", u"強調表示を有効 行単位(&R)", 0},
    {u"1308", u"表示", u"MenuCsvListHiLightCol", u"強調表示を有効 カラム単位(&C)", 0},
    {u"1401", u"ツール", u"MenuCsvListKeyBoard", u"キーボード設定(&K)...", 0},
    {u"1501", u"ヘルプ", u"MenuCsvListShowHelp", u"ヘルプ表示(&C)...", 0},
    {u"1601", u"CSV設定", u"MenuCsvAuto", u"自動検出(&A)", 0},
    {u"1602", u"CSV設定", u"MenuCsvEx1", u"カンマ区切り 11,\"22,22\",33 (&M)", 0},
}};

}  // namespace

const std::array<CommandInfo, kCommandCount>& CommandTable()
{
    return kCommands;
}

std::array<uint16_t, kCommandCount> DefaultCommandShortCuts()
{
    std::array<uint16_t, kCommandCount> out{};
    for (size_t i = 0; i < kCommandCount; ++i) out[i] = kCommands[i].defaultShortCut;
    return out;
}

std::optional<size_t> CommandIndexById(std::u16string_view id)
{
    for (size_t i = 0; i < kCommandCount; ++i)
        if (kCommands[i].id == id) return i;
    return std::nullopt;
}

}  // namespace tovo
