// The windows' real dialogs: the boxes they show are inspected while they are open
// and then answered, so the test never blocks.
#include "forms/WindowDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>

#include "support/OffscreenApp.h"

namespace zu {
namespace {

class WindowDialogsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureOffscreenApplication(); }

  // Runs `inspect` on the modal widget that `show` opens, then lets `show` return.
  template <typename W>
  void WhileOpen(const std::function<void()>& show, const std::function<void(W&)>& inspect) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* open = qobject_cast<W*>(QApplication::activeModalWidget());
      ASSERT_NE(open, nullptr);
      seen = true;
      inspect(*open);
      static_cast<QDialog*>(open)->done(QDialog::Rejected);
    });
    show();
    EXPECT_TRUE(seen);
  }

  // The title bar asks for no minimise or maximise box, and the size is fixed.
  static void ExpectDialogChrome(const QWidget& dialog) {
    EXPECT_FALSE(dialog.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  }

  QWidget owner_;
};

TEST_F(WindowDialogsTest, WarningAndStopBoxesShowTheirTextAsPlainText) {
  struct Row {
    bool stop;
    QMessageBox::Icon icon;
    QString caption;
  };
  const Row rows[] = {
      {false, QMessageBox::Warning, QStringLiteral("ﾛｰｶﾙｴﾗｰ")},
      {true, QMessageBox::Critical, QStringLiteral("ZU_Kirdo for Windows95")},
  };
  // A path can hold anything; it must reach the user as written.
  const QString text = QStringLiteral("/tmp/<b>log</b>&amp;.txtを開けませんでした");
  for (const Row& row : rows) {
    WhileOpen<QMessageBox>(
        [&] { row.stop ? Dialogs().Stop(&owner_, text) : Dialogs().Warning(&owner_, text); },
        [&](QMessageBox& box) {
          EXPECT_EQ(box.icon(), row.icon);
          EXPECT_EQ(box.windowTitle(), row.caption);
          EXPECT_EQ(box.text(), text);
          EXPECT_EQ(box.textFormat(), Qt::PlainText);
          EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
          EXPECT_EQ(box.parentWidget(), &owner_);
          EXPECT_TRUE(box.isModal());
          ExpectDialogChrome(box);
        });
  }
}

// The file-open dialog is Qt's own, in its fixed dialog frame.
TEST_F(WindowDialogsTest, FileDialogIsQtsOwnWithTheDialogChrome) {
  WhileOpen<QFileDialog>([&] { EXPECT_TRUE(Dialogs().ChooseFiles(&owner_, QStringLiteral("t")).isEmpty()); },
                         [&](QFileDialog& dialog) {
                           EXPECT_EQ(dialog.windowTitle(), QStringLiteral("t"));
                           EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
                           EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
                           ExpectDialogChrome(dialog);
                           EXPECT_GE(dialog.width(), 560);
                         });
}

TEST_F(WindowDialogsTest, PrintDialogOffersFilesButNoRangesOrSelection) {
  QPrinter printer;
  bool chosen = true;
  WhileOpen<QPrintDialog>([&] { chosen = Dialogs().ChoosePrinter(&owner_, printer); },
                          [&](QPrintDialog& dialog) {
                            EXPECT_EQ(dialog.printer(), &printer);
                            ExpectDialogChrome(dialog);
                            EXPECT_TRUE(dialog.testOption(QAbstractPrintDialog::PrintToFile));
                            EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintPageRange));
                            EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintSelection));
                            EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintCurrentPage));
                            // With no printer installed, a PDF file is still a choice.
                            bool pdfOffered = false;
                            for (const QComboBox* list : dialog.findChildren<QComboBox*>()) {
                              for (int i = 0; i < list->count(); ++i) {
                                if (list->itemText(i).contains(QStringLiteral("PDF"))) pdfOffered = true;
                              }
                            }
                            EXPECT_TRUE(pdfOffered);
                            // Nor does the full dialog offer a part of the message.
                            for (QPushButton* more : dialog.findChildren<QPushButton*>()) {
                              if (more->text().contains(QStringLiteral("Options"))) more->click();
                            }
                            for (const QRadioButton* choice : dialog.findChildren<QRadioButton*>()) {
                              const bool part = choice->text().contains(QStringLiteral("Pages")) ||
                                                choice->text().contains(QStringLiteral("Selection")) ||
                                                choice->text().contains(QStringLiteral("Current"));
                              EXPECT_FALSE(part && choice->isVisibleTo(&dialog))
                                  << choice->text().toStdString();
                            }
                          });
  EXPECT_FALSE(chosen) << "a cancelled dialog confirms nothing";
}

TEST_F(WindowDialogsTest, ShowModalGivesTheDialogsResult) {
  QDialog dialog(&owner_);
  QTimer::singleShot(0, [&] { dialog.done(7); });
  EXPECT_EQ(Dialogs().ShowModal(dialog), 7);
}

TEST_F(WindowDialogsTest, InstalledDialogsAnswerUntilRemoved) {
  struct Quiet : WindowDialogs {
    void Warning(QWidget*, const QString& text) override { last = text; }
    QString last;
  } quiet;
  WindowDialogs& real = Dialogs();
  SetDialogs(&quiet);
  Dialogs().Warning(&owner_, QStringLiteral("x"));
  EXPECT_EQ(quiet.last, QStringLiteral("x"));
  EXPECT_EQ(&Dialogs(), &quiet);
  SetDialogs(nullptr);
  EXPECT_EQ(&Dialogs(), &real);
}

}  // namespace
}  // namespace zu
