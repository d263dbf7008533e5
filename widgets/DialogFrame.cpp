#include "widgets/DialogFrame.h"

#include <QDialog>

#include "widgets/WindowFont.h"

namespace tessarin::widgets {

void makeFixedDialog(QDialog& dialog, int width, int height)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(width, height);
    dialog.setFont(windowFont());
}

} // namespace tessarin::widgets
