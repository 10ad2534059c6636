// Start-up: the application object, the three forms in their order, the
// event loop. The program takes no arguments and always ends with 0.
#include <QIcon>
#include <exception>

#include "forms/Application.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"

int main(int argc, char* argv[]) {
  Q_INIT_RESOURCE(zu_kirdo);
  zu::Application application(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/zu_kirdo/zu_kirdo.xpm")));
  try {
    zu::TFrm_Kirdo kirdo;  // the first form: closing it ends the event loop
    zu::Frm_Kirdo = &kirdo;
    zu::TFrm_Search search;
    zu::Frm_Search = &search;
    zu::TFrm_Info info;
    zu::Frm_Info = &info;
    kirdo.show();
    QApplication::exec();
    zu::Frm_Info = nullptr;
    zu::Frm_Search = nullptr;
    zu::Frm_Kirdo = nullptr;
  } catch (const std::exception& error) {
    zu::ShowError(error.what());
  }
  return 0;
}
