#pragma once

#include <QPixmap>

namespace orvel {

// The start window's picture: a lorry with its trailer on a roller brake tester,
// drawn on a transparent background so the window colour shows around it.
QPixmap DrawIntroPicture(int width, int height);

}  // namespace orvel
