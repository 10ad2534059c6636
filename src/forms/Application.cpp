#include "forms/Application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>
#include <new>

#include "core/Messages.h"
#include "forms/Looks.h"
#include "forms/Unit1.h"
#include "forms/WindowDialogs.h"

namespace zu {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // The title only, not a display name: Qt would append a display name to
  // every window caption.
  setApplicationName(QString::fromUtf8(ApplicationTitle));
  setProperty("helpFile", QString::fromUtf8(HelpFileName));
  InstallQtJapanese();
  // Numbers and dates that Qt writes by the default locale are Japanese too.
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  KeepModalWindowsUp(*this);
}

// Qt's own texts (the file and print dialogs, the boxes' buttons, the text
// pane's menu) in Japanese like the rest of the program, whatever the
// user's locale. The catalogue is looked for where this Qt keeps its
// translations (Debian's qt6-translations-l10n); without it they stay English.
void Application::InstallQtJapanese() {
  auto* japanese = new QTranslator(this);
  if (japanese->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(japanese);
  }
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    MeetOutOfMemory();
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
  return false;
}

// The handler that ran out was left half done: an Open that was loading or
// building is undone, as when the log set meets the failure itself. The
// memory its rows and nodes held is free again for the warning.
void MeetOutOfMemory() {
  if (Frm_Kirdo != nullptr) Frm_Kirdo->ForgetUnfinishedOpen();
  Dialogs().Warning(QApplication::activeWindow(), QString::fromUtf8(MessageText(Message::OutOfMemory)));
}

void ShowError(QWidget* owner, const char* message) {
  Dialogs().Stop(owner, QString::fromUtf8(message) + QLatin1Char('.'));
}

void ShowError(const char* message) { ShowError(QApplication::activeWindow(), message); }

}  // namespace zu
