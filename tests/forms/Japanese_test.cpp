// Qt's own texts in the windows are Japanese, whatever the locale the
// program was started in (the tests run in the C locale): the file dialog's
// labels and buttons, a box's buttons and the text pane's context menu.
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

#include "Unit1Harness.h"
#include "forms/OpenDialog.h"

namespace zu::testing {
namespace {

using JapaneseTest = MainWindowTest;

TEST_F(JapaneseTest, FileDialogLabelsAndButtons) {
  OpenDialog open(window.get(), QStringLiteral("ZU_Kirdo ファイルオープン"));
  EXPECT_EQ(open.labelText(QFileDialog::LookIn), QStringLiteral("アドレス:"));
  EXPECT_EQ(open.labelText(QFileDialog::FileName), QStringLiteral("ファイル名(&N):"));
  EXPECT_EQ(open.labelText(QFileDialog::Accept), QStringLiteral("開く(&O)"));
  EXPECT_EQ(open.labelText(QFileDialog::Reject), QStringLiteral("キャンセル"));
}

// The print dialog's question before it overwrites a file is such a box.
TEST_F(JapaneseTest, BoxButtons) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("c"), QStringLiteral("t"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Ok);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
  EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
  EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
}

TEST_F(JapaneseTest, TextPaneContextMenu) {
  const std::unique_ptr<QMenu> menu(window->MM_Text->createStandardContextMenu());
  QStringList texts;
  for (const QAction* item : menu->actions()) {
    if (!item->isSeparator()) texts << item->text();
  }
  EXPECT_EQ(texts, (QStringList{QStringLiteral("コピー(&C)"), QStringLiteral("すべてを選択\tCtrl+A")}));
}

}  // namespace
}  // namespace zu::testing
