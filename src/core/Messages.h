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
  // An operation found no memory for what it had to hold.
  OutOfMemory,            // "メモリが足りません"
  // The viewer's stack holds no tree as deep as the deepest the logs allow;
  // and a tree that went deeper than it holds, flattened below that depth.
  StackShort,
  TreeTooDeep,
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

// A fixed text in the two forms the program writes it in: UTF-8 for the
// windows, terminals and exports, and CP932 for the print layout, which
// draws the logs' own bytes.
struct FixedText {
  const char* utf8;
  const char* cp932;
};

// The captions of a message's fields: the window's field bar (in its form
// description), the printed page and the exported pages.
namespace caption {
inline constexpr FixedText Number{"発言番号", "\x94\xad\x8c\xbe\x94\xd4\x8d\x86"};
inline constexpr FixedText SenderName{"発信者名", "\x94\xad\x90\x4d\x8e\xd2\x96\xbc"};
inline constexpr FixedText SenderID{"発信者ID", "\x94\xad\x90\x4d\x8e\xd2" "ID"};
inline constexpr FixedText DateTime{"発信日時", "\x94\xad\x90\x4d\x93\xfa\x8e\x9e"};
inline constexpr FixedText Time{"発信時間", "\x94\xad\x90\x4d\x8e\x9e\x8a\xd4"};  // the printed page's
}  // namespace caption

// The product's version as the printed banner names it.
inline constexpr const char* ProductVersion = "Ver2.0";

}  // namespace zu
