// Start-up: the application, its five windows created once in order, the
// message loop; the program ends when the main window closes.
#include "app/Application.h"
#include "app/Icons.h"
#include "app/TForm1.h"
#include "app/WindowFont.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm4.h"
#include "platform/PosixFileSystem.h"

int main(int argc, char** argv)
{
    using namespace tessarin::gui;

    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    QApplication::setWindowIcon(applicationIcon());
    QApplication::setFont(windowFont());

    // Read by the browse dialog; it outlives every window.
    tessarin::platform::PosixFileSystem folders;

    // Created first, so it is the main window. Every window lives until the
    // program ends and is shown again rather than made anew; the dialogs are
    // children of the main window and go with it.
    Form1 = new TForm1;
    Form2 = new TForm2(folders, Form1);
    Form2->setTargets(Form1->edDir1, Form1->edDir2);
    // Form3, the options dialog, is created here (before Form1 is first shown:
    // Form1's FormShow writes the loaded options into it).
    Form4 = new TForm4(Form1->shell(), Form1);
    // Form5, the duplicate finder, is created here.

    Form1->show();
    const int result = QApplication::exec();
    delete Form1; // and with it Form2 and Form4
    Form1 = nullptr;
    Form2 = nullptr;
    Form4 = nullptr;
    return result;
}
