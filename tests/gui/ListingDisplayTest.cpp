// The main window shows each side as soon as it is listed, and stays alive
// while the other side is still being listed.
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "app/TForm1.h"
#include "gui/MainWindowSupport.h"
#include "platform/PosixFileSystem.h"
#include "support/TempDir.h"

using namespace testsupport;
using tessarin::app::TForm1;

namespace {

// Reads directory two's root slowly, as a busy or remote disk would.
class SlowSideTwo : public tessarin::platform::PosixFileSystem {
public:
    std::string slowDirectory;
    tessarin::platform::Result<tessarin::platform::DirectoryContents>
    readDirectory(const std::string& directory, bool wantDirectories, std::string_view mask) override
    {
        if (directory == slowDirectory)
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return PosixFileSystem::readDirectory(directory, wantDirectories, mask);
    }
};

} // namespace

TEST(ListingDisplay, SideOneIsShownWhileSideTwoIsStillListed)
{
    TempDir temp;
    const std::string dir1 = temp / "one", dir2 = temp / "two";
    writeFile(dir1 + "/a.txt", "a", 1000000000);
    writeFile(dir1 + "/sub/b.txt", "b", 1000000000);
    writeFile(dir2 + "/c.txt", "c", 1000000000);
    SlowSideTwo fs;
    fs.slowDirectory = dir2 + "/";
    ScriptedPrompt prompt;
    tessarin::app::TForm1 form(fs);
    form.setPrompt(&prompt);
    form.edDir1->setCurrentText(QString::fromStdString(dir1));
    form.edDir2->setCurrentText(QString::fromStdString(dir2));
    form.show();

    // What the window shows each time events are processed during the compare.
    QStringList seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &form, [&] {
        if (!form.commandRunning())
            return;
        seen << QString("%1 %2 %3 %4")
                    .arg(form.fileListModel(SyncSide::One)->rowCount())
                    .arg(form.Label3->text())
                    .arg(form.fileListModel(SyncSide::Two)->rowCount())
                    .arg(form.operationListModel(SyncSide::One)->rowCount());
    });
    watch.start(5);
    form.ToolButton1->click();
    watch.stop();

    // Side one complete and counted, side two and the lists not yet there.
    EXPECT_TRUE(seen.contains("2 共2个文件 0 0")) << seen.join(", ").toStdString();
    EXPECT_EQ(form.fileListModel(SyncSide::Two)->rowCount(), 1);
    EXPECT_EQ(form.Label4->text(), "共1个文件");
    EXPECT_EQ(form.operationListModel(SyncSide::One)->rowCount(), 3);
}
