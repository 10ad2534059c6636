// The Open command, the thread tree and the message view, as the main window
// shows them: files chosen in the (scripted) file dialog, warnings, tree
// captions and shape, and the fields and text pane after a selection.
#include <QDir>
#include <QScrollBar>
#include <filesystem>

#include "Unit1Harness.h"

namespace zu::testing {
namespace {

using OpenTest = MainWindowTest;

const QString CannotOpen = QStringLiteral("を開けませんでした");
const QString TooMany = QStringLiteral("一度に11以上のﾌｧｲﾙを開けません");

TEST_F(OpenTest, FilesBecomeOneTreeInOrderOfFirstNumbers) {
  const std::string late = WriteLog(dir, "late.log",
                                    {M(500, -1, "Alpha"), M(501, 500, "Re:Alpha"),
                                     M(502, 37, "On 37"), M(503, 37, "Also 37")});
  const std::string early = WriteLog(dir, "early.log", {M(100, -1, "Bravo"), M(101, 100, "Re:Bravo")});
  Open({late, early});

  EXPECT_EQ(dialogs.fileDialogTitles, std::vector<QString>{QStringLiteral("ZU_Kirdo ファイルオープン")});
  EXPECT_TRUE(dialogs.warnings.empty());
  // The file that starts at 100 comes first; the missing message 37 gets a
  // placeholder captioned with its number alone.
  EXPECT_EQ(TopCaptions(Tree()), (QStringList{"Bravo", "Alpha", "37"}));
  EXPECT_EQ(ChildCaptions(Top(0)), QStringList{"Re:Bravo"});
  EXPECT_EQ(ChildCaptions(Top(1)), QStringList{"Re:Alpha"});
  EXPECT_EQ(ChildCaptions(Top(2)), (QStringList{"On 37", "Also 37"}));
  // The command selects nothing and leaves the view empty.
  EXPECT_TRUE(Tree().selectedItems().isEmpty());
  EXPECT_TRUE(ViewIsEmpty());
}

TEST_F(OpenTest, SelectingShowsFieldsAndJapaneseBody) {
  Msg m = M(12, -1, "\x83\x5c\x83\x74\x83\x67\x95\x5c\x8e\xa6");  // ソフト表示: trail bytes 0x5C
  m.name = "\x93\x63\x92\x86 \x88\xea\x98\x59";                     // 田中 一郎 (9 bytes)
  m.id = "PXA01234";
  m.date = "96/04/28";
  m.time = "22:10";
  m.body = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\r\n"  // こんにちは
           "\r\n"                                          // a blank line inside the body
           "\x95\x5c\x8e\xa6 test\r\n";                     // 表示 test
  const std::string path = WriteLog(dir, "jp.log", {M(11, -1, "First"), m});
  Open({path});
  ASSERT_EQ(TopCaptions(Tree()), (QStringList{"First", QStringLiteral("ソフト表示")}));

  Select(Top(1));
  const std::vector<QString> expected = {
      QStringLiteral("12"),
      QStringLiteral("田中 一郎       "),  // the 16-byte column keeps its padding
      QStringLiteral("PXA01234"),
      QStringLiteral("96/04/28 22:10"),
      QStringLiteral("こんにちは\n\n表示 test"),
  };
  EXPECT_EQ(View(), expected);
  EXPECT_EQ(window->MM_Text->document()->blockCount(), 3);
  EXPECT_TRUE(dialogs.warnings.empty());

  Select(Top(0));  // a message without body lines
  EXPECT_EQ(View(), (std::vector<QString>{"11", QStringLiteral("SAMPLE USER     "), "ABCD1234",
                                          "96/05/17 21:05", ""}));
}

// Bytes that are no CP932 character show as U+FFFD, and the rest of the line
// and the lines after it stay as they are.
TEST_F(OpenTest, BrokenBytesStayWithinTheirLine) {
  const std::string path = WriteLog(dir, "broken.log",
                                    {M(1, -1, "cut \x82", "abc\x82\r\n\x82\xa0next\r\n\x80\r\n")});
  Open({path});
  EXPECT_EQ(Top(0)->text(0), QStringLiteral("cut \uFFFD"));
  Select(Top(0));
  EXPECT_EQ(window->MM_Text->toPlainText(), QStringLiteral("abc\uFFFD\nあnext\n\uFFFD"));
  EXPECT_EQ(window->MM_Text->document()->blockCount(), 3);
}

TEST_F(OpenTest, LongTitlesAreShownWholeAndScrolled) {
  const std::string title(180, 'W');
  Open({WriteLog(dir, "long.log", {M(1, -1, title)})});
  QApplication::processEvents();
  EXPECT_GE(Tree().columnWidth(0), Tree().fontMetrics().horizontalAdvance(QString::fromStdString(title)));
  EXPECT_GT(Tree().horizontalScrollBar()->maximum(), 0);
}

TEST_F(OpenTest, TwelveFilesLoadTenAndWarnTwice) {
  std::vector<std::string> paths;
  for (int f = 0; f < 12; ++f) {
    paths.push_back(WriteLog(dir, "f" + std::to_string(f) + ".log", {M(100 + f, -1, "File " + std::to_string(f))}));
  }
  Open(paths);
  EXPECT_EQ(dialogs.warnings, (std::vector<QString>{TooMany, TooMany}));
  EXPECT_EQ(Tree().topLevelItemCount(), 10);
  EXPECT_EQ(Top(9)->text(0), QStringLiteral("File 9"));
  EXPECT_EQ(window->Logs().LastFile(), 9);
}

TEST_F(OpenTest, FailedFilesWarnWithTheirPathAndTakeNoRow) {
  std::vector<std::string> paths;
  for (int f = 0; f < 10; ++f) {
    paths.push_back(WriteLog(dir, "f" + std::to_string(f) + ".log", {M(100 + f, -1, "File " + std::to_string(f))}));
  }
  const std::string missing = dir.Path("無いファイル.log");  // a path with Japanese characters
  const std::string empty = dir.Write("empty.log", "no message here\r\n");
  paths.insert(paths.begin() + 3, missing);
  paths.insert(paths.begin() + 5, empty);
  Open(paths);
  EXPECT_EQ(dialogs.warnings, (std::vector<QString>{QString::fromStdString(missing) + CannotOpen,
                                                    QString::fromStdString(empty) + CannotOpen}));
  EXPECT_EQ(Tree().topLevelItemCount(), 10);
}

TEST_F(OpenTest, CancelledDialogChangesNothing) {
  const std::string path = WriteLog(dir, "a.log", {M(1, -1, "One", "body\r\n"), M(2, 1, "Two")});
  Open({path});
  Select(Top(0));
  const std::vector<QString> shown = View();

  Open({});  // the dialog was cancelled
  EXPECT_EQ(dialogs.fileDialogTitles.size(), 2u);
  EXPECT_EQ(TopCaptions(Tree()), QStringList{"One"});
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(0)});
  EXPECT_EQ(View(), shown);
}

