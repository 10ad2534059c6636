// The warnings that the log set, the view and the search report. The core
// names them; each front end (the windows, the dump tool) turns them into its
// own text with MessageText, adding the path where the message carries one.
#pragma once

#include <string>

namespace zu {

enum class Message {
  TooManyFiles,        // "一度に11以上のﾌｧｲﾙを開けません"
  CannotOpen,          // path + "を開けませんでした"
  SearchNoStart,       // "検索開始位置を指定してください"
  SearchFromPlaceholder,  // "その位置からは検索できません"
  SearchNoText,        // "検索文字列を指定してください"
  SearchNoFields,      // "検索タイプを指定してください"
  SearchFileError,     // "ファイルエラー"
  SearchEnd,           // "検索末尾まで検索しました"
};

// The fixed text of `m` in UTF-8. For CannotOpen it is the suffix that
// follows the path.
const char* MessageText(Message m);

// Caption of every warning box.
inline constexpr const char* WarningCaption = "ﾛｰｶﾙｴﾗｰ";

}  // namespace zu
