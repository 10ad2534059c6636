// The main window's commands: menu enabling, the menu shortcuts as keys,
// copy, search, print, the About box, exit, the toolbar in every state, and
// the box that shows an error escaping a handler.
#include <QClipboard>
#include <QScrollBar>
#include <QWheelEvent>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QShortcutEvent>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <stdexcept>

#include "Unit1Harness.h"

namespace zu::testing {
namespace {

class CommandTest : public MainWindowTest {
 protected:
  // Two messages with bodies, a comment on a missing message, and a second file.
  void OpenSome() {
    const std::string a = WriteLog(dir, "a.log",
                                   {M(1, -1, "Apple pie", "first line\r\nsecond line\r\n"),
                                    M(2, -1, "Banana", "yellow\r\n"), M(3, 77, "Cherry", "red\r\n")});
    const std::string b = WriteLog(dir, "b.log", {M(10, -1, "Apple tart", "baked\r\n")});
    Open({a, b});
    ASSERT_EQ(TopCaptions(Tree()), (QStringList{"Apple pie", "Banana", "77", "Apple tart"}));
  }

  void SelectAllOfPane() {
    window->MM_Text->selectAll();
    ASSERT_TRUE(window->MM_Text->textCursor().hasSelection());
  }

  void KeyIn(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
    widget->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), widget);
    QTest::keyClick(widget, key, mods);
  }

  static void SetClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }
  static QString Clipboard() { return QGuiApplication::clipboard()->text(); }
};

TEST_F(CommandTest, FileMenuEnablesPrintOnlyWithFilesLoaded) {
  window->MN_FileClick();
  EXPECT_FALSE(window->MN_File_Print->isEnabled());
  EXPECT_TRUE(window->MN_File_Open->isEnabled());
  EXPECT_TRUE(window->MN_File_Exit->isEnabled());
  Open({WriteLog(dir, "one.log", {M(1, -1, "Only")})});  // exactly one file
  window->MN_FileClick();
  EXPECT_TRUE(window->MN_File_Print->isEnabled());
  OpenSome();
  window->MN_FileClick();
  EXPECT_TRUE(window->MN_File_Print->isEnabled());
  Open({dir.Path("missing.log")});  // every file failed: nothing is loaded
  window->MN_FileClick();
  EXPECT_FALSE(window->MN_File_Print->isEnabled());
}

TEST_F(CommandTest, EditMenuFollowsSelectionsOfPaneAndTree) {
  window->MN_EditClick();
  EXPECT_FALSE(window->MN_Edit_Copy->isEnabled());
  EXPECT_FALSE(window->MN_Edit_Search->isEnabled());
  EXPECT_TRUE(window->MN_Edit_SearchSet->isEnabled());
  EXPECT_FALSE(window->MN_Info_Help->isEnabled());
  EXPECT_TRUE(window->MN_Info_Info->isEnabled());

  OpenSome();
  Select(Top(2));  // a placeholder is a selected node too
  window->MN_EditClick();
  EXPECT_FALSE(window->MN_Edit_Copy->isEnabled());
  EXPECT_TRUE(window->MN_Edit_Search->isEnabled());

  Select(Top(0));
  ASSERT_FALSE(window->MM_Text->toPlainText().isEmpty());
  window->MN_EditClick();
  EXPECT_FALSE(window->MN_Edit_Copy->isEnabled()) << "a body shown, nothing selected";
  QTextCursor cursor = window->MM_Text->textCursor();
  cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
  window->MM_Text->setTextCursor(cursor);
  window->MN_EditClick();
  EXPECT_TRUE(window->MN_Edit_Copy->isEnabled()) << "one character selected";

  cursor.clearSelection();
  window->MM_Text->setTextCursor(cursor);
  Tree().clearSelection();
  window->MN_EditClick();
  EXPECT_FALSE(window->MN_Edit_Copy->isEnabled());
  EXPECT_FALSE(window->MN_Edit_Search->isEnabled());
}

