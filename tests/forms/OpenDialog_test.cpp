// The Open command's file dialog, driven offscreen as a user drives it:
// names typed into the focused name field, Enter, and what reaches the
// command. A box of Qt's own would block the test, so one that opens fails it.
#include "forms/OpenDialog.h"

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QFileInfo>
#include <QHeaderView>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <filesystem>

#include "Unit1Harness.h"

namespace zu::testing {
namespace {

class OpenDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    a_ = dir_.Write("a.log", "a");
    b_ = dir_.Write("b.log", "b");
    std::filesystem::create_directory(dir_.Path("sub"));
    dialog_.setDirectory(QString::fromStdString(dir_.path().string()));
    dialog_.show();
    QApplication::setActiveWindow(&dialog_);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  }

  // Types `text` where the focus is, as the user does, and presses Enter.
  void TypeAndEnter(const QString& text) {
    QWidget* field = QApplication::focusWidget();
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field, text);
    QTimer::singleShot(0, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << "Qt's own box: " << box->text().toStdString();
        box->reject();
      }
    });
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
  }

  QString Path(const char* name) const { return QString::fromStdString(dir_.Path(name)); }

  TempDir dir_;
  std::string a_;
  std::string b_;
  OpenDialog dialog_{nullptr, QStringLiteral("ZU_Kirdo ファイルオープン")};
};

TEST_F(OpenDialogTest, EveryTypedNameReachesTheCommandInOrder) {
  TypeAndEnter(QStringLiteral("\"missing.log\" \"b.log\" \"sub\" \"a.log\""));
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  EXPECT_EQ(dialog_.ChosenPaths(),
            (QStringList{Path("missing.log"), Path("b.log"), Path("sub"), Path("a.log")}));
}

// Only a lone directory is entered: first among several names, it is a name
// like the others.
TEST_F(OpenDialogTest, ADirectoryFirstAmongSeveralNamesIsHandedOn) {
  TypeAndEnter(QStringLiteral("\"sub\" \"a.log\""));
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  EXPECT_EQ(dialog_.ChosenPaths(), (QStringList{Path("sub"), Path("a.log")}));
}

TEST_F(OpenDialogTest, AMissingNameAloneIsHandedOnNotRefused) {
  TypeAndEnter(QStringLiteral("missing.log"));
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  EXPECT_EQ(dialog_.ChosenPaths(), QStringList{Path("missing.log")});
}

TEST_F(OpenDialogTest, ALoneDirectoryIsEntered) {
  TypeAndEnter(QStringLiteral("sub"));
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_EQ(dialog_.directory().absolutePath(), Path("sub"));
  EXPECT_TRUE(dialog_.ChosenPaths().isEmpty());
  TypeAndEnter(QStringLiteral("../a.log"));  // and from there a name above it
  EXPECT_EQ(dialog_.ChosenPaths(), QStringList{Path("a.log")});
}

// Open stands for typed names that are all files, under either name.
TEST_F(OpenDialogTest, OpenIsEnabledForNamesOfFilesOnly) {
  dir_.Write("\x83\x65\x83\x58\x83\x67.log", "x");  // テスト.log
  auto* buttons = dialog_.findChild<QDialogButtonBox*>();
  auto* field = dialog_.findChild<QLineEdit*>();
  ASSERT_TRUE(buttons != nullptr && field != nullptr);
  const struct {
    const char* typed;
    bool enabled;
  } rows[] = {{"a.log", true}, {"テスト.log", true}, {"\"a.log\" \"b.log\"", true}, {"missing.log", false}};
  for (const auto& row : rows) {
    field->setText(QString::fromUtf8(row.typed));
    QApplication::processEvents();
    EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->isEnabled(), row.enabled) << row.typed;
  }
}

