#include "forms/Application.h"

#include <exception>

#include "core/Messages.h"
#include "forms/WindowDialogs.h"

namespace zu {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // The title only, not a display name: Qt would append a display name to
  // every window caption.
  setApplicationName(QString::fromUtf8(ApplicationTitle));
  setProperty("helpFile", QString::fromUtf8(HelpFileName));
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
  return false;
}

void ShowError(QWidget* owner, const char* message) {
  Dialogs().Stop(owner, QString::fromUtf8(message) + QLatin1Char('.'));
}

void ShowError(const char* message) { ShowError(QApplication::activeWindow(), message); }

}  // namespace zu