TEST_F(OpenTest, NextOpenDiscardsEverythingEvenWhenAllFail) {
  const std::string path = WriteLog(dir, "a.log", {M(1, -1, "One", "body\r\n")});
  Open({path});
  Select(Top(0));
  ASSERT_FALSE(ViewIsEmpty());

  Open({dir.Path("gone.log")});
  EXPECT_EQ(Tree().topLevelItemCount(), 0);
  EXPECT_TRUE(ViewIsEmpty());
  EXPECT_EQ(window->Logs().LastFile(), -1);
}

TEST_F(OpenTest, PlaceholderShowsEmptyViewWithoutWarning) {
  const std::string path = WriteLog(dir, "a.log", {M(5, 3, "Comment", "text\r\n")});
  Open({path});
  ASSERT_EQ(TopCaptions(Tree()), QStringList{"3"});
  Select(Top(0)->child(0));
  ASSERT_FALSE(ViewIsEmpty());
  Select(Top(0));
  EXPECT_TRUE(ViewIsEmpty());
  EXPECT_TRUE(dialogs.warnings.empty());
}

TEST_F(OpenTest, DeletedFileWarnsAndLeavesViewEmpty) {
  const std::string first = WriteLog(dir, "first.log", {M(1, -1, "One", "one\r\n")});
  const std::string second = WriteLog(dir, "second.log", {M(9, -1, "Nine", "nine\r\n")});
  Open({first, second});
  Select(Top(1));  // second.log is the reader's file
  ASSERT_EQ(window->MM_Text->toPlainText(), QStringLiteral("nine"));
  std::filesystem::remove(first);

  Select(Top(0));
  EXPECT_EQ(dialogs.warnings, std::vector<QString>{QString::fromStdString(first) + CannotOpen});
  EXPECT_TRUE(ViewIsEmpty());
}