// A click that hits no node, below the last one, keeps the selection and
// what the view shows, and so the Edit menu's search; it only takes the
// focus to the tree. A click on a node still selects it.
TEST_F(CommandTest, ClickBelowTheLastNodeKeepsTheSelection) {
  OpenSome();
  Select(Top(1));
  const std::vector<QString> shown = View();
  QWidget* area = Tree().viewport();
  const QPoint below(20, area->height() - 5);
  ASSERT_EQ(Tree().itemAt(below), nullptr);
  for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
    window->MM_Text->setFocus();
    QTest::mouseClick(area, button, {}, below);
    EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(1)}) << "button " << button;
    EXPECT_EQ(View(), shown) << "button " << button;
    window->MN_EditClick();
    EXPECT_TRUE(window->MN_Edit_Search->isEnabled()) << "button " << button;
    EXPECT_EQ(QApplication::focusWidget(), window->TV_Log) << "button " << button;
  }
  QTest::mouseDClick(area, Qt::LeftButton, {}, below);
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(1)}) << "double click";
  QTest::mouseClick(area, Qt::LeftButton, {}, Tree().visualItemRect(Top(0)).center());
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(0)});
}

// Taking clicks on no node leaves every other event to the tree: the wheel
// scrolls a tree longer than its pane.
TEST_F(CommandTest, TheWheelScrollsTheTree) {
  std::vector<Msg> many;
  for (int32_t n = 1; n <= 200; ++n) many.push_back(M(n, -1, "T" + std::to_string(n)));
  Open({WriteLog(dir, "many.log", many)});
  QWidget* area = Tree().viewport();
  QCoreApplication::processEvents();  // the view lays out its items
  ASSERT_GT(Tree().verticalScrollBar()->maximum(), 0);
  ASSERT_EQ(Tree().verticalScrollBar()->value(), 0);
  const QPoint at = area->rect().center();
  QWheelEvent down(at, area->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(area, &down);
  EXPECT_GT(Tree().verticalScrollBar()->value(), 0);
}

// Ctrl with +, - or 0 and Ctrl with the wheel size the body's text wherever
// the focus is, between bounds; the tree's own + still expands a node.
TEST_F(CommandTest, TheBodysTextGrowsShrinksAndComesBack) {
  OpenSome();
  Select(Top(0));
  const auto pixels = [&] { return window->MM_Text->font().pixelSize(); };
  struct Row {
    QWidget* focus;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int expected;
  };
  const Row rows[] = {
      {window->TV_Log, Qt::Key_Plus, Qt::ControlModifier, 14},
      {window->MM_Text, Qt::Key_Semicolon, Qt::ControlModifier | Qt::ShiftModifier, 16},  // + on a JIS keyboard
      {window->MM_Text, Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier, 14},
      {window->TV_Log, Qt::Key_0, Qt::ControlModifier, 12},
      {window->TV_Log, Qt::Key_Minus, Qt::ControlModifier, 10},
      {window->TV_Log, Qt::Key_Minus, Qt::ControlModifier, 8},
      {window->TV_Log, Qt::Key_Minus, Qt::ControlModifier, 8},  // the smallest
  };
  for (const Row& row : rows) {
    KeyIn(row.focus, row.key, row.mods);
    EXPECT_EQ(pixels(), row.expected) << row.key;
  }
  QWidget* body = window->MM_Text->viewport();
  const auto wheel = [&](int turn, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
    const QPoint at = body->rect().center();
    QWheelEvent e(at, body->mapToGlobal(at), {}, {0, turn}, Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(body, &e);
    return pixels();
  };
  EXPECT_EQ(wheel(120), 10);
  EXPECT_EQ(wheel(120), 12);
  EXPECT_EQ(wheel(-120), 10);  // a step a notch either way
  EXPECT_EQ(wheel(120, Qt::NoModifier), 10);  // the wheel alone scrolls
  Select(Top(0));
  KeyIn(window->TV_Log, Qt::Key_Plus);
  EXPECT_EQ(pixels(), 10);  // + alone is the tree's
}

TEST_F(CommandTest, MenusRunTheirHandlersAsTheyDropDown) {
  OpenSome();
  window->MN_File_Print->setEnabled(false);  // stale
  window->MN_File->popup(window->mapToGlobal(QPoint(0, 0)));
  EXPECT_TRUE(window->MN_File_Print->isEnabled());
  window->MN_File->close();

  window->MN_Edit_Copy->setEnabled(true);  // stale: nothing is selected
  window->MN_Edit->popup(window->mapToGlobal(QPoint(0, 0)));
  EXPECT_FALSE(window->MN_Edit_Copy->isEnabled());
  window->MN_Edit->close();
}

TEST_F(CommandTest, CopyPutsThePaneSelectionOnTheClipboard) {
  OpenSome();
  Select(Top(0));
  SelectAllOfPane();
  SetClipboard(QStringLiteral("before"));
  window->MN_Edit_CopyClick();
  EXPECT_EQ(Clipboard(), QStringLiteral("first line\nsecond line"));
}

TEST_F(CommandTest, CopyOfJapaneseTextIsUnicode) {
  const std::string path = WriteLog(dir, "jp.log", {M(1, -1, "t", "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\r\n")});
  Open({path});
  Select(Top(0));
  SelectAllOfPane();
  window->MN_Edit_CopyClick();
  EXPECT_EQ(Clipboard(), QStringLiteral("こんにちは"));
}

TEST_F(CommandTest, CopyWithEmptySelectionLeavesClipboard) {
  OpenSome();
  Select(Top(0));
  SetClipboard(QStringLiteral("kept"));
  window->MN_Edit_CopyClick();
  EXPECT_EQ(Clipboard(), QStringLiteral("kept"));
  window->SB_Edit_Copy->click();
  EXPECT_EQ(Clipboard(), QStringLiteral("kept"));
}

// Ctrl+C is the menu's before it is the pane's or the tree's: the Edit menu's
// handler decides afresh each time, whatever the item's state was before.
TEST_F(CommandTest, CtrlCKeyFollowsTheMenu) {
  OpenSome();
  Select(Top(0));
  SetClipboard(QStringLiteral("kept"));
  KeyIn(window->MM_Text, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), QStringLiteral("kept"));

  window->MN_EditClick();  // Copy is now disabled: nothing was selected
  SelectAllOfPane();
  KeyIn(window->TV_Log, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), QStringLiteral("first line\nsecond line")) << "not the tree's caption";
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(0)});

  window->MN_EditClick();  // Copy is now enabled
  QTextCursor cursor = window->MM_Text->textCursor();
  cursor.clearSelection();
  window->MM_Text->setTextCursor(cursor);
  SetClipboard(QStringLiteral("kept"));
  KeyIn(window->MM_Text, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), QStringLiteral("kept"));

  // From the pane itself: the command copies, as text only.
  SelectAllOfPane();
  KeyIn(window->MM_Text, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), QStringLiteral("first line\nsecond line"));
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->formats(), QStringList{"text/plain"});
}

