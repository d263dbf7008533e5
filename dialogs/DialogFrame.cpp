#include "dialogs/DialogFrame.h"

#include <QDialog>

#include "app/WindowFont.h"

namespace tessarin::gui {

void makeFixedDialog(QDialog& dialog, int width, int height)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(width, height);
    dialog.setFont(windowFont());
}

} // namespace tessarin::gui
