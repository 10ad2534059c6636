// Loaded files replaced, cut short or deleted on disk, as the main window
// meets them: every select of one of their messages warns and leaves the view
// empty (the second select too), printing warns and prints nothing, and every
// search that enters such a file ends with "ファイルエラー".
#include <QFile>
#include <filesystem>
#include <functional>

#include "Unit1Harness.h"

namespace zu::testing {
namespace {

struct Change {
  const char* what;
  std::function<void(const TempDir&, const std::string&)> apply;
};

const Change kChanges[] = {
    {"replaced by a file without messages",
     [](const TempDir& dir, const std::string&) { dir.Write("a.log", "no messages any more\r\n"); }},
    {"truncated inside its first header",
     [](const TempDir&, const std::string& path) { std::filesystem::resize_file(path, 30); }},
    {"deleted", [](const TempDir&, const std::string& path) { std::filesystem::remove(path); }},
};

class ChangedFileTest : public MainWindowTest {
 protected:
  // a.log (messages 1 and 2) comes before b.log (message 10); the last
  // selection leaves the reader holding b.log.
  void OpenAndHoldB() {
    a = WriteLog(dir, "a.log", {M(1, -1, "One", "apple\r\n"), M(2, -1, "Two", "banana\r\n")});
    b = WriteLog(dir, "b.log", {M(10, -1, "Ten", "cherry\r\n")});
    Open({a, b});
    ASSERT_EQ(TopCaptions(Tree()), (QStringList{"One", "Two", "Ten"}));
    Select(Top(0));
    Select(Top(2));
    ASSERT_EQ(window->MM_Text->toPlainText(), QStringLiteral("cherry"));
    dialogs.warnings.clear();
  }

  QString CannotOpenA() const { return QString::fromStdString(a) + QStringLiteral("を開けませんでした"); }
  QString Pdf() const { return QString::fromStdString(dir.Path("out.pdf")); }

  std::string a;
  std::string b;
};

TEST_F(ChangedFileTest, EverySelectOfAChangedFileWarnsAndShowsNothing) {
  for (const Change& change : kChanges) {
    SCOPED_TRACE(change.what);
    OpenAndHoldB();
    change.apply(dir, a);
    Select(Top(0));
    EXPECT_EQ(dialogs.warnings, std::vector<QString>{CannotOpenA()});
    EXPECT_TRUE(ViewIsEmpty());
    Select(Top(1));  // the second select, of the same file
    EXPECT_EQ(dialogs.warnings, (std::vector<QString>{CannotOpenA(), CannotOpenA()}));
    EXPECT_TRUE(ViewIsEmpty()) << window->Ed_Number->text().toStdString();
    Select(Top(2));
    EXPECT_EQ(window->Ed_Number->text(), QStringLiteral("10"));
    Select(Top(0));
    EXPECT_EQ(dialogs.warnings.size(), 3u);
    EXPECT_TRUE(ViewIsEmpty());
  }
}

TEST_F(ChangedFileTest, PrintAfterAFailedSelectWarnsAndPrintsNothing) {
  for (const Change& change : kChanges) {
    SCOPED_TRACE(change.what);
    OpenAndHoldB();
    change.apply(dir, a);
    Select(Top(1));
    dialogs.printTo = Pdf();
    window->MN_File_PrintClick();
    window->MN_File_PrintClick();
    EXPECT_EQ(dialogs.warnings, (std::vector<QString>{CannotOpenA(), CannotOpenA(), CannotOpenA()}));
    EXPECT_FALSE(QFile::exists(Pdf()));
    dialogs.printTo.clear();
  }
}

TEST_F(ChangedFileTest, EverySearchIntoAChangedFileIsAFileError) {
  for (const Change& change : kChanges) {
    SCOPED_TRACE(change.what);
    OpenAndHoldB();
    change.apply(dir, a);
    SearchText = "apple";
    SearchFields = FieldBody;
    SearchDirection = 2;
    window->MN_Edit_SearchClick();
    window->MN_Edit_SearchClick();
    const QString fileError = QStringLiteral("ファイルエラー");
    EXPECT_EQ(dialogs.warnings, (std::vector<QString>{fileError, fileError}));
    EXPECT_EQ(Tree().selectedItems(), QList<QTreeWidgetItem*>{Top(2)});
    EXPECT_EQ(window->MM_Text->toPlainText(), QStringLiteral("cherry"));
  }
}

}  // namespace
}  // namespace zu::testing