// A log copied with its Shift-JIS name, which Qt's own listing passes over:
// listed in Japanese after the folder's other files, chosen by a double
// click or by Enter on it, and handed on under a name that finds its bytes.
TEST_F(OpenDialogTest, ShiftJisNamedFileIsListedInJapaneseAndChosen) {
  const std::string sjis = dir_.Write("sub/\x83\x65\x83\x58\x83\x67.log", "x");  // テスト.log
  dialog_.setDirectory(Path("sub"));
  const QAbstractItemModel* listing = dialog_.proxyModel();
  QAbstractItemView* view = nullptr;
  for (QAbstractItemView* v : dialog_.findChildren<QAbstractItemView*>()) {
    if (v->isVisible() && v->model() == listing && qobject_cast<QHeaderView*>(v) == nullptr) view = v;
  }
  ASSERT_NE(view, nullptr);
  QModelIndex row;
  for (int r = 0; r < listing->rowCount(view->rootIndex()); ++r) {
    const QModelIndex at = listing->index(r, 0, view->rootIndex());
    if (at.data().toString() == QStringLiteral("テスト.log")) row = at;
  }
  ASSERT_TRUE(row.isValid());
  EXPECT_FALSE(listing->hasChildren(row));  // a file, not a folder to open
  const auto* proxy = qobject_cast<const QAbstractProxyModel*>(listing);
  ASSERT_NE(proxy, nullptr);
  const QModelIndex above = view->rootIndex().parent();
  ASSERT_TRUE(above.isValid());
  EXPECT_EQ(listing->rowCount(above), proxy->sourceModel()->rowCount(proxy->mapToSource(above)));  // in its folder alone
  for (const Qt::Key key : {Qt::Key_unknown, Qt::Key_Return, Qt::Key_Enter}) {  // unknown: a double click
    SCOPED_TRACE(key);
    dialog_.setResult(QDialog::Rejected);
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->visualRect(row).isEmpty(); }));
    if (key == Qt::Key_unknown) {
      QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(row).center());
    } else {
      view->setCurrentIndex(row);
      view->setFocus();
      QTest::keyClick(view, key);
    }
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
    ASSERT_EQ(dialog_.ChosenPaths(), QStringList{Path("sub/テスト.log")});
    EXPECT_EQ(LocalPathOf(dialog_.ChosenPaths()[0]), sjis);
  }
}

// Leaving a folder takes its Shift-JIS names from the listing, and the
// views are told, removal begun and ended, as for any rows.
TEST_F(OpenDialogTest, ShiftJisNamesLeaveTheListingWithTheirFolder) {
  dir_.Write("sub/\x83\x65\x83\x58\x83\x67.log", "x");  // テスト.log
  dialog_.setDirectory(Path("sub"));
  const QAbstractItemModel* listing = dialog_.proxyModel();
  QSignalSpy begun(listing, &QAbstractItemModel::rowsAboutToBeRemoved);
  QSignalSpy ended(listing, &QAbstractItemModel::rowsRemoved);
  dialog_.setDirectory(Path("."));
  EXPECT_EQ(begun.count(), ended.count());
  EXPECT_GE(ended.count(), 1);
  EXPECT_TRUE(listing->match(listing->index(0, 0), Qt::DisplayRole, QStringLiteral("テスト.log"), 1,
                             Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
}

// The listing's types, sizes and dates are Japanese whatever the locale the
// tests run in (C here): Qt's catalogue has no type words, and its model
// writes sizes and dates by the system's locale.
TEST_F(OpenDialogTest, TypesSizesAndDatesAreJapanese) {
  // A folder the dialog has never looked at, made whole before it does: Qt's
  // listing of a folder it already knows may miss what was added meanwhile.
  TempDir other;
  std::filesystem::create_directories(other.Path("list/folder"));
  const std::string log = other.Write("list/a.log", std::string(2000, 'x'));
  dialog_.setDirectory(QString::fromStdString(other.Path("list")));
  const QAbstractItemModel* listing = dialog_.proxyModel();
  QAbstractItemView* view = nullptr;
  for (QAbstractItemView* v : dialog_.findChildren<QAbstractItemView*>()) {
    if (v->isVisible() && v->model() == listing && qobject_cast<QHeaderView*>(v) == nullptr) view = v;
  }
  ASSERT_NE(view, nullptr);
  const auto rowOf = [&](const QString& name) {
    for (int r = 0; r < listing->rowCount(view->rootIndex()); ++r) {
      const QModelIndex at = listing->index(r, 0, view->rootIndex());
      if (at.data().toString() == name) return at;
    }
    return QModelIndex();
  };
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  const QString date = japanese.toString(QFileInfo(QString::fromStdString(log)).lastModified(), QLocale::ShortFormat);
  struct Row {
    QString name;
    QString size;
    QString type;
  };
  for (const Row& row : {Row{QStringLiteral("folder"), QString(), QStringLiteral("フォルダー")},
                         Row{QStringLiteral("a.log"), japanese.formattedDataSize(2000), QStringLiteral("log ファイル")}}) {
    // The listing comes from Qt's own thread, slow under the sanitizers: wait long.
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowOf(row.name).isValid(); }, 30000)) << row.name.toStdString();
    const QModelIndex at = rowOf(row.name);
    EXPECT_EQ(at.siblingAtColumn(1).data().toString(), row.size);
    EXPECT_EQ(at.siblingAtColumn(2).data().toString(), row.type);
    // Only the texts are ours: the sizes stay aligned as the file model has them.
    EXPECT_TRUE(at.siblingAtColumn(1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignTrailing);
  }
  EXPECT_EQ(rowOf(QStringLiteral("a.log")).siblingAtColumn(3).data().toString(), date);
}

