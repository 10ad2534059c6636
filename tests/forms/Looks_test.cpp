// Where a window's frame is centred, on screens large and small, and modal
// windows that a window manager minimises.
#include "forms/Looks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>

#include "forms/Application.h"

namespace zu {
namespace {

// A large scale factor makes the windows larger than the screen; they are
// made to fit its available area, frame and all.
TEST(FittedClientSizeTest, TheSizeWhereItFitsElseAsMuchAsTheAreaHolds) {
  struct Row {
    QSize client;
    QRect area;
    QSize expected;
  };
  const QMargins frame(2, 21, 2, 2);
  const Row rows[] = {
      {{681, 488}, {0, 0, 1024, 768}, {681, 488}},
      {{681, 488}, {0, 0, 512, 384}, {508, 361}},   // 1024x768 at scale 2
      {{311, 151}, {0, 0, 512, 384}, {311, 151}},   // the search dialog still fits
      {{681, 300}, {0, 28, 512, 356}, {508, 300}},  // too wide only, under a panel
  };
  for (const Row& row : rows) EXPECT_EQ(FittedClientSize(row.client, frame, row.area), row.expected);
}

TEST(CentredFramePositionTest, CentresAndKeepsTheTopLeftOnTheScreen) {
  struct Row {
    QSize frame;
    QRect area;
    QPoint expected;
  };
  const Row rows[] = {
      {{697, 509}, {0, 0, 1024, 768}, {163, 129}},
      {{327, 190}, {0, 0, 1024, 740}, {348, 275}},  // a panel takes the bottom 28 pixels
      {{327, 190}, {1024, 20, 1280, 1004}, {1500, 427}},  // a second screen, a panel above
      {{697, 509}, {0, 0, 640, 480}, {0, 0}},       // larger than the screen both ways
      {{697, 300}, {0, 0, 640, 480}, {0, 90}},      // wider only: the height still centres
      {{300, 509}, {100, 50, 640, 480}, {270, 50}},  // taller only, on an offset area
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CentredFramePosition(row.frame, row.area), row.expected)
        << row.frame.width() << "x" << row.frame.height() << " in " << row.area.width() << "x"
        << row.area.height();
  }
}

// Counts the times a window was put above the others.
class Raises : public QObject {
 public:
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ZOrderChange) ++count;
    return false;
  }
};

// The program's own application; where an earlier test of this test
// program made a plain one, it is given the same filter.
void EnsureApplication() {
  if (QApplication::instance() == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zu_kirdo_test";
    static char* argv[] = {name, nullptr};
    new Application(argc, argv);
  } else if (dynamic_cast<Application*>(qApp) == nullptr) {
    KeepModalWindowsUp(*qApp);
  }
}

// A window larger than the screen's area is made to fit it: one of fixed
// size stays fixed, one the user may resize stays resizable.
TEST(CentreOnScreenTest, AWindowLargerThanTheScreenFitsAndKeepsWhetherItResizes) {
  EnsureApplication();
  const QSize area = QApplication::primaryScreen()->availableGeometry().size();
  QWidget fixed;
  fixed.setFixedSize(area + QSize(200, 100));
  QWidget resizable;
  resizable.setMinimumSize(area + QSize(100, 50));
  resizable.resize(area + QSize(200, 100));
  for (QWidget* window : {&fixed, &resizable}) {
    CentreOnScreen(*window);
    EXPECT_EQ(window->size(), area);
    EXPECT_EQ(window->minimumSize() == window->maximumSize(), window == &fixed);
  }
}

TEST(KeepModalWindowsUpTest, AMinimisedModalDialogComesBackOnTopUnlessItsOwnerIsMinimised) {
  EnsureApplication();
  QWidget owner;
  owner.show();
  QDialog modal(&owner);
  modal.setModal(true);
  QDialog modeless(&owner);
  for (QDialog* dialog : {&modal, &modeless}) {
    dialog->show();
    QApplication::processEvents();
    Raises raises;
    dialog->installEventFilter(&raises);
    dialog->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_EQ(dialog->isMinimized(), dialog == &modeless);
    EXPECT_EQ(raises.count > 0, dialog == &modal);  // a window restored behind its owner stays lost
    EXPECT_TRUE(dialog->isVisible());
    dialog->removeEventFilter(&raises);
  }
  owner.setWindowState(Qt::WindowMinimized);  // the whole program put away
  modal.setWindowState(Qt::WindowMinimized);
  QApplication::processEvents();
  EXPECT_TRUE(modal.isMinimized());
}

}  // namespace
}  // namespace zu
