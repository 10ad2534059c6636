// Drives the real main window offscreen: the application object, the three
// forms as start-up makes them, and scripted dialogs that answer the
// file dialog with chosen paths, record warnings and stop boxes, and answer
// the program's own dialogs without blocking.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Search.h"
#include "forms/Application.h"
#include "forms/WindowDialogs.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "support/LogFiles.h"

inline void InitKirdoResources() { Q_INIT_RESOURCE(zu_kirdo); }

namespace zu::testing {

// One application object for the whole test program, the program's own, so
// that its error box can be tested too.
class WindowsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zu_kirdo_test";
    static char* argv[] = {name, nullptr};
    InitKirdoResources();
    app_ = std::make_unique<Application>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<Application> app_;
};

inline ::testing::Environment* const windowsEnvironment =
    ::testing::AddGlobalTestEnvironment(new WindowsEnvironment);

class ScriptedDialogs : public WindowDialogs {
 public:
  void Warning(QWidget*, const QString& text) override { warnings.push_back(text); }
  void Stop(QWidget*, const QString& text) override { stops.push_back(text); }
  QStringList ChooseFiles(QWidget*, const QString& title) override {
    fileDialogTitles.push_back(title);
    return chosen;
  }
  bool ChoosePrinter(QWidget*, QPrinter& printer) override {
    ++printerDialogs;
    offeredFiles.push_back(printer.outputFileName());
    if (printTo.isEmpty()) return false;  // cancelled
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printTo);
    return true;
  }
  int ShowModal(QDialog& dialog) override {
    shown.push_back(dialog.objectName());
    return onShowModal ? onShowModal(dialog) : 0;
  }

  QStringList chosen;                     // what the file dialog answers
  QString printTo;                        // a PDF file; empty cancels the print dialog
  std::function<int(QDialog&)> onShowModal;
  std::vector<QString> warnings;
  std::vector<QString> stops;
  std::vector<QString> fileDialogTitles;
  std::vector<QString> shown;             // object names of the dialogs shown
  int printerDialogs = 0;
  std::vector<QString> offeredFiles;      // the output file each print dialog was given
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDialogs(&dialogs);
    SearchText.clear();  // the conditions at program start
    SearchDirection = 1;
    SearchFields = FieldBody;
    SearchAccepted = 0;
    window = std::make_unique<TFrm_Kirdo>();
    search = std::make_unique<TFrm_Search>();
    info = std::make_unique<TFrm_Info>();
    Frm_Kirdo = window.get();
    Frm_Search = search.get();
    Frm_Info = info.get();
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  void TearDown() override {
    Frm_Kirdo = nullptr;
    Frm_Search = nullptr;
    Frm_Info = nullptr;
    info.reset();
    search.reset();
    window.reset();
    SetDialogs(nullptr);
  }

  // The Open command answered with `paths`.
  void Open(const std::vector<std::string>& paths) {
    dialogs.chosen.clear();
    for (const std::string& p : paths) dialogs.chosen.append(QString::fromStdString(p));
    window->MN_File_OpenClick();
  }

  QTreeWidget& Tree() { return *window->TV_Log; }
  QTreeWidgetItem* Top(int i) { return Tree().topLevelItem(i); }
  void Select(QTreeWidgetItem* item) { Tree().setCurrentItem(item); }

  // The texts the four fields and the text pane show.
  std::vector<QString> View() {
    return {window->Ed_Number->text(), window->Ed_Name->text(), window->Ed_ID->text(),
            window->Ed_DateTime->text(), window->MM_Text->toPlainText()};
  }
  bool ViewIsEmpty() {
    for (const QString& s : View()) {
      if (!s.isEmpty()) return false;
    }
    return true;
  }

  ScriptedDialogs dialogs;
  std::unique_ptr<TFrm_Kirdo> window;
  std::unique_ptr<TFrm_Search> search;
  std::unique_ptr<TFrm_Info> info;
  TempDir dir;
};

// The captions of `item`'s children, in order.
inline QStringList ChildCaptions(const QTreeWidgetItem* item) {
  QStringList captions;
  for (int i = 0; i < item->childCount(); ++i) captions << item->child(i)->text(0);
  return captions;
}

inline QStringList TopCaptions(const QTreeWidget& tree) {
  QStringList captions;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) captions << tree.topLevelItem(i)->text(0);
  return captions;
}

// A log of the given messages, as a file in `dir`. The last message's body
// runs to the end of the file, so no blank line follows it.
inline std::string WriteLog(const TempDir& dir, const std::string& name,
                            const std::vector<Msg>& messages) {
  std::string bytes = "ZU forum log\r\n\r\n";
  for (const Msg& m : messages) bytes += &m == &messages.back() ? Header(m) + m.body : Message(m);
  return dir.Write(name, bytes);
}

inline Msg M(int32_t number, int32_t parent, const std::string& title,
             const std::string& body = "") {
  Msg m;
  m.number = number;
  m.parent = parent;
  m.title = title;
  m.body = body;
  return m;
}

}  // namespace zu::testing
