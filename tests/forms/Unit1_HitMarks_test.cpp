// What the search shows of the text it found: marks on every occurrence in
// the body with the first matching line scrolled into view, a mark in the
// field that held it, marks gone with the next message, and Shift+F3.
#include <QClipboard>
#include <QScrollBar>
#include <QTextBlock>

#include "Unit1Harness.h"

namespace zu::testing {
namespace {

class HitMarksTest : public MainWindowTest {
 protected:
  // Message 2's body: filler with the hits at lines 150 and 170; line 150
  // holds "モデム" twice after bytes that decode to U+FFFD.
  void OpenLong() {
    std::string body;
    for (int line = 0; line < 200; ++line) {
      if (line == 150) body += "\x80\xb1\x82 \x83\x82\x83\x66\x83\x80\x82\xcc\x83\x82\x83\x66\x83\x80";
      else if (line == 170) body += "\x83\x82\x83\x66\x83\x80 again";
      else body += "filler " + std::to_string(line);
      body += "\r\n";
    }
    Msg name = M(112, -1, "Numbers", "x\r\n");
    name.name = "SAMPLE USER";
    name.id = "ZX123456";
    const std::string path = WriteLog(dir, "a.log",
                                      {M(1, -1, "Top", "start\r\n"), M(2, 1, "Reply", body),
                                       M(3, -1, "Modem title", "a modem\r\n"), name});
    Open({path});
  }

  void SearchFor(const std::string& cp932, int32_t fields) {
    SearchText = cp932;
    SearchFields = fields;
    window->MN_Edit_SearchClick();
  }

  QList<QTextEdit::ExtraSelection> Marks() { return window->MM_Text->extraSelections(); }

  // The line of the pane that each mark is on, and the text it covers.
  std::vector<std::pair<int, QString>> MarkedTexts() {
    std::vector<std::pair<int, QString>> out;
    for (const auto& mark : Marks()) out.emplace_back(mark.cursor.blockNumber(), mark.cursor.selectedText());
    return out;
  }

  // A few rounds of posted events, however long each takes: an event
  // posted while the queue is delivered waits for the next round.
  static void DeliverPosted() {
    for (int round = 0; round < 4; ++round) QApplication::processEvents();
  }

  static int StartInLine(const QTextEdit::ExtraSelection& mark) {
    return mark.cursor.selectionStart() - mark.cursor.block().position();
  }

  int FirstVisibleLine() { return window->MM_Text->verticalScrollBar()->value(); }
  int VisibleLines() {
    return window->MM_Text->viewport()->height() / window->MM_Text->fontMetrics().lineSpacing();
  }
};

const std::string Modem = "\x83\x82\x83\x66\x83\x80";  // モデム

TEST_F(HitMarksTest, BodyHitMarksEveryOccurrenceAndShowsTheFirstLine) {
  OpenLong();
  Select(Top(0));
  QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
  SearchFor(Modem, FieldBody);
  ASSERT_EQ(window->Ed_Number->text(), QStringLiteral("2"));
  const std::vector<std::pair<int, QString>> expected = {
      {150, QStringLiteral("モデム")}, {150, QStringLiteral("モデム")}, {170, QStringLiteral("モデム")}};
  EXPECT_EQ(MarkedTexts(), expected);
  // Behind "\x80\xb1\x82 " (U+FFFD, ｱ, U+FFFD, space) and "モデムの".
  EXPECT_EQ(StartInLine(Marks()[0]), 4);
  EXPECT_EQ(StartInLine(Marks()[1]), 8);
  EXPECT_EQ(Marks()[0].format.background(), Marks()[2].format.background());

  const int top = FirstVisibleLine();
  EXPECT_GT(top, 100) << "scrolled";
  EXPECT_LT(top + 3, 150) << "the line is not at the top edge";
  EXPECT_LT(150, top + VisibleLines()) << "the line is in view";

  // A mark is no selection: Copy stays disabled and the clipboard as it was.
  EXPECT_FALSE(window->MM_Text->textCursor().hasSelection());
  window->MN_EditClick();
  EXPECT_FALSE(window->MN_Edit_Copy->isEnabled());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));

  Select(Top(0));
  EXPECT_TRUE(Marks().isEmpty()) << "the marks go with the message";
}

TEST_F(HitMarksTest, MarksFollowTheSearchRule) {
  const std::string path = WriteLog(
      dir, "a.log",
      {M(1, -1, "Top", "start\r\n"),
       M(2, -1, "Kana", "\x83\x41\x83\x61 a\r\nA1A\r\n\x82\x60\x82\x81 aa\r\n")});  // アァ a / Ａａ aa
  Open({path});
  Select(Top(0));
  SearchFor("a", FieldBody);
  const std::vector<std::pair<int, QString>> expected = {
      {0, "a"}, {1, "A"}, {1, "A"}, {2, "a"}, {2, "a"}};  // never a kana's trail byte, nor Ａ or ａ
  EXPECT_EQ(MarkedTexts(), expected);
  EXPECT_EQ(StartInLine(Marks()[0]), 3);
  EXPECT_EQ(FirstVisibleLine(), 0);
}

