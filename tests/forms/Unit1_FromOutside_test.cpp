// Logs given to the main window from outside its Open dialog: the files of
// the command line, as start-up hands them over, and files dropped on the
// window. Both go through the Open command as the dialog's choice does.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "Unit1Harness.h"
#include "startup/CommandLine.h"

namespace zu::testing {
namespace {

using FromOutsideTest = MainWindowTest;

const QString CannotOpen = QStringLiteral("を開けませんでした");
const QString TooMany = QStringLiteral("一度に11以上のﾌｧｲﾙを開けません");
const std::string ShiftJisName = "\x83\x65\x83\x58\x83\x67.log";  // テスト.log in Shift-JIS

// What start-up does with the arguments after `zu_kirdo`.
void StartWith(TFrm_Kirdo& window, const std::vector<std::string>& args) {
  std::vector<const char*> argv = {"zu_kirdo"};
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  const CommandLine command = ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
  ASSERT_EQ(command.action, CommandLine::Action::Open);
  window.OpenFilesLater(command.paths);
}

// Lets queued work run (an open handed to the event loop).
void RunEventLoop() { QTest::qWait(20); }

TEST_F(FromOutsideTest, CommandLineFilesOpenInOrderOnceTheLoopRuns) {
  Open({WriteLog(dir, "before.log", {M(1, -1, "Before")})});
  Select(Top(0));
  ASSERT_FALSE(ViewIsEmpty());

  // Eleven readable logs and a missing one second: the missing file warns
  // first, then the eleventh readable one meets the limit.
  std::vector<std::string> args = {"--"};
  std::vector<std::string> good;
  for (int i = 0; i < 11; ++i) {
    good.push_back(WriteLog(dir, "log" + std::to_string(i) + ".log",
                            {M(100 + i, -1, "T" + std::to_string(i))}));
  }
  const std::string missing = dir.Path("-missing.log");  // named like an option, after --
  args.push_back(good[0]);
  args.push_back(missing);
  args.insert(args.end(), good.begin() + 1, good.end());
  StartWith(*window, args);
  EXPECT_EQ(TopCaptions(Tree()), QStringList{"Before"});  // nothing happens before the loop runs

  RunEventLoop();
  EXPECT_EQ(dialogs.warnings,
            (std::vector<QString>{QString::fromStdString(missing) + CannotOpen, TooMany}));
  QStringList expected;
  for (int i = 0; i < 10; ++i) expected << "T" + QString::number(i);
  EXPECT_EQ(TopCaptions(Tree()), expected);
  EXPECT_EQ(window->Logs().LastFile(), 9);
  EXPECT_EQ(window->Logs()[9][0].FileName, good[9]);  // rows in argument order
  EXPECT_TRUE(ViewIsEmpty());                          // the set was reset
  EXPECT_TRUE(dialogs.fileDialogTitles.size() == 1);   // the dialog of the first Open only
}

TEST_F(FromOutsideTest, ShiftJisFileNameOpensFromTheCommandLine) {
  const std::string path = WriteLog(dir, ShiftJisName, {M(7, -1, "Named in Shift-JIS")});
  StartWith(*window, {path});
  RunEventLoop();
  EXPECT_TRUE(dialogs.warnings.empty());
  EXPECT_EQ(TopCaptions(Tree()), QStringList{"Named in Shift-JIS"});
  EXPECT_EQ(window->Logs()[0][0].FileName, path);
}

// No file given (or the dialog cancelled): the tree and the selection stay.
TEST_F(FromOutsideTest, NoFilesChangeNothing) {
  Open({WriteLog(dir, "kept.log", {M(1, -1, "Kept"), M(2, 1, "Re:Kept")})});
  Top(0)->setExpanded(true);
  Select(Top(0)->child(0));
  const std::vector<QString> shown = View();
  StartWith(*window, {});
  window->OpenFiles({});
  RunEventLoop();
  EXPECT_EQ(Tree().currentItem(), Top(0)->child(0));
  EXPECT_EQ(View(), shown);
  EXPECT_TRUE(dialogs.warnings.empty());
}

// ---- drops ----

// A drag carrying `uriList` as another program sends it: text/uri-list bytes.
std::unique_ptr<QMimeData> Dragged(const QByteArray& uriList) {
  auto data = std::make_unique<QMimeData>();
  data->setData(QStringLiteral("text/uri-list"), uriList);
  return data;
}

QByteArray FileUri(const std::string& path) {
  return "file://" + QByteArray::fromStdString(path).toPercentEncoding("/") + "\r\n";
}

// Sends a drag entering the window and a drop; true when both were accepted.
bool Drop(QWidget& target, const QMimeData& data) {
  QDragEnterEvent enter(QPoint(20, 60), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  QDropEvent drop(QPointF(20, 60), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
  EXPECT_EQ(enter.isAccepted(), drop.isAccepted());
  return drop.isAccepted();
}

TEST_F(FromOutsideTest, DroppedLocalFilesOpen) {
  const std::string first = WriteLog(dir, "first.log", {M(10, -1, "First")});
  const std::string named = WriteLog(dir, ShiftJisName, {M(20, -1, "Second")});
  Open({WriteLog(dir, "before.log", {M(1, -1, "Before")})});

  // A web page among the files is left out; the files open in their order,
  // a file named on this machine's host name too.
  const QByteArray onLocalhost = "file://localhost" + FileUri(named).mid(7);
  const auto data = Dragged("# dragged from a file manager\r\n" + FileUri(first) +
                            "https://example.org/log.log\r\n" + onLocalhost);
  EXPECT_TRUE(Drop(*window, *data));
  RunEventLoop();
  EXPECT_TRUE(dialogs.warnings.empty());
  EXPECT_EQ(TopCaptions(Tree()), (QStringList{"First", "Second"}));
  EXPECT_EQ(window->Logs()[1][0].FileName, named);

  const auto gone = Dragged(FileUri(dir.Path("gone.log")));  // a local file that fails warns
  EXPECT_TRUE(Drop(*window, *gone));
  RunEventLoop();
  EXPECT_EQ(dialogs.warnings, std::vector<QString>{QString::fromStdString(dir.Path("gone.log")) + CannotOpen});
  EXPECT_EQ(Tree().topLevelItemCount(), 0);
}

TEST_F(FromOutsideTest, DropsOfAnythingButLocalFilesDoNothing) {
  const std::string log = WriteLog(dir, "kept.log", {M(1, -1, "Kept")});
  Open({log});
  Select(Top(0));
  const std::vector<QString> shown = View();

  const std::vector<QByteArray> refused = {
      "https://example.org/a.log\r\n",
      "file://elsewhere.example/" + QByteArray::fromStdString(log).toPercentEncoding("/") + "\r\n",
      "",
  };
  for (const QByteArray& uris : refused) {
    EXPECT_FALSE(Drop(*window, *Dragged(uris))) << uris.constData();
  }
  QMimeData text;  // a path dragged as plain text is text, not a file
  text.setText(QString::fromStdString(log));
  EXPECT_FALSE(Drop(*window, text));

  RunEventLoop();
  EXPECT_TRUE(dialogs.warnings.empty());
  EXPECT_EQ(TopCaptions(Tree()), QStringList{"Kept"});
  EXPECT_EQ(View(), shown);
}

// Qt hands a drop to the innermost widget under the cursor that accepts
// drops. Wherever a file is dropped on the window, that must be the window.
TEST_F(FromOutsideTest, EveryPartOfTheWindowLeavesDropsToIt) {
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (child->isWindow()) continue;  // menus drop down as windows of their own
    QWidget* target = child;
    while (target != nullptr && !target->acceptDrops()) target = target->parentWidget();
    EXPECT_EQ(target, window.get()) << child->metaObject()->className() << " "
                                    << child->objectName().toStdString();
  }
}

}  // namespace
}  // namespace zu::testing
