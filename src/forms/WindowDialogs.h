// The windows' dialogs: every modal thing the windows show (the warning and
// stop boxes, the file-open and print dialogs, the search conditions dialog
// and the About box) is opened through the one WindowDialogs object in
// force, Dialogs(). The program runs with this class as it is; something that
// must answer the dialogs itself without blocking (a test, a benchmark)
// installs a subclass with SetDialogs.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

class QDialog;
class QPrinter;
class QWidget;

namespace zu {

enum class Message;

// The text of `m` as the windows show it: a path is put in front (CannotOpen
// is the only such warning), each of its names read as UTF-8, or as CP932
// where it is no UTF-8.
QString TextOf(Message m, const std::string& path = {});

class WindowDialogs {
 public:
  virtual ~WindowDialogs() = default;
  // Modal box with the exclamation icon, one OK button and the caption "ﾛｰｶﾙｴﾗｰ".
  virtual void Warning(QWidget* owner, const QString& text);
  // Modal box with the stop icon, one OK button and the application title.
  virtual void Stop(QWidget* owner, const QString& text);
  // The file-open dialog (OpenDialog): every path chosen or typed, existing
  // or not, in the dialog's order; an empty list when cancelled.
  virtual QStringList ChooseFiles(QWidget* owner, const QString& title);
  // The print dialog for `printer`; true when the user confirmed.
  virtual bool ChoosePrinter(QWidget* owner, QPrinter& printer);
  // Shows one of the program's own dialogs modally and returns its result.
  virtual int ShowModal(QDialog& dialog);
};

// The dialogs in force. SetDialogs(nullptr) restores the program's own.
WindowDialogs& Dialogs();
void SetDialogs(WindowDialogs* dialogs);

}  // namespace zu