TEST(NamesInFieldTest, QuotedNamesOrTheWholeText) {
  EXPECT_EQ(NamesInField(QString()), QStringList());
  EXPECT_EQ(NamesInField(QStringLiteral("a b.log")), QStringList{"a b.log"});
  EXPECT_EQ(NamesInField(QStringLiteral("\"b.log\" \"a.log\"")), (QStringList{"b.log", "a.log"}));
  EXPECT_EQ(NamesInField(QStringLiteral("\"b.log\"  \"\" \"a.log")), (QStringList{"b.log", "a.log"}));
}

// A log copied with its Shift-JIS name: Qt cannot list it, but its name
// typed in Japanese finds its bytes, and a warning shows the name readably.
TEST(LocalPathTest, ShiftJisNameFoundFromItsJapaneseName) {
  TempDir dir;
  const std::string sjis = dir.Write("\x83\x65\x83\x58\x83\x67.log", "x");  // テスト.log
  const QString typed = QString::fromStdString(dir.path().string()) + QStringLiteral("/テスト.log");
  EXPECT_EQ(LocalPathOf(typed), sjis);
  EXPECT_EQ(TextOf(Message::CannotOpen, sjis), typed + QStringLiteral("を開けませんでした"));
  const std::string utf8 = dir.Write("ログ.log", "x");
  EXPECT_EQ(LocalPathOf(QString::fromStdString(utf8)), utf8);
  EXPECT_EQ(LocalPathOf(QStringLiteral("/nowhere/無い.log")), "/nowhere/無い.log");
}

// The whole road: the Open command with the real dialog, typed names, the
// command's own warning for the missing one and the directory.
class OpenCommandTest : public MainWindowTest {
 protected:
  struct RealFileDialog : ScriptedDialogs {
    QStringList ChooseFiles(QWidget* owner, const QString& title) override {
      return WindowDialogs::ChooseFiles(owner, title);
    }
  };
  void SetUp() override {
    MainWindowTest::SetUp();
    SetDialogs(&real);
  }
  RealFileDialog real;
};

TEST_F(OpenCommandTest, MissingNameAndDirectoryWarnTheExistingFileLoads) {
  const std::string log = WriteLog(dir, "one.log", {M(1, -1, "Loaded")});
  std::filesystem::create_directory(dir.Path("sub"));
  QTimer::singleShot(0, [&] {
    auto* open = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->windowTitle(), QStringLiteral("ZU_Kirdo ファイルオープン"));
    open->setDirectory(QString::fromStdString(dir.path().string()));
    QApplication::setActiveWindow(open);
    EXPECT_TRUE(QTest::qWaitForWindowActive(open));
    QTest::keyClicks(open->focusWidget(), QStringLiteral("\"missing.log\" \"sub\" \"one.log\""));
    QTest::keyClick(open->focusWidget(), Qt::Key_Return);
    if (open->isVisible()) open->reject();  // never left open: the test would hang
  });
  window->MN_File_OpenClick();
  const QString cannot = QStringLiteral("を開けませんでした");
  EXPECT_EQ(real.warnings, (std::vector<QString>{QString::fromStdString(dir.Path("missing.log")) + cannot,
                                                 QString::fromStdString(dir.Path("sub")) + cannot}));
  EXPECT_EQ(TopCaptions(Tree()), QStringList{"Loaded"});
}

}  // namespace
}  // namespace zu::testing
