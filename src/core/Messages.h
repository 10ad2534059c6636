// Every fixed text that the program shows or writes outside its form
// descriptions: the warnings of the log set, the view, the search and its
// conditions dialog, the print failure, and the captions and titles of the
// boxes and dialogs the windows open. The core names a warning; each front
// end (the windows, the dump tool) turns it into its own text with
// MessageText, putting the path in front where the warning carries one.
#pragma once

namespace zu {

enum class Message {
  TooManyFiles,           // "一度に11以上のﾌｧｲﾙを開けません"
  CannotOpen,             // path + "を開けませんでした"
  SearchNoStart,          // "検索開始位置を指定してください"
  SearchFromPlaceholder,  // "その位置からは検索できません"
  SearchNoText,           // "検索文字列を指定してください"
  SearchNoFields,         // "検索タイプを指定してください"
  SearchFileError,        // "ファイルエラー"
  SearchEnd,              // "検索末尾まで検索しました"
  // The search conditions dialog refusing what the user set.
  ConditionsNoText,       // "検索文字を入力してください"
  ConditionsNotCp932,     // a character the logs' code page cannot hold
  ConditionsTooLong,      // more than the search's 255 bytes
  ConditionsNoFields,     // "検索条件を設定してください"
  // The printer refused the job; shown as an error, with "." after it.
  PrintFailed,            // "印刷できませんでした"
};

// The fixed text of `m` in UTF-8. For CannotOpen it is the suffix that
// follows the path.
const char* MessageText(Message m);

// The application title: the taskbar's text and the caption of error boxes.
inline constexpr const char* ApplicationTitle = "ZU_Kirdo for Windows95";
// Registered at start-up; nothing opens it.
inline constexpr const char* HelpFileName = "zu_kirdo.hlp";
// Caption of every warning box.
inline constexpr const char* WarningCaption = "ﾛｰｶﾙｴﾗｰ";
// Title of the file-open dialog of the Open command.
inline constexpr const char* OpenDialogTitle = "ZU_Kirdo ファイルオープン";

}  // namespace zu