TEST_F(OpenTest, SwitchingFilesShowsEachMessage) {
  const std::string a = WriteLog(dir, "a.log", {M(1, -1, "One", "from a\r\n")});
  const std::string b = WriteLog(dir, "b.log", {M(2, -1, "Two", "from b\r\n")});
  Open({a, b});
  for (int round = 0; round < 2; ++round) {
    Select(Top(0));
    EXPECT_EQ(window->MM_Text->toPlainText(), QStringLiteral("from a"));
    Select(Top(1));
    EXPECT_EQ(window->MM_Text->toPlainText(), QStringLiteral("from b"));
  }
}

TEST_F(OpenTest, FocusAloneSelectsNothingAndArrowKeySelectsFirst) {
  const std::string path = WriteLog(dir, "a.log", {M(1, -1, "One", "body\r\n"), M(2, -1, "Two")});
  Open({path});
  window->MM_Text->setFocus();
  window->TV_Log->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(Tree().selectedItems().isEmpty());
  EXPECT_TRUE(ViewIsEmpty());

  QTest::keyClick(window->TV_Log, Qt::Key_Down);
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(0)});
  EXPECT_EQ(window->Ed_Number->text(), QStringLiteral("1"));
}

// The first key after an Open moves from no node: End to the last node
// shown (a collapsed node's comments are not shown), Down to the first.
TEST_F(OpenTest, EndAfterAnOpenSelectsTheLastVisibleNode) {
  const std::string path =
      WriteLog(dir, "a.log", {M(1, -1, "One"), M(2, -1, "Two"), M(3, 2, "Re:Two"), M(4, 3, "Re:Re:Two")});
  for (const bool expanded : {false, true}) {
    Open({path});
    Top(1)->setExpanded(expanded);
    Top(1)->child(0)->setExpanded(expanded);
    window->MM_Text->setFocus();
    window->TV_Log->setFocus();
    QApplication::processEvents();
    QTest::keyClick(window->TV_Log, Qt::Key_End);
    QTreeWidgetItem* last = expanded ? Top(1)->child(0)->child(0) : Top(1);
    EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{last}) << expanded;
    QTest::keyClick(window->TV_Log, Qt::Key_Home);  // and on from there as usual
    EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(0)});
  }
  // The keypad's End is End; with Ctrl it is Qt's, to the first node.
  for (const auto mods : {Qt::KeyboardModifiers(Qt::KeypadModifier), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
    Open({path});
    window->TV_Log->setFocus();
    QApplication::processEvents();
    QTest::keyClick(window->TV_Log, Qt::Key_End, mods);
    EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{mods == Qt::KeypadModifier ? Top(1) : Top(0)}) << mods;
  }
}

TEST_F(OpenTest, ClickingAnItemShowsIt) {
  const std::string path = WriteLog(dir, "a.log", {M(1, -1, "One"), M(2, -1, "Two", "second\r\n")});
  Open({path});
  const QRect row = Tree().visualItemRect(Top(1));
  QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(window->Ed_Number->text(), QStringLiteral("2"));
  EXPECT_EQ(window->MM_Text->toPlainText(), QStringLiteral("second"));
}

// The sample logs open cleanly and every message shows readable text.
TEST_F(OpenTest, SampleLogsOpenAndShow) {
  const QDir samples(QStringLiteral(ZU_SAMPLES_DIR));
  const QStringList logs = samples.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
  if (logs.isEmpty()) GTEST_SKIP() << "no sample logs";
  std::vector<std::string> paths;
  for (const QString& log : logs) paths.push_back(samples.filePath(log).toStdString());
  Open(paths);
  EXPECT_TRUE(dialogs.warnings.empty());
  ASSERT_GT(Tree().topLevelItemCount(), 0);

  int shown = 0;
  for (QTreeWidgetItemIterator it(&Tree()); *it != nullptr; ++it) {
    EXPECT_FALSE((*it)->text(0).contains(QChar::ReplacementCharacter)) << (*it)->text(0).toStdString();
    Select(*it);
    if (ViewIsEmpty()) continue;  // a placeholder
    ++shown;
    for (const QString& text : View()) EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
    EXPECT_FALSE(window->Ed_Number->text().isEmpty());
  }
  EXPECT_GT(shown, 0);
  EXPECT_TRUE(dialogs.warnings.empty());
}

}  // namespace
}  // namespace zu::testing