// A key typed comes to the window system's window before the widget with
// the focus; the menu takes it from the widget, once.
TEST_F(CommandTest, ATypedKeyReachesTheMenuThroughTheWindow) {
  OpenSome();
  Select(Top(0));
  SelectAllOfPane();
  SetClipboard(QStringLiteral("kept"));
  window->MM_Text->setFocus();
  QApplication::processEvents();
  QTest::keyClick(window->windowHandle(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), QStringLiteral("first line\nsecond line"));
}

TEST_F(CommandTest, TreeNeverCopiesItsCaption) {
  OpenSome();
  Select(Top(0));
  SetClipboard(QStringLiteral("kept"));
  KeyIn(window->TV_Log, Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), QStringLiteral("kept"));
}

// F10 alone opens the menu bar as Alt does; with Shift or Ctrl it is no
// menu key.
TEST_F(CommandTest, F10AloneDropsTheFileMenu) {
  OpenSome();
  Select(Top(0));
  const struct {
    Qt::KeyboardModifiers modifiers;
    int shown;
  } cases[] = {{Qt::ShiftModifier, 0}, {Qt::ControlModifier, 0}, {Qt::NoModifier, 1}};  // the menu last
  for (const auto& c : cases) {
    QSignalSpy shown(window->MN_File, &QMenu::aboutToShow);
    KeyIn(window->TV_Log, Qt::Key_F10, c.modifiers);
    EXPECT_EQ(shown.count(), c.shown) << c.modifiers;
    EXPECT_EQ(window->MN_File->isVisible(), c.shown == 1) << c.modifiers;
    EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(0)}) << "F10 reached the tree";
    window->MN_File->close();
  }
}

