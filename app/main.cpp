// Start-up: the application, its five windows created once in order, the
// message loop; the program ends when the main window closes.
#include <cstdio>
#include <cstdlib>

#include "app/Application.h"
#include "app/QtTranslation.h"
#include "app/TForm1.h"
#include "dialogs/TForm2.h"
#include "dialogs/TForm3.h"
#include "dialogs/TForm4.h"
#include "finder/TForm5.h"
#include "platform/Services.h"
#include "widgets/CommandJob.h"
#include "widgets/Icons.h"
#include "widgets/WindowFont.h"

int main(int argc, char** argv)
{
    using namespace tessarin;
    using namespace tessarin::app;

    Application app(argc, argv);
    // The platform's services, made once and handed to every window; they
    // outlive the windows.
    tessarin::platform::Services services;
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    loadQtChineseTranslation(app);
    QApplication::setWindowIcon(widgets::applicationIcon());
    QApplication::setFont(widgets::windowFont());

    // Created first, so it is the main window. Every window lives until the
    // program ends and is shown again rather than made anew; the dialogs are
    // children of the main window and go with it.
    Form1 = new TForm1(services.fileSystem);
    Form2 = new dialogs::TForm2(services.fileSystem, Form1);
    Form2->setTargets(Form1->edDir1, Form1->edDir2);
    // Form3 exists before Form1 is first shown: Form1's FormShow writes the
    // loaded options into its check boxes.
    Form3 = new dialogs::TForm3(Form1);
    Form4 = new dialogs::TForm4(Form1->shell(), Form1);
    Form5 = new finder::TForm5(services.drives, services.fileSystem, Form1);

    Form1->show();
    const int result = QApplication::exec();
    delete Form1; // and with it the dialogs it owns
    Form1 = nullptr;
    Form2 = nullptr;
    Form3 = nullptr;
    Form4 = nullptr;
    Form5 = nullptr;
    // A job let go because a volume stopped answering may still wait inside
    // the kernel; the program ends without it (its thread ends with the process).
    if (widgets::CommandJob::letGoStillRunning() > 0) {
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}
