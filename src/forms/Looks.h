// What the windows share of their looks: the faces of the windows and the
// printer (the Windows Japanese faces where they are installed, else the IPA
// faces that scripts/install-deps.sh brings), the chrome of the dialogs and
// their placement on screen.
#pragma once

#include <QFont>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

class QApplication;
class QDialog;
class QKeyEvent;
class QWidget;

namespace zu {

// "ＭＳ Ｐゴシック" (else IPAPGothic), 12 pixels: every window's own font.
QFont WindowFont();

// "ＭＳ ゴシック" (else IPAGothic), fixed pitch, no size set: the text pane
// and the printer canvas, whose writers lay their lines out in columns.
QFont FixedPitchFont();

// The title bar of every dialog and box: the system menu and a close box, no
// minimise, maximise or help button, on a fixed-size dialog frame. A window
// manager reads these as the Motif hints of a window that can be moved and
// closed only; a fixed size also takes maximising away.
Qt::WindowFlags DialogFlags();

// Gives `dialog` the chrome that the search conditions dialog and the About
// box share: DialogFlags, a fixed client size and the window font.
void SetDialogChrome(QWidget& dialog, QSize clientSize);

// The same chrome for a dialog or box of Qt's own (message boxes, the file
// and print dialogs): DialogFlags, and a fixed size: at least `least`, else
// what its layout needs (it still grows when the print dialog shows its
// options).
void SetBoxChrome(QDialog& box, QSize least = {});

// Some window managers (openbox among them) offer to minimise any dialog,
// whatever it asks for; a modal dialog minimised that way would leave its
// owner blocked with nothing on screen to answer. From this call on, a modal
// window of `app` (the program's own dialogs and boxes, and those that Qt's
// dialogs open themselves) that is minimised while its owner is not is shown
// again at once.
void KeepModalWindowsUp(QApplication& app);

// The keys of a dialog that has no default and no cancel button: Enter
// presses the focused push button, Escape does nothing. True when `event`
// was one of them and has been dealt with.
bool TakeDialogKey(QWidget& dialog, QKeyEvent& event);

// Where a window frame of `frame` size goes to stand in the centre of
// `area` (a screen's available area): its top-left corner, never left of or
// above the area's own, so that a window larger than the screen keeps its
// title bar and left edge on it.
QPoint CentredFramePosition(QSize frame, const QRect& area);

// The client size of a window of `client` size in a frame of `frame` that
// fits `area`: the size itself where it fits, else as much as the area holds.
QSize FittedClientSize(QSize client, const QMargins& frame, const QRect& area);

// Moves `window`, about to be shown or shown, so that its frame stands in the
// centre of its screen (its parent's, when it has one), never with its left
// or top edge off the screen; a window larger than the screen's available
// area (a large scale factor) is first made small enough to fit it. No window manager does this for us everywhere
// (Xvfb has none). Before a window manager has framed the window its frame
// is not known: the frame of another framed window of the program stands in
// for it, and once the window is on screen with its own frame it is centred
// again if that differs; so the first showing ends where later ones do.
void CentreOnScreen(QWidget& window);

}  // namespace zu
