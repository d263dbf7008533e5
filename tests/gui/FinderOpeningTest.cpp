#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/TForm1.h"
#include "finder/TForm5.h"
#include "support/ListedDrives.h"

using tessarin::app::TForm1;
using tessarin::finder::TForm5;

TEST(FinderOpening, ToolButtonAndMenuEntryShowTheFinderModallyAndItKeepsItsState)
{
    testsupport::ListedDrives drives;
    tessarin::app::TForm1 form;
    Form5 = new tessarin::finder::TForm5(drives, &form); // owned by the main window, as at start-up

    bool shownModal = false;
    QTimer::singleShot(0, Form5, [&] {
        shownModal = Form5->isVisible() && Form5->isModal() && QApplication::activeModalWidget() == Form5;
        Form5->Edit1->setText(QStringLiteral("/kept/between/openings"));
        Form5->close();
    });
    form.ToolButton13->click();
    EXPECT_TRUE(shownModal);
    EXPECT_FALSE(Form5->isVisible());

    QString seen;
    QTimer::singleShot(0, Form5, [&] {
        seen = Form5->Edit1->text();
        Form5->close();
    });
    form.F1->trigger();
    EXPECT_EQ(seen, QStringLiteral("/kept/between/openings"));
    Form5 = nullptr; // deleted with the main window
}
