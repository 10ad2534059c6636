// The application object: the program's title, Qt's own texts in Japanese,
// and the box that shows an error escaping a handler. Such an error does not
// end the program: the box shows its message followed by "." under the
// application title, and the event loop carries on with the windows as they
// were. An allocation that fails in a handler is met by MeetOutOfMemory.
#pragma once

#include <QApplication>

class QWidget;

namespace zu {

class Application : public QApplication {
 public:
  // Sets the title, registers the help file name (nothing opens it),
  // installs Qt's Japanese translations and keeps modal windows from staying
  // minimised (KeepModalWindowsUp).
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void InstallQtJapanese();
};

// Meets an allocation that failed in a handler: undoes what was left half
// done and warns "メモリが足りません"; the program goes on.
void MeetOutOfMemory();

// Shows `message` (UTF-8) + "." in the stop box over `owner`, or over the
// active window.
void ShowError(QWidget* owner, const char* message);
void ShowError(const char* message);

}  // namespace zu
