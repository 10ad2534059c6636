// The deepest thread tree the log limits allow: ten full logs whose 30,000
// messages each answer the one before, one reply chain 29,999 levels deep.
// Qt walks such a chain recursively when it lays it out, expands it, scrolls
// to its end and deletes it, so this program runs its tests as the viewer
// runs, on a thread with the tree's stack (zu::RunWithTreeStack).
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

#include "Unit1Harness.h"
#include "forms/TreeStack.h"

namespace zu::testing {
namespace {

constexpr int kFiles = 10;
constexpr int kPerFile = 3000;
constexpr int kMessages = kFiles * kPerFile;

QString ChainTitle(int number) { return QStringLiteral("Chain %1").arg(number); }

class DeepTreeTest : public MainWindowTest {
 protected:
  // Message n (1 to 30,000) answers message n - 1; file f holds 3000 of them.
  void OpenDeepestChain() {
    std::vector<std::string> paths;
    for (int f = 0; f < kFiles; ++f) {
      std::vector<Msg> messages;
      for (int number = f * kPerFile + 1; number <= (f + 1) * kPerFile; ++number) {
        const std::string body = number == 1 ? "top of the chain" : "body of " + std::to_string(number);
        messages.push_back(M(number, number - 1, ChainTitle(number).toStdString(), body + "\r\n"));
      }
      paths.push_back(WriteLog(dir, "deep" + std::to_string(f) + ".log", messages));
    }
    Open(paths);
    ASSERT_TRUE(dialogs.warnings.empty());
    ASSERT_EQ(Tree().topLevelItemCount(), 1);
  }

  // The end of the chain, reached from its top, and its depth.
  QTreeWidgetItem* Deepest(int& depth) {
    QTreeWidgetItem* item = Top(0);
    for (depth = 0; item->childCount() == 1; ++depth) item = item->child(0);
    return item;
  }

  // True when every node above `item` is expanded.
  static bool Unfolded(const QTreeWidgetItem* item) {
    for (const QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent()) {
      if (!up->isExpanded()) return false;
    }
    return true;
  }

  // True when `item`'s caption begins inside the tree's view.
  bool CaptionShown(QTreeWidgetItem* item) {
    const QRect caption = Tree().visualItemRect(item);
    return caption.isValid() && Tree().viewport()->rect().contains(caption.topLeft());
  }

  // True when the whole caption of `item` is in the tree's view: its column
  // reaches past the text's end, so that nothing is cut short, the text lies
  // between the view's edges, and the scroll bar spans the column as drawn.
  ::testing::AssertionResult CaptionWhole(QTreeWidgetItem* item) {
    const QRect cell = Tree().visualItemRect(item);
    const int margin = Tree().style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &Tree()) + 1;
    const int text = Tree().fontMetrics().horizontalAdvance(item->text(0)) + 2 * margin;
    const int shown = Tree().viewport()->width();
    const QScrollBar& across = *Tree().horizontalScrollBar();
    if (cell.width() < text || cell.left() < 0 || cell.left() + text > shown ||
        across.maximum() != std::max(0, Tree().header()->length() - shown)) {
      return ::testing::AssertionFailure()
             << "caption at " << cell.left() << ", " << text << " wide in a cell " << cell.width()
             << " wide, view " << shown << " wide; scroll bar " << across.value() << " of "
             << across.maximum() << " for a column " << Tree().header()->length() << " wide";
    }
    return ::testing::AssertionSuccess();
  }

  void KeyIn(Qt::Key key) {
    Tree().setFocus();
    QApplication::processEvents();
    QTest::keyClick(&Tree(), key);
  }

  // Lays the tree out and draws it, as the event loop does.
  void Draw() {
    QApplication::processEvents();
    Tree().viewport()->repaint();
  }
};

TEST_F(DeepTreeTest, ChainOpensExpandsWholeAndShowsAndPrintsItsEnd) {
  OpenDeepestChain();
  int depth = 0;
  QTreeWidgetItem* deepest = Deepest(depth);
  EXPECT_EQ(depth, kMessages - 1);
  EXPECT_EQ(deepest->text(0), ChainTitle(kMessages));
  Draw();

  Select(Top(0));
  KeyIn(Qt::Key_Asterisk);  // expands every node under the selected one
  Draw();
  EXPECT_TRUE(Unfolded(deepest));

  Select(deepest);
  Draw();
  EXPECT_EQ(window->Ed_Number->text(), QString::number(kMessages));
  EXPECT_EQ(window->MM_Text->toPlainText(), QStringLiteral("body of %1").arg(kMessages));
  EXPECT_TRUE(CaptionShown(deepest));
  EXPECT_TRUE(CaptionWhole(deepest));

  const QString pdf = QString::fromStdString(dir.Path("deepest.pdf"));
  dialogs.printTo = pdf;
  window->MN_File_PrintClick();
  EXPECT_GT(QFile(pdf).size(), 0);
  EXPECT_TRUE(dialogs.warnings.empty());

  KeyIn(Qt::Key_Home);
  EXPECT_EQ(window->Ed_Number->text(), QStringLiteral("1"));
  EXPECT_TRUE(CaptionShown(Top(0)));
  // Collapsing, and the next Open command dropping the whole expanded chain.
  Tree().collapseAll();
  Draw();
  OpenDeepestChain();
  Draw();
}

TEST_F(DeepTreeTest, SearchGoesDownAFoldedChainToItsEndAndBack) {
  OpenDeepestChain();
  Draw();
  Select(Top(0));
  SearchText = ChainTitle(kMessages).toStdString();
  SearchFields = FieldTitle;
  SearchDirection = 1;
  window->MN_Edit_SearchClick();
  int depth = 0;
  QTreeWidgetItem* deepest = Deepest(depth);
  ASSERT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{deepest});
  EXPECT_TRUE(Unfolded(deepest));
  EXPECT_EQ(window->Ed_Number->text(), QString::number(kMessages));
  EXPECT_TRUE(CaptionShown(deepest));
  Draw();
  EXPECT_TRUE(CaptionWhole(deepest));

  SearchText = "top of the chain";
  SearchFields = FieldBody;
  SearchDirection = 2;
  window->MN_Edit_SearchClick();
  EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(0)});
  EXPECT_EQ(window->Ed_Number->text(), QStringLiteral("1"));
  EXPECT_TRUE(CaptionShown(Top(0)));
  Draw();
  EXPECT_TRUE(dialogs.warnings.empty());
}

}  // namespace
}  // namespace zu::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return zu::RunWithTreeStack([] { return RUN_ALL_TESTS(); });
}

