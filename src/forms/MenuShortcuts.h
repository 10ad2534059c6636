// The main window's menu shortcuts, acted on as its menus do. Qt alone would
// hand the key of a disabled item to the focused widget, and the text pane
// claims Ctrl+C for itself before any shortcut; so this filter, installed on
// the application, takes every key that is a menu item's shortcut from the
// widgets of the main window, has the window run the item as a dropped-down
// menu would (TFrm_Kirdo::RunShortcut), and never passes the key on.
//
// It also keeps three other keys from the window's widgets: the tree's own
// copy keys (only the text pane is ever copied), F10, which opens the menu
// bar as Alt does, Shift+F3, the Search command the other way, and the body's
// zoom keys (Ctrl with +, - or 0).
#pragma once

#include <QObject>

class QKeyEvent;
class QShortcutEvent;

namespace zu {

class TFrm_Kirdo;

class MenuShortcuts : public QObject {
 public:
  // Owned by `window`; install it with qApp->installEventFilter.
  explicit MenuShortcuts(TFrm_Kirdo& window);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool TakeKey(QObject* watched, QKeyEvent& event);
  bool TakeOtherKey(QObject* watched, QKeyEvent& event);
  bool TakeShortcut(QObject* watched, QShortcutEvent& event);

  TFrm_Kirdo& window_;
};

}  // namespace zu
