#include "dialogs/DialogFrame.h"

#include <QDialog>
#include <QScreen>

#include "app/WindowFont.h"

namespace tessarin::gui {

void makeFixedDialog(QDialog& dialog, int width, int height)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(width, height);
    dialog.setFont(windowFont());
}

void centreOnScreen(QDialog& dialog)
{
    if (const QScreen* screen = dialog.screen()) {
        // An explicit move also keeps the dialog from being placed over its parent.
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    }
}

} // namespace tessarin::gui
