#include "app/Application.h"

#include "app/MessageBoxes.h"
#include "app/TextConversion.h"

namespace tessarin::gui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showStandardError(activeWindow(), displayText(e.what()));
    }
    return false;
}

} // namespace tessarin::gui
