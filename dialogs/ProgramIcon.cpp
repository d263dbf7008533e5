#include "dialogs/ProgramIcon.h"

namespace tessarin::gui {

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 72, 128, 256})
        icon.addFile(QStringLiteral(":/tessarin/tessarin-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace tessarin::gui
