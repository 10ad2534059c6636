#!/usr/bin/env python3
"""Writes the sample logs of this folder: CP932 text with CR LF line ends, in
the forum service's layout. Run it from anywhere; it rewrites the .log files."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def cp(s):
    return s.encode("cp932")


def pad(b, width):
    return b + b" " * (width - len(b)) if len(b) < width else b[:width]


def header(number, sender_id, name, title, date, time, parent=None):
    line1 = b"%05d/%05d " % (number, 45) + sender_id + b"  " + pad(cp(name), 16) + b" " + cp(title)
    line2 = b"00007) " + date + b" " + time + b"  "
    line2 += (b"%05d" % parent if parent else b"") + cp("あ")
    return line1 + b"\r\n" + line2 + b"\r\n"


def message(number, sender_id, name, title, date, time, body, parent=None):
    lines = [cp(line) for line in body]
    return header(number, sender_id, name, title, date, time, parent) + \
        b"".join(l + b"\r\n" for l in lines) + b"\r\n"


def write(name, preamble, messages):
    data = cp(preamble) + b"".join(messages)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


ids = {
    "tanaka": b"PXA01234", "suzuki": b"GGB02345", "sato": b"MHC03456",
    "yamada": b"QZD04567", "kato": b"RWE05678",
}

write("fsoft_9604.log",
      "ＦＳＯＦＴ　フォーラム　会議室３　ログ（1996年4月）\r\n"
      "ＯＰＴ：ログ取得開始\r\n\r\n",
      [
          message(90, ids["tanaka"], "田中 一郎", "Win95でのﾒﾓﾘ不足について", b"96/04/28", b"22:10", [
              "こんばんは、田中です。",
              "Win95を入れてからメモリ不足のメッセージがよく出ます。",
              "実装は16MBです。増設すべきでしょうか？",
          ]),
          message(91, ids["suzuki"], "鈴木", "Re:Win95でのﾒﾓﾘ不足について", b"96/04/28", b"23:41", [
              "田中さん、こんばんは。鈴木です。",
              "16MBだと少し厳しいですね。32MBあると快適ですよ。",
              "",
              "＞実装は16MBです。",
              "秋葉原なら72ピンSIMMが安く手に入ります。",
          ], parent=90),
          message(95, ids["sato"], "佐藤 花子", "通信ソフトの設定", b"96/04/29", b"09:15", [
              "佐藤です。",
              "28.8kbpsのモデムを買いました。初期化コマンドを教えてください。",
          ]),
          message(100, ids["tanaka"], "田中 一郎", "Re:Re:Win95でのﾒﾓﾘ不足について", b"96/04/30", b"20:02", [
              "鈴木さん、ありがとうございました。",
              "週末に増設してみます。",
          ], parent=91),
      ])

long_body = [
    "佐藤さん、加藤です。モデムの設定について、私の環境を書いておきます。",
    "",
    "■初期化コマンド",
    "\tAT&F&C1&D2\\V1X4",
    "\tATS0=0",
    "",
    "■通信ソフトの設定",
]
for i in range(1, 61):
    long_body.append("%2d. 項目%d：ﾎﾞｰﾚｰﾄ 38400bps、ﾃﾞｰﾀ長 8ﾋﾞｯﾄ、ｽﾄｯﾌﾟﾋﾞｯﾄ 1、ﾊﾟﾘﾃｨなし。" % (i, i)
                     + ("長い行の確認のために、さらに文章を続けます。" * (1 + i % 3)))
long_body += ["", "以上です。①②③ も表示できるでしょうか。", "ＰＳ：表示と印刷の確認用です。"]

write("fsoft_9605.log",
      "ＦＳＯＦＴ　フォーラム　会議室３　ログ（1996年5月）\r\n\r\n",
      [
          message(101, ids["yamada"], "山田", "ﾌﾛｯﾋﾟｰが読めません", b"96/05/01", b"10:30", [
              "山田です。3.5インチの2HDフロッピーが突然読めなくなりました。",
              "ドライブのヘッド清掃は試しました。",
          ]),
          message(102, ids["kato"], "加藤", "Re:通信ソフトの設定", b"96/05/01", b"12:45", long_body, parent=95),
          message(103, ids["suzuki"], "鈴木", "Re:ﾌﾛｯﾋﾟｰが読めません", b"96/05/02", b"08:05", [
              "鈴木です。フォーマットの種類（1.44MB/1.2MB）は合っていますか？",
          ], parent=101),
          message(104, ids["tanaka"], "田中 一郎", "Re:過去ログの件", b"96/05/02", b"21:17", [
              "古い話題への返事です（元の発言は手元にありません）。",
          ], parent=50),
          message(105, ids["yamada"], "山田", "Re:Re:ﾌﾛｯﾋﾟｰが読めません", b"96/05/03", b"14:22", [
              "1.2MBでフォーマットされていました。解決です！",
              "ありがとうございました。",
          ], parent=103),
          message(106, ids["sato"], "佐藤 花子", "Re:Re:通信ソフトの設定", b"96/05/03", b"19:00", [
              "加藤さん、詳しくありがとうございます。つながりました。",
          ], parent=102),
      ])

write("fsoft_9606.log",
      "ＦＳＯＦＴ　フォーラム　会議室３　ログ（1996年6月）\r\n\r\n",
      [
          message(107, ids["kato"], "加藤", "Re:Re:Re:通信ソフトの設定", b"96/06/01", b"07:58", [
              "佐藤さん、よかったです。",
              "ﾊﾟｿｺﾝ通信、楽しんでください。",
          ], parent=106),
          message(108, ids["suzuki"], "鈴木", "オフ会のお知らせ", b"96/06/05", b"22:30", [
              "鈴木です。6月22日(土)に秋葉原でオフ会を開きます。",
              "参加希望の方は、このスレッドにコメントをお願いします。",
              "\t日時：6月22日(土) 14:00〜",
              "\t場所：秋葉原駅 電気街口",
          ]),
          message(109, ids["yamada"], "山田", "Re:オフ会のお知らせ", b"96/06/06", b"12:01", [
              "山田、参加します！",
          ], parent=108),
          message(110, ids["sato"], "佐藤 花子", "Re:オフ会のお知らせ", b"96/06/06", b"18:45", [
              "佐藤も参加します。よろしくお願いします。",
          ], parent=108),
      ])
