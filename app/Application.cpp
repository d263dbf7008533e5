#include "app/Application.h"

#include "widgets/MessageBoxes.h"
#include "widgets/TextConversion.h"

namespace tessarin::app {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        widgets::showStandardError(activeWindow(), widgets::displayText(e.what()));
    }
    return false;
}

} // namespace tessarin::app
