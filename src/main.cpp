// Start-up: the command line, the application object, the three forms in
// their order, the event loop. Files named on the command line open once the
// main window shows; without them the start is the program's usual one.
#include <QIcon>
#include <cstdio>
#include <exception>

#include "forms/Application.h"
#include "forms/TreeStack.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "startup/CommandLine.h"

// Q_INIT_RESOURCE must be called outside any namespace.
static int RunViewer(char* argv[], const zu::CommandLine& command) {
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
    kirdo.OpenFilesLater(command.paths);
    QApplication::exec();
    zu::Frm_Info = nullptr;
    zu::Frm_Search = nullptr;
    zu::Frm_Kirdo = nullptr;
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
  // Qt itself runs on a thread with room for the deepest thread tree.
  return zu::RunWithTreeStack([&] { return RunViewer(argv, command); });
}
