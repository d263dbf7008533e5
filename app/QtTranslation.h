#pragma once

class QCoreApplication;

namespace tessarin::app {

// Gives Qt's own texts (the buttons of message boxes, the file dialog, the
// context menus of edit fields) in Simplified Chinese, whatever the user's
// locale: the interface of the program is Chinese throughout. Returns false
// when Qt's translation is not installed; Qt's English texts stay then.
bool loadQtChineseTranslation(QCoreApplication& application);

} // namespace tessarin::app