// Alt with a menu's letter drops that menu, typed through the window: the
// shortcuts that are no item of the menu reach their own owners.
TEST_F(CommandTest, AltWithAMenusLetterDropsIt) {
  OpenSome();
  QSignalSpy shown(window->MN_Edit, &QMenu::aboutToShow);
  QTest::keyClick(window->windowHandle(), Qt::Key_E, Qt::AltModifier);
  EXPECT_EQ(shown.count(), 1);
  window->MN_Edit->close();
}

// A shortcut that the shortcut map gives a menu item itself (as it does
// with no widget to take the key first) runs as the item's menu decides
// afresh: an item left enabled from before does not run.
TEST_F(CommandTest, AShortcutGivenToItsItemAsksItsMenuFirst) {
  OpenSome();
  window->MN_Edit_Search->setEnabled(true);  // stale: nothing is selected
  QSignalSpy ran(window->MN_Edit_Search, &QAction::triggered);
  QShortcutEvent shortcut(window->MN_Edit_Search->shortcut(), 0);
  QApplication::sendEvent(window->MN_Edit_Search, &shortcut);
  EXPECT_FALSE(window->MN_Edit_Search->isEnabled());
  EXPECT_EQ(ran.count(), 0);
}

// A key that the menu has taken reaches no widget, whether the item acted
// or was refused; other keys still do.
TEST_F(CommandTest, MenuKeysAreNotPassedOn) {
  class KeyCounter : public QObject {
   public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      // QTest presses the modifier keys themselves too; they are no shortcut.
      if (event->type() == QEvent::KeyPress &&
          static_cast<QKeyEvent*>(event)->key() != Qt::Key_Control) {
        ++presses;
      }
      return false;
    }
  } counter;
  OpenSome();
  window->TV_Log->installEventFilter(&counter);
  KeyIn(window->TV_Log, Qt::Key_C, Qt::ControlModifier);  // refused: nothing selected
  KeyIn(window->TV_Log, Qt::Key_F3);                      // refused: no node
  KeyIn(window->TV_Log, Qt::Key_F1);                      // never enabled
  EXPECT_EQ(counter.presses, 0);
  EXPECT_TRUE(dialogs.warnings.empty());
  KeyIn(window->TV_Log, Qt::Key_Down);
  EXPECT_EQ(counter.presses, 1);
  Select(Top(0));
  window->MM_Text->selectAll();
  KeyIn(window->TV_Log, Qt::Key_C, Qt::ControlModifier);  // acted on: copies the pane's text
  EXPECT_EQ(counter.presses, 1);
  window->TV_Log->removeEventFilter(&counter);
}

