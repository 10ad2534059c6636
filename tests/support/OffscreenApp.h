// One QApplication for a test program, created on first use and drawn
// offscreen unless the caller chose another platform.
#pragma once

#include <QApplication>

namespace zu::testing {

inline void EnsureOffscreenApplication() {
  if (QApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "zu_kirdo_test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the test program ends
}

}  // namespace zu::testing
