#include "forms/Looks.h"

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <initializer_list>

namespace zu {

namespace {

QFont FirstInstalledFace(std::initializer_list<const char*> faces, const QFont& fallback) {
  for (const char* face : faces) {
    const QString family = QString::fromUtf8(face);
    if (QFontDatabase::hasFamily(family)) return QFont(family);
  }
  return fallback;
}

}  // namespace

QFont WindowFont() {
  QFont font = FirstInstalledFace({"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic"}, QApplication::font());
  font.setPixelSize(12);
  return font;
}

QFont FixedPitchFont() {
  QFont font = FirstInstalledFace({"ＭＳ ゴシック", "MS Gothic", "IPAGothic"},
                                  QFontDatabase::systemFont(QFontDatabase::FixedFont));
  font.setFixedPitch(true);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

Qt::WindowFlags DialogFlags() {
  return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

void SetDialogChrome(QWidget& dialog, QSize clientSize) {
  dialog.setWindowFlags(DialogFlags());
  dialog.setFixedSize(clientSize);
  dialog.setFont(WindowFont());
}

void SetBoxChrome(QDialog& box, QSize least) {
  box.setWindowFlags(DialogFlags());
  box.setSizeGripEnabled(false);
  if (least.isValid()) {
    box.setFixedSize(box.sizeHint().expandedTo(least));
  } else if (QLayout* layout = box.layout()) {
    layout->setSizeConstraint(QLayout::SetFixedSize);
  }
}

namespace {

class ModalWindowsStayUp : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::WindowStateChange) return false;
    auto* window = qobject_cast<QWidget*>(watched);
    if (window == nullptr || !window->isWindow() || !window->isModal() || !window->isMinimized() ||
        OwnerMinimised(*window)) {
      return false;
    }
    // Once the window system has finished minimising it.
    QTimer::singleShot(0, window, [window] {
      if (!window->isVisible()) return;
      window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
      window->show();
      window->raise();
      window->activateWindow();
    });
    return false;
  }

 private:
  static bool OwnerMinimised(const QWidget& window) {
    const QWidget* owner = window.parentWidget();
    return owner != nullptr && owner->window()->isMinimized();
  }
};

}  // namespace

void KeepModalWindowsUp(QApplication& app) { app.installEventFilter(new ModalWindowsStayUp(&app)); }

bool TakeDialogKey(QWidget& dialog, QKeyEvent& event) {
  if (event.matches(QKeySequence::Cancel)) {
    event.accept();
    return true;
  }
  if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) return false;
  if (auto* button = qobject_cast<QPushButton*>(dialog.focusWidget())) button->click();
  event.accept();
  return true;
}

QSize FittedClientSize(QSize client, const QMargins& frame, const QRect& area) {
  return client.boundedTo(area.size().shrunkBy(frame)).expandedTo(QSize(1, 1));
}

namespace {

// Gives `window` the client size `size`, below its minimum or fixed size
// where it has to: a window larger than the screen is one nobody can use.
void FitWithin(QWidget& window, QSize size) {
  if (size == window.size()) return;
  if (window.minimumSize() == window.maximumSize()) {
    window.setFixedSize(size);
    return;
  }
  window.setMinimumSize(window.minimumSize().boundedTo(size));
  window.resize(size);
}

}  // namespace

QPoint CentredFramePosition(QSize frame, const QRect& area) {
  return {area.left() + std::max(0, (area.width() - frame.width()) / 2),
          area.top() + std::max(0, (area.height() - frame.height()) / 2)};
}

namespace {

QMargins FrameOf(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  return handle != nullptr ? handle->frameMargins() : QMargins();
}

// The frame `window` has, or failing that the frame of another window of the
// program that the window manager has framed.
QMargins KnownFrame(const QWidget& window) {
  const QMargins own = FrameOf(window);
  if (!own.isNull()) return own;
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    if (other == &window || !other->isVisible()) continue;
    const QMargins frame = FrameOf(*other);
    if (!frame.isNull()) return frame;
  }
  return {};
}

// Places the client area so that a frame of `frame` around it is centred.
void PlaceCentred(QWidget& window, const QMargins& frame) {
  const QWidget* parent = window.parentWidget();
  const QScreen* where = parent != nullptr ? parent->screen() : window.screen();
  if (where == nullptr) return;
  FitWithin(window, FittedClientSize(window.size(), frame, where->availableGeometry()));
  const QPoint corner =
      CentredFramePosition(window.size().grownBy(frame), where->availableGeometry());
  // The client's own geometry, not move(): move() would take the frame as
  // Qt knows it so far, which is none before the window manager's answer.
  window.setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), window.size()));
}

// Centres the window once more when it is first exposed, if the frame the
// window manager gave it is not the one it was centred by.
class CentreWhenFramed : public QObject {
 public:
  CentreWhenFramed(QWidget& window, const QMargins& assumed)
      : QObject(&window), window_(window), assumed_(assumed) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Expose || !window_.windowHandle()->isExposed()) return false;
    const QMargins frame = FrameOf(window_);
    if (frame != assumed_) PlaceCentred(window_, frame);
    deleteLater();
    return false;
  }

 private:
  QWidget& window_;
  QMargins assumed_;
};

}  // namespace

void CentreOnScreen(QWidget& window) {
  const QMargins frame = KnownFrame(window);
  PlaceCentred(window, frame);
  QWindow* handle = window.windowHandle();
  if (handle != nullptr && !handle->isExposed()) {
    handle->installEventFilter(new CentreWhenFramed(window, frame));
  }
}

}  // namespace zu
