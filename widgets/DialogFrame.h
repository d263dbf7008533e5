#pragma once

class QDialog;

namespace tessarin::widgets {

// Gives a dialog the program's fixed frame: a client area of width x height
// that cannot be resized, no minimise or maximise box, and the window font
// ("宋体" at 12 pixels, or its installed substitute).
void makeFixedDialog(QDialog& dialog, int width, int height);

} // namespace tessarin::widgets