// The first marked occurrence is brought into view across as well as down:
// one far out on a long line, after half-width or full-width text, is
// scrolled to; one near the start of its line leaves the pane at its left edge.
TEST_F(HitMarksTest, FirstHitIsInViewAcrossTheLine) {
  struct Row {
    std::string before;  // the line's text before the hit; a line keeps 254 bytes
    bool scrolled;
  };
  const Row rows[] = {
      {"near ", false},
      {std::string(200, 'x') + " ", true},
      {[] { std::string kana; for (int i = 0; i < 100; ++i) kana += "\x83\x41"; return kana; }(), true},
  };
  for (const Row& row : rows) {
    const std::string path = WriteLog(dir, "wide.log",
                                      {M(1, -1, "Top", "start\r\n"),
                                       M(2, -1, "Wide", "a\r\nb\r\n" + row.before + Modem + " end\r\n")});
    Open({path});
    Select(Top(0));
    SearchFor(Modem, FieldBody);
    ASSERT_EQ(Marks().size(), 1) << row.before.size();
    QPlainTextEdit& pane = *window->MM_Text;
    QTextCursor start = Marks()[0].cursor;
    QTextCursor end = start;
    start.setPosition(start.selectionStart());
    end.setPosition(end.selectionEnd());
    const QRect shown = pane.viewport()->rect();
    EXPECT_TRUE(shown.contains(pane.cursorRect(start).center())) << row.before.size();
    EXPECT_TRUE(shown.contains(pane.cursorRect(end).center())) << row.before.size();
    EXPECT_EQ(pane.horizontalScrollBar()->value() > 0, row.scrolled) << row.before.size();
    EXPECT_FALSE(pane.textCursor().hasSelection());
  }
}

TEST_F(HitMarksTest, FieldHitMarksThatFieldAndScrollsNothing) {
  OpenLong();
  Select(Top(0));
  SearchFor("12", FieldNumber);
  ASSERT_EQ(window->Ed_Number->text(), QStringLiteral("112"));
  EXPECT_EQ(window->Ed_Number->selectionStart(), 1);
  EXPECT_EQ(window->Ed_Number->selectedText(), QStringLiteral("12"));
  EXPECT_FALSE(window->Ed_Number->isEnabled()) << "still no input, no focus";
  EXPECT_TRUE(Marks().isEmpty());
  EXPECT_EQ(FirstVisibleLine(), 0);

  Select(Top(0));
  EXPECT_FALSE(window->Ed_Name->hasSelectedText());
  SearchFor("user", FieldName);
  EXPECT_EQ(window->Ed_Name->selectedText(), QStringLiteral("USER"));
  // A line edit without the focus drops its selection when its window is
  // activated, as when the conditions dialog closes; the mark stays.
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(window->Ed_Name, &activate);
  DeliverPosted();
  EXPECT_EQ(window->Ed_Name->selectedText(), QStringLiteral("USER"));
  Select(Top(0));
  QApplication::sendEvent(window->Ed_Name, &activate);
  DeliverPosted();
  EXPECT_FALSE(window->Ed_Name->hasSelectedText()) << "no mark comes back with another message";
  Select(Top(0));
  SearchFor("x12", FieldID);
  EXPECT_EQ(window->Ed_ID->selectedText(), QStringLiteral("X12"));

  Select(Top(0));
  SearchFor("modem", FieldTitle | FieldBody);  // both hold it; the title is tested first
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(1)});
  EXPECT_TRUE(Marks().isEmpty());
}

TEST_F(HitMarksTest, ShiftF3SearchesTheOtherWayOnce) {
  OpenLong();
  QApplication::processEvents();
  window->TV_Log->setFocus();
  SearchText = "e";
  SearchFields = FieldTitle;
  SearchDirection = 1;
  QTest::keyClick(window->TV_Log, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_TRUE(dialogs.warnings.empty()) << "no node: nothing, as for F3";

  Select(Top(2));  // "Numbers"
  QTest::keyClick(window->TV_Log, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(1)}) << "upwards to Modem title";
  EXPECT_EQ(SearchDirection, 1);
  SearchFields = FieldBody;
  SearchText = Modem;
  QTest::keyClick(window->TV_Log, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(window->Ed_Number->text(), QStringLiteral("2"));
  EXPECT_EQ(Marks().size(), 3) << "a hit found upwards is marked too";
  QTest::keyClick(window->TV_Log, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(dialogs.warnings, std::vector<QString>{QStringLiteral("検索末尾まで検索しました")});

  SearchDirection = 2;
  Select(Top(0));
  QTest::keyClick(window->TV_Log, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(window->Ed_Number->text(), QStringLiteral("2")) << "downwards from Top";
  EXPECT_EQ(SearchDirection, 2);
}

}  // namespace
}  // namespace zu::testing
