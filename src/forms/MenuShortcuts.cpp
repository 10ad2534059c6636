#include "forms/MenuShortcuts.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcutEvent>
#include <QTreeWidget>

#include "forms/Unit1.h"

namespace zu {

namespace {

// The key and its modifiers as a shortcut compares them.
QKeySequence KeysOf(const QKeyEvent& event) {
  return QKeySequence(QKeyCombination(event.modifiers() & ~Qt::KeypadModifier, Qt::Key(event.key())));
}

constexpr int kNoZoom = 2;

// The body's zoom keys: Ctrl with + (also as Shift+; on a Japanese keyboard
// and = on an American one, where + needs Shift), - and 0. The keypad's keys
// count too. +1, -1 or 0; kNoZoom for any other key.
int ZoomOf(const QKeyEvent& event) {
  const Qt::KeyboardModifiers mods = event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
  if (mods != Qt::ControlModifier) return kNoZoom;
  switch (event.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Semicolon: return 1;
    case Qt::Key_Minus: return -1;
    case Qt::Key_0: return 0;
    default: return kNoZoom;
  }
}

}  // namespace

MenuShortcuts::MenuShortcuts(TFrm_Kirdo& window) : QObject(&window), window_(window) {}

bool MenuShortcuts::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
      return TakeKey(watched, static_cast<QKeyEvent&>(*event));
    case QEvent::Shortcut:
      return TakeShortcut(watched, static_cast<QShortcutEvent&>(*event));
    default:
      return false;
  }
}

bool MenuShortcuts::TakeKey(QObject* watched, QKeyEvent& event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != &window_) return false;
  QAction* item = window_.MenuItemOfShortcut(KeysOf(event));
  if (item == nullptr) return TakeOtherKey(watched, event);
  event.accept();
  // Accepting the override keeps Qt's shortcut map out; the key press
  // that follows runs the item.
  if (event.type() == QEvent::KeyPress) window_.RunShortcut(item);
  return true;
}

// The tree would copy its own caption on any other copy key (Ctrl+Insert);
// only the text pane is ever copied. F10 opens the menu bar, as Alt does.
// Shift+F3 searches the other way; it has no menu item of its own. Ctrl with
// +, - or 0 makes the body's text larger, smaller, or as it was, whatever
// has the focus (the tree's own +, - and * keep their meaning).
bool MenuShortcuts::TakeOtherKey(QObject* watched, QKeyEvent& event) {
  const bool treeCopy = watched == window_.TV_Log && event.matches(QKeySequence::Copy);
  const bool menuKey = event.key() == Qt::Key_F10 && event.modifiers() == Qt::NoModifier;
  const bool searchBack = event.key() == Qt::Key_F3 && event.modifiers() == Qt::ShiftModifier;
  const int zoom = ZoomOf(event);
  if (!treeCopy && !menuKey && !searchBack && zoom == kNoZoom) return false;
  event.accept();
  if (event.type() != QEvent::KeyPress) return true;
  if (menuKey) window_.MN_Menu->setActiveAction(window_.MN_File->menuAction());
  if (searchBack) window_.SearchBackShortcut();
  if (zoom != kNoZoom) window_.ZoomBody(zoom);
  return true;
}

// With no focus widget the shortcut map acts on an enabled item itself.
bool MenuShortcuts::TakeShortcut(QObject* watched, QShortcutEvent& event) {
  QAction* item = window_.MenuItemOfShortcut(event.key());
  if (item == nullptr || item != watched) return false;
  window_.RunShortcut(item);
  return true;
}

}  // namespace zu
