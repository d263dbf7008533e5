// Start-up: the application, its five windows created once in order, the
// message loop; the program ends when the main window closes.
#include "app/Application.h"
#include "app/Icons.h"
#include "app/TForm1.h"
#include "app/WindowFont.h"

int main(int argc, char** argv)
{
    using namespace tessarin::gui;

    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    QApplication::setWindowIcon(applicationIcon());
    QApplication::setFont(windowFont());

    // Created first, so it is the main window. Every window lives until the
    // program ends and is shown again rather than made anew.
    Form1 = new TForm1;
    // Form2, the folder browse dialog, is created here.
    // Form3, the options dialog, is created here (before Form1 is first shown:
    // Form1's FormShow writes the loaded options into it).
    // Form4, the About box, is created here.
    // Form5, the duplicate finder, is created here.

    Form1->show();
    const int result = QApplication::exec();
    delete Form1;
    Form1 = nullptr;
    return result;
}