TEST_F(CommandTest, F3SearchesOnlyWithANodeSelected) {
  OpenSome();
  SearchText = "apple";
  SearchFields = FieldTitle;
  SearchDirection = 1;
  KeyIn(window->TV_Log, Qt::Key_F3);
  EXPECT_TRUE(dialogs.warnings.empty()) << "F3 with no node does nothing, not even warn";
  EXPECT_TRUE(Tree().selectedItems().isEmpty());

  Select(Top(0));
  KeyIn(window->TV_Log, Qt::Key_F3);
  EXPECT_TRUE(dialogs.warnings.empty());
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(3)}) << "Apple tart, in the other file";
  EXPECT_EQ(window->MM_Text->toPlainText(), QStringLiteral("baked"));
  KeyIn(window->MM_Text, Qt::Key_F3);  // from the pane as well
  EXPECT_EQ(dialogs.warnings, std::vector<QString>{QStringLiteral("検索末尾まで検索しました")});
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(3)});
}

// The window hands the stored direction to the search: 2 walks upwards,
// into the file ordered before.
TEST_F(CommandTest, F3SearchesUpwardsWhenTheConditionsSaySo) {
  OpenSome();
  SearchText = "apple";
  SearchFields = FieldTitle;
  SearchDirection = 2;
  Select(Top(3));  // Apple tart, the last message
  KeyIn(window->TV_Log, Qt::Key_F3);
  EXPECT_TRUE(dialogs.warnings.empty());
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(0)}) << "Apple pie";
}

TEST_F(CommandTest, SearchToolbarButtonRunsWithoutTheMenuChecks) {
  window->SB_Edit_Search->click();
  EXPECT_EQ(dialogs.warnings, std::vector<QString>{QStringLiteral("検索開始位置を指定してください")});
  OpenSome();
  Select(Top(2));
  window->SB_Edit_Search->click();
  EXPECT_EQ(dialogs.warnings.back(), QStringLiteral("その位置からは検索できません"));
  Select(Top(0));
  window->SB_Edit_Search->click();
  EXPECT_EQ(dialogs.warnings.back(), QStringLiteral("検索文字列を指定してください"));
}

TEST_F(CommandTest, SearchHitIsSelectedExpandedAndShown) {
  const std::string path = WriteLog(dir, "a.log",
                                    {M(1, -1, "Top"), M(2, 1, "Reply", "needle here\r\n")});
  Open({path});
  Select(Top(0));
  ASSERT_FALSE(Top(0)->isExpanded());
  SearchText = "NEEDLE";
  SearchFields = FieldBody;
  window->MN_Edit_SearchClick();
  QTreeWidgetItem* reply = Top(0)->child(0);
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{reply});
  EXPECT_TRUE(Top(0)->isExpanded());
  EXPECT_EQ(window->Ed_Number->text(), QStringLiteral("2"));
  EXPECT_EQ(QApplication::focusWidget(), window->TV_Log) << "the focus does not move";
}

// When every placeholder is taken, a comment on yet another missing message
// stays out of the tree; a search that finds it can select nothing.
TEST_F(CommandTest, SearchHitWithoutANodeLeavesNoSelection) {
  std::vector<Msg> full;
  for (int k = 1; k <= 3000; ++k) full.push_back(M(k, 100000 + k, "Orphan"));
  const std::string a = WriteLog(dir, "full.log", full);
  const std::string b = WriteLog(dir, "late.log", {M(5000, 200000, "Lost one", "body\r\n")});
  Open({a, b});
  ASSERT_EQ(Tree().topLevelItemCount(), 3000);
  ASSERT_EQ(window->Logs()[1][0].Node, NoNode);

  Select(window->ItemOf(window->Logs()[0][2999].Node));
  ASSERT_FALSE(ViewIsEmpty());
  SearchText = "lost";
  SearchFields = FieldTitle;
  window->MN_Edit_SearchClick();
  EXPECT_TRUE(dialogs.warnings.empty());
  EXPECT_TRUE(Tree().selectedItems().isEmpty());
  EXPECT_TRUE(ViewIsEmpty());
}

