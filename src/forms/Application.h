// The application object: the program's title, and the box that shows an
// error escaping a handler. Such an error does not end the program: the box
// shows its message followed by "." under the application title, and the
// event loop carries on with the windows as they were.
#pragma once

#include <QApplication>

namespace zu {

inline constexpr const char* ApplicationTitle = "ZU_Kirdo for Windows95";
inline constexpr const char* HelpFileName = "zu_kirdo.hlp";

class Application : public QApplication {
 public:
  // Sets the title and registers the help file name (nothing opens it).
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

// Shows `message` + "." in the stop box over the active window.
void ShowError(const char* message);

}  // namespace zu
