// Start-up: the command line, the application object, the three forms in
// their order, the event loop. Files named on the command line open once the
// main window shows; without them the start is the program's usual one.
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <new>

#include "forms/Application.h"
#include "forms/TreeStack.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "forms/WindowDialogs.h"
#include "core/Messages.h"
#include "startup/CommandLine.h"

// Q_INIT_RESOURCE must be called outside any namespace.
static int RunViewer(char* argv[], const zu::CommandLine& command) {
  // Said before Qt starts, in case what is short ends the program there.
  if (zu::TreeStackShort()) {
    std::fprintf(stderr, "zu_kirdo: %s (%d)\n", zu::MessageText(zu::Message::StackShort), zu::TreeDepthLimit());
  }
  Q_INIT_RESOURCE(zu_kirdo);
  int qtArgc = 1;  // Qt reads no option of its own: every argument was the viewer's
  zu::Application application(qtArgc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/zu_kirdo/zu_kirdo.xpm")));
  try {
    zu::TFrm_Kirdo kirdo;  // the first form: closing it ends the event loop
    zu::Frm_Kirdo = &kirdo;
    zu::TFrm_Search search;
    zu::Frm_Search = &search;
    zu::TFrm_Info info;
    zu::Frm_Info = &info;
    kirdo.show();
    if (zu::TreeStackShort()) {
      QTimer::singleShot(0, &kirdo, [&kirdo] {
        zu::Dialogs().Warning(&kirdo, QString::fromUtf8(zu::MessageText(zu::Message::StackShort)));
      });
    }
    kirdo.OpenFilesLater(command.paths);
    QApplication::exec();
    zu::Frm_Info = nullptr;
    zu::Frm_Search = nullptr;
    zu::Frm_Kirdo = nullptr;
  } catch (const std::bad_alloc&) {
    throw;  // no box can be shown for it
  } catch (const std::exception& error) {
    zu::ShowError(error.what());
  }
  return 0;
}

int main(int argc, char* argv[]) {
  // Read before Qt starts, so that --help and --version need no display.
  const zu::CommandLine command = zu::ParseCommandLine(argc, argv);
  if (command.action != zu::CommandLine::Action::Open) {
    return zu::ReportCommandLine(command, stdout, stderr);
  }
  // Qt itself runs on a thread with room for the deepest thread tree. An
  // allocation that fails where no handler can meet it (starting, ending)
  // ends the program, saying so.
  return zu::RunWithTreeStack([&] {
    try {
      return RunViewer(argv, command);
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "zu_kirdo: %s\n", zu::MessageText(zu::Message::OutOfMemory));
      return 1;
    }
  });
}