TEST_F(CommandTest, CtrlFShowsConditionsAndSearchesWhenAccepted) {
  OpenSome();
  Select(Top(0));
  dialogs.onShowModal = [](QDialog&) {
    SearchText = "yellow";
    SearchFields = FieldBody;
    SearchDirection = 1;
    SearchAccepted = 1;
    return 0;
  };
  KeyIn(window->MM_Text, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(dialogs.shown, std::vector<QString>{QStringLiteral("TFrm_Search")});
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(1)});

  dialogs.onShowModal = [](QDialog&) {
    SearchText = "red";
    SearchAccepted = 0;  // closed without searching
    return 0;
  };
  window->SB_Edit_SearchSet->click();
  EXPECT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(1)});
  EXPECT_TRUE(dialogs.warnings.empty());
}

TEST_F(CommandTest, AboutBoxAndHelp) {
  window->MN_Info_Info->trigger();
  window->SB_Info_Info->click();
  EXPECT_EQ(dialogs.shown, (std::vector<QString>{info->objectName(), info->objectName()}));
  EXPECT_EQ(info->objectName(), QStringLiteral("TFrm_Info"));

  window->SB_Info_Help->click();
  KeyIn(window->TV_Log, Qt::Key_F1);
  EXPECT_EQ(dialogs.shown.size(), 2u);
  EXPECT_TRUE(dialogs.warnings.empty());
  EXPECT_TRUE(dialogs.stops.empty());
}

TEST_F(CommandTest, ExitClosesAtOnce) {
  OpenSome();
  window->SB_File_Exit->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(dialogs.warnings.empty());
  window->show();
  window->MN_File_Exit->trigger();
  EXPECT_FALSE(window->isVisible());
}

// Every button fires in the empty state, where the menu would refuse.
TEST_F(CommandTest, ToolbarButtonsFireWithNothingLoaded) {
  window->SB_File_Print->click();
  EXPECT_EQ(dialogs.printerDialogs, 1);
  window->SB_File_Open->click();
  EXPECT_EQ(dialogs.fileDialogTitles.size(), 1u);
  window->SB_Edit_Copy->click();
  window->SB_Edit_SearchSet->click();
  EXPECT_EQ(dialogs.shown, std::vector<QString>{search->objectName()});
  EXPECT_TRUE(dialogs.stops.empty());
}

class PrintTest : public CommandTest {
 protected:
  QString Pdf() const { return QString::fromStdString(dir.Path("out.pdf")); }
  // The PDF's text, or an empty string when no PDF was written.
  QString PrintedText() {
    if (!QFile::exists(Pdf())) return {};
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) return QStringLiteral("(pdftotext missing)");
    QProcess run;
    run.start(tool, {Pdf(), QStringLiteral("-")});
    run.waitForFinished();
    return QString::fromUtf8(run.readAllStandardOutput());
  }
};

