#pragma once
#include <QFont>

namespace tessarin::gui {

// The font of every window: "宋体", 12 pixels. Where that family is not
// installed, fontconfig's substitutes stand in, then the CJK fonts a Linux
// desktop commonly has (WenQuanYi Zen Hei from fonts-wqy-zenhei first).
QFont windowFont();

} // namespace tessarin::gui
