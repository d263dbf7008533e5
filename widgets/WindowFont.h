#pragma once
#include <QFont>

class QWidget;

namespace tessarin::widgets {

// The font of every window: "宋体", 12 pixels, the face the layout of every
// window is measured for: a Song face whose Latin letters and digits are half
// as wide as a Chinese character. Where "宋体" itself is not installed, a free
// Song face with those metrics stands in (AR PL UMing CN, from
// fonts-arphic-uming), then the CJK faces a Linux desktop commonly has.
QFont windowFont();

// Places a top-level window, frame included, at the centre of its screen,
// whatever window opened it.
void centreOnScreen(QWidget& window);

} // namespace tessarin::widgets
