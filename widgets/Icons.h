#pragma once
#include <QIcon>

namespace tessarin::widgets {

// The program's images, drawn at 16 x 16 in one flat style: green arrows for
// synchronisation, outlined pages and boxes in grey and blue.
QIcon compareIcon();     // command bar image 0: two pages side by side
QIcon oneToTwoIcon();    // image 1 and BitBtn2: green arrow to the right
QIcon twoToOneIcon();    // image 2 and BitBtn3: green arrow to the left
QIcon twoWayIcon();      // image 3 and BitBtn4: two curved arrows
QIcon optionsIcon();     // image 5: a list with check marks
QIcon finderIcon();      // image 6: a magnifier over a page
QIcon selectAllIcon();   // a checked box
QIcon selectNoneIcon();  // an empty box
QIcon invertIcon();      // a checked box over an empty one
QIcon executeIcon();     // a green "run" triangle
QIcon applicationIcon(); // two folders with arrows between them, 16 to 256 pixels (resources/)

} // namespace tessarin::widgets
