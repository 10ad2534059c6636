#include "core/Messages.h"

namespace zu {

const char* MessageText(Message m) {
  switch (m) {
    case Message::TooManyFiles: return "一度に11以上のﾌｧｲﾙを開けません";
    case Message::CannotOpen: return "を開けませんでした";
    case Message::SearchNoStart: return "検索開始位置を指定してください";
    case Message::SearchFromPlaceholder: return "その位置からは検索できません";
    case Message::SearchNoText: return "検索文字列を指定してください";
    case Message::SearchNoFields: return "検索タイプを指定してください";
    case Message::SearchFileError: return "ファイルエラー";
    case Message::SearchEnd: return "検索末尾まで検索しました";
    case Message::ConditionsNoText: return "検索文字を入力してください";
    case Message::ConditionsNotCp932: return "検索文字にShift-JISで表せない文字があります";
    case Message::ConditionsTooLong: return "検索文字が長すぎます（半角255文字、全角127文字まで）";
    case Message::ConditionsNoFields: return "検索条件を設定してください";
    case Message::PrintFailed: return "印刷できませんでした";
    case Message::OutOfMemory: return "メモリが足りません";
    case Message::StackShort: return "スタックが足りないため、深いツリーは浅い段にまとめて表示します";
    case Message::TreeTooDeep: return "ツリーが深すぎるため、深い発言を浅い段にまとめて表示しました";
  }
  return "";
}

}  // namespace zu
