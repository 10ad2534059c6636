// The bar between the tree and the text pane: its three mouse handlers with
// given buttons and positions, and what the tree's width becomes.
#include "Unit1Harness.h"

namespace zu::testing {
namespace {

enum class Do { Down, Move, Up };

struct Step {
  Do what;
  int x;  // within the bar
  Qt::MouseButton button;
  int tree;  // TV_Log's width afterwards
};

struct Drag {
  const char* name;
  int clientWidth;  // the window is set to this first; 681 is its own
  std::vector<Step> steps;
};

constexpr auto L = Qt::LeftButton;
constexpr auto R = Qt::RightButton;
constexpr auto Mid = Qt::MiddleButton;
constexpr auto None = Qt::NoButton;

// The tree starts 217 wide, the text pane 461 (client 681).
const Drag drags[] = {
    {"right or middle press starts no drag", 681,
     {{Do::Down, 1, R, 217}, {Do::Move, 40, None, 217}, {Do::Up, 40, R, 217},
      {Do::Down, 1, Mid, 217}, {Do::Move, -40, None, 217}}},
    {"moves with no button held change nothing", 681, {{Do::Move, 30, None, 217}, {Do::Move, -30, None, 217}}},
    {"left drag follows the pointer; the same spot again changes nothing", 681,
     {{Do::Down, 1, L, 217}, {Do::Move, -49, None, 167}, {Do::Move, 1, None, 167},
      {Do::Move, 21, None, 187}, {Do::Up, 1, L, 187}, {Do::Move, 30, None, 187}}},
    {"releasing the right button does not end a left drag", 681,
     {{Do::Down, 0, L, 217}, {Do::Up, 0, R, 217}, {Do::Move, 10, None, 227},
      {Do::Up, 0, Mid, 227}, {Do::Move, 10, None, 237}, {Do::Up, 0, L, 237},
      {Do::Move, 10, None, 237}}},
    {"a tree under 50 is not narrowed, but moves at or right of the edge apply", 681,
     {{Do::Down, 0, L, 217}, {Do::Move, -172, None, 45}, {Do::Move, -5, None, 45},
      {Do::Move, 0, None, 45}, {Do::Move, 2, None, 47}, {Do::Move, -1, None, 47}}},
    // Grabbed 2 pixels in: X = 0 is not left of the bar, so it narrows the tree further.
    {"a narrow tree still follows a move to X = 0", 681,
     {{Do::Down, 2, L, 217}, {Do::Move, -170, None, 45}, {Do::Move, 0, None, 43},
      {Do::Move, -1, None, 43}}},
    {"a pane exactly 50 wide still gives way", 681,
     {{Do::Down, 0, L, 217}, {Do::Move, -167, None, 50}, {Do::Move, -1, None, 49}, {Do::Move, -1, None, 49},
      {Do::Move, 579, None, 628}, {Do::Move, 1, None, 629}, {Do::Move, 1, None, 629}}},
    {"one fast move takes the tree well below 50: a check, not a clamp", 681,
     {{Do::Down, 2, L, 217}, {Do::Move, -198, None, 17}, {Do::Move, -1, None, 17}}},
    {"a width below zero shows no tree", 681,
     {{Do::Down, 0, L, 217}, {Do::Move, -300, None, 0}, {Do::Move, -1, None, 0},
      {Do::Move, 5, None, 5}}},
    {"widening stops once the text pane is under 50", 681,
     {{Do::Down, 0, L, 217}, {Do::Move, 430, None, 647}, {Do::Move, 10, None, 647},
      {Do::Move, 0, None, 647}, {Do::Move, -1, None, 646}}},
    {"a fast move may widen the tree past the window", 681,
     {{Do::Down, 0, L, 217}, {Do::Move, 600, None, 817}, {Do::Move, 1, None, 817}}},
    // Client 90: the pane has width 0 at first; after the first move the tree
    // is 40 and the pane 47, both under 50.
    {"with both panes under 50 only X = 0 applies", 90,
     {{Do::Down, 0, L, 217}, {Do::Move, -177, None, 40}, {Do::Move, -3, None, 40},
      {Do::Move, 3, None, 40}, {Do::Move, 0, None, 40}}},
};

class SplitterTest : public MainWindowTest, public ::testing::WithParamInterface<Drag> {
 protected:
  void SetClientWidth(int width) {
    window->resize(width, window->height());
    QApplication::processEvents();
    ASSERT_EQ(window->centralWidget()->width(), width);
  }
};

TEST_P(SplitterTest, TreeWidthFollowsTheRules) {
  const Drag& drag = GetParam();
  SetClientWidth(drag.clientWidth);
  for (size_t i = 0; i < drag.steps.size(); ++i) {
    const Step& s = drag.steps[i];
    switch (s.what) {
      case Do::Down: window->Panel2MouseDown(s.button, {}, s.x, 5); break;
      case Do::Move: window->Panel2MouseMove({}, s.x, 5); break;
      case Do::Up: window->Panel2MouseUp(s.button, {}, s.x, 5); break;
    }
    EXPECT_EQ(window->TV_Log->width(), s.tree) << "step " << i;
    // The bar and the pane follow the tree's edge.
    EXPECT_EQ(window->Panel2->x(), s.tree) << "step " << i;
    EXPECT_EQ(window->MM_Text->x(), s.tree + 3) << "step " << i;
    EXPECT_EQ(window->MM_Text->width(), std::max(0, drag.clientWidth - s.tree - 3)) << "step " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Drags, SplitterTest, ::testing::ValuesIn(drags),
                         [](const ::testing::TestParamInfo<Drag>& param) {
                           return "Drag" + std::to_string(param.index);
                         });

using SplitterWindowTest = MainWindowTest;

TEST_F(SplitterWindowTest, ResizingKeepsTheTreeWidth) {
  window->Panel2MouseDown(Qt::LeftButton, {}, 1, 0);
  window->Panel2MouseMove({}, -66, 0);
  window->Panel2MouseUp(Qt::LeftButton, {}, -66, 0);
  ASSERT_EQ(window->TV_Log->width(), 150);
  window->resize(781, window->height() + 50);
  QApplication::processEvents();
  EXPECT_EQ(window->TV_Log->width(), 150);
  EXPECT_EQ(window->TV_Log->height(), 451 + 50 - 41);
  EXPECT_EQ(window->MM_Text->geometry(), QRect(153, 41, 781 - 153, 451 + 50 - 41));
  EXPECT_EQ(window->Panel1->width(), 781);
}

// The panes follow the client area as it is resized, before any other event.
TEST_F(SplitterWindowTest, ThePanesFollowTheClientAreaAtOnce) {
  QWidget* client = window->centralWidget();
  client->resize(client->width() + 40, client->height() + 30);
  EXPECT_EQ(window->MM_Text->geometry().bottomRight(), QPoint(client->width() - 1, client->height() - 1));
}

// The bar's mouse events reach the handlers, and the bar keeps the mouse
// while the button is held, even with the pointer outside it.
TEST_F(SplitterWindowTest, RealMouseDragMovesTheBar) {
  QWidget* bar = window->Panel2;
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 100));
  EXPECT_EQ(window->SplitDragging, 1);
  EXPECT_EQ(window->SplitDownX, 1);
  QTest::mouseMove(bar, QPoint(-49, 100));  // left of the bar: outside it
  EXPECT_EQ(window->TV_Log->width(), 167);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(1, 100));
  EXPECT_EQ(window->SplitDragging, 0);
  QTest::mouseMove(bar, QPoint(2, 100));
  EXPECT_EQ(window->TV_Log->width(), 167);
}

}  // namespace
}  // namespace zu::testing
