// Start-up: the application, its five windows created once in order, the
// message loop; the program ends when the main window closes.
#include "app/Application.h"
#include "app/Icons.h"
#include "app/TForm1.h"
#include "app/WindowFont.h"
#include "dupfind/TForm5.h"
#include "platform/PosixDrives.h"
#include "dialogs/TForm3.h"

int main(int argc, char** argv)
{
    using namespace tessarin::gui;

    Application app(argc, argv);
    tessarin::platform::PosixDrives drives;
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    QApplication::setWindowIcon(applicationIcon());
    QApplication::setFont(windowFont());

    // Created first, so it is the main window. Every window lives until the
    // program ends and is shown again rather than made anew.
    Form1 = new TForm1;
    // Form2, the folder browse dialog, is created here.
    // Form3 exists before Form1 is first shown: Form1's FormShow writes the
    // loaded options into its check boxes.
    Form3 = new TForm3(Form1);
    // Form4, the About box, is created here.
    // Form5, the same-file finder, owned by the main window.
    Form5 = new TForm5(drives, Form1);

    Form1->show();
    const int result = QApplication::exec();
    delete Form1; // and with it the dialogs it owns
    Form1 = nullptr;
    Form5 = nullptr;
    Form3 = nullptr;
    return result;
}
