#pragma once
#include <QApplication>

namespace tessarin::app {

// The application object. An exception that leaves an event handler of any
// window is shown in the standard error box, and the program goes on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace tessarin::app
