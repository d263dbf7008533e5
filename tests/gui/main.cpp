// Entry of the GUI test suite: one QApplication on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

#include "app/QtTranslation.h"
#include "settings/SettingsPath.h"
#include "support/TempDir.h"
#include "widgets/WindowFont.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    // As the program does: the tests read Qt's own button texts in Chinese.
    tessarin::app::loadQtChineseTranslation(app);
    QApplication::setFont(tessarin::widgets::windowFont());
    // No window under test reads or writes a settings file beside the test program.
    testsupport::TempDir settingsDir;
    tessarin::settings::useSettingsFilePath(settingsDir / "settings.ini");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
