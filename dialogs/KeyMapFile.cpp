#include "dialogs/KeyMapFile.h"

namespace tovo {

std::u16string KeyMapFile::Problem(bool reading, DWORD error) const {
  std::u16string text = reading ? u"キーボード設定のファイルを読み込めませんでした。"
                                : u"キーボード設定のファイルを保存できませんでした。";
  return text + u"\r\n" + path_ + u"\r\n" + win::ErrorText(error);
}

}  // namespace tovo