TEST_F(PrintTest, PrintsTheSelectedMessage) {
  OpenSome();
  Select(Top(1));
  dialogs.printTo = Pdf();
  window->MN_File_PrintClick();
  const QString text = PrintedText();
  if (text == QStringLiteral("(pdftotext missing)")) GTEST_SKIP() << "pdftotext is not installed";
  EXPECT_TRUE(text.contains(QStringLiteral("/----- Banana -----/"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("yellow")));
  EXPECT_TRUE(dialogs.warnings.empty());
}

// The print dialog offers the printer and the output file of the last print
// of this run again; a cancelled dialog changes neither.
TEST_F(PrintTest, TheNextPrintOffersTheLastChoices) {
  OpenSome();
  Select(Top(0));
  dialogs.printTo = Pdf();
  window->MN_File_PrintClick();
  dialogs.printTo.clear();  // the second dialog is cancelled
  window->MN_File_PrintClick();
  dialogs.printTo = Pdf();
  window->MN_File_PrintClick();
  EXPECT_EQ(dialogs.offeredFiles, (std::vector<QString>{QString(), Pdf(), Pdf()}));
}

TEST_F(PrintTest, DialogFirstThenNothingWithoutAMessage) {
  OpenSome();
  dialogs.printTo = Pdf();
  window->MN_File_PrintClick();  // no node selected
  EXPECT_EQ(dialogs.printerDialogs, 1);
  EXPECT_FALSE(QFile::exists(Pdf()));
  Select(Top(2));  // a placeholder
  window->MN_File_PrintClick();
  EXPECT_EQ(dialogs.printerDialogs, 2);
  EXPECT_FALSE(QFile::exists(Pdf()));
  EXPECT_TRUE(dialogs.warnings.empty());
}

TEST_F(PrintTest, CancelledDialogPrintsNothing) {
  OpenSome();
  Select(Top(0));
  dialogs.printTo.clear();
  window->MN_File_PrintClick();
  EXPECT_EQ(dialogs.printerDialogs, 1);
  EXPECT_FALSE(QFile::exists(Pdf()));
}

// After a search that ended without a hit the reader may hold another file;
// printing makes it hold the selected message's file again.
TEST_F(PrintTest, PrintReadsTheSelectedMessagesFile) {
  OpenSome();
  Select(Top(0));  // a.log, message 1
  SearchText = "nothing like this";
  SearchFields = FieldBody;
  window->MN_Edit_SearchClick();  // walks into b.log and stops at the end
  ASSERT_EQ(dialogs.warnings.size(), 1u);
  dialogs.printTo = Pdf();
  window->MN_File_PrintClick();
  const QString text = PrintedText();
  if (text == QStringLiteral("(pdftotext missing)")) GTEST_SKIP() << "pdftotext is not installed";
  EXPECT_TRUE(text.contains(QStringLiteral("first line"))) << text.toStdString();
}

// A printer that cannot start the document (here a PDF in a folder that is
// not there) is reported as an error, in the stop box.
TEST_F(PrintTest, PrinterThatFailsToBeginIsReported) {
  OpenSome();
  Select(Top(0));
  dialogs.printTo = QString::fromStdString(dir.Path("no such folder/out.pdf"));
  window->MN_File_PrintClick();
  EXPECT_EQ(dialogs.stops, std::vector<QString>{QStringLiteral("印刷できませんでした.")});
  EXPECT_TRUE(dialogs.warnings.empty());
}

TEST_F(PrintTest, DeletedFileWarnsAndPrintsNothing) {
  const std::string a = WriteLog(dir, "a.log", {M(1, -1, "One", "one\r\n")});
  const std::string b = WriteLog(dir, "b.log", {M(2, -1, "Two", "two\r\n")});
  Open({a, b});
  Select(Top(0));
  Select(Top(1));  // the reader now holds b.log
  std::filesystem::remove(a);
  Select(Top(0));  // warns once
  dialogs.printTo = Pdf();
  window->MN_File_PrintClick();
  EXPECT_EQ(dialogs.warnings, (std::vector<QString>{QString::fromStdString(a) + QStringLiteral("を開けませんでした"),
                                                    QString::fromStdString(a) + QStringLiteral("を開けませんでした")}));
  EXPECT_FALSE(QFile::exists(Pdf()));
}

// An object whose handler fails, the way a command's handler could.
class Failing : public QObject {
 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("ディスクがいっぱいです");
    return QObject::event(e);
  }
};

TEST_F(CommandTest, ErrorInAHandlerIsShownAndTheProgramGoesOn) {
  Failing failing;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&failing, &event);
  EXPECT_EQ(dialogs.stops, std::vector<QString>{QStringLiteral("ディスクがいっぱいです.")});

  // The window still works.
  OpenSome();
  Select(Top(1));
  EXPECT_EQ(window->MM_Text->toPlainText(), QStringLiteral("yellow"));
}

TEST(ApplicationTest, TitleAndHelpFile) {
  EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("ZU_Kirdo for Windows95"));
  EXPECT_EQ(qApp->property("helpFile").toString(), QStringLiteral("zu_kirdo.hlp"));
  EXPECT_NE(dynamic_cast<Application*>(qApp), nullptr);
}

}  // namespace
}  // namespace zu::testing
