// What the windows share of their looks: the faces of the windows and the
// printer (the Windows Japanese faces where they are installed, else the IPA
// faces that scripts/install-deps.sh brings), the chrome of the dialogs and
// their placement on screen.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

class QKeyEvent;
class QWidget;

namespace zu {

// "ＭＳ Ｐゴシック" (else IPAPGothic), 12 pixels: every window's own font.
QFont WindowFont();

// "ＭＳ ゴシック" (else IPAGothic), fixed pitch, no size set: the text pane
// and the printer canvas, whose writers lay their lines out in columns.
QFont FixedPitchFont();

// The title bar of every dialog and box: the system menu and a close box, no
// minimise, maximise or help button, on a fixed-size dialog frame.
Qt::WindowFlags DialogFlags();

// Gives `dialog` the chrome that the search conditions dialog and the About
// box share: DialogFlags, a fixed client size and the window font.
void SetDialogChrome(QWidget& dialog, QSize clientSize);

// The keys of a dialog that has no default and no cancel button: Enter
// presses the focused push button, Escape does nothing. True when `event`
// was one of them and has been dealt with.
bool TakeDialogKey(QWidget& dialog, QKeyEvent& event);

// Where a window frame of `frame` size goes to stand in the centre of
// `area` (a screen's available area): its top-left corner, never left of or
// above the area's own, so that a window larger than the screen keeps its
// title bar and left edge on it.
QPoint CentredFramePosition(QSize frame, const QRect& area);

// Moves `window` to the centre of its screen (its parent's, when it has
// one), never with its left or top edge off the screen. No window manager
// does this for us everywhere (Xvfb has none).
void CentreOnScreen(QWidget& window);

}  // namespace zu
