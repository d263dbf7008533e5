#pragma once
#include <QIcon>

namespace tessarin::gui {

// The program's icon in the sizes 16, 32, 48, 64, 72, 128 and 256 pixels,
// the same picture that the desktop entry shows.
QIcon programIcon();

} // namespace tessarin::gui
