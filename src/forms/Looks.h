// The faces of the windows and the printer: the Windows Japanese faces where
// they are installed, else the IPA faces that scripts/install-deps.sh brings.
#pragma once

#include <QFont>

namespace zu {

// "ＭＳ Ｐゴシック" (else IPAPGothic), 12 pixels: every window's own font.
QFont WindowFont();

// "ＭＳ ゴシック" (else IPAGothic), fixed pitch, no size set: the text pane
// and the printer canvas, whose writers lay their lines out in columns.
QFont FixedPitchFont();

}  // namespace zu
