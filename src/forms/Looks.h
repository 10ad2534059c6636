// What the windows share of their looks: the faces of the windows and the
// printer (the Windows Japanese faces where they are installed, else the IPA
// faces that scripts/install-deps.sh brings) and their placement on screen.
#pragma once

#include <QFont>

class QWidget;

namespace zu {

// "ＭＳ Ｐゴシック" (else IPAPGothic), 12 pixels: every window's own font.
QFont WindowFont();

// "ＭＳ ゴシック" (else IPAGothic), fixed pitch, no size set: the text pane
// and the printer canvas, whose writers lay their lines out in columns.
QFont FixedPitchFont();

// Moves `window` to the centre of its screen (its parent's, when it has
// one), never with its left or top edge off the screen. No window manager
// does this for us everywhere (Xvfb has none).
void CentreOnScreen(QWidget& window);

}  // namespace zu
