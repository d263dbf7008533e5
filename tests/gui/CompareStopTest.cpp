// A compare or synchronisation under way in the main window stops on Esc and
// on closing, also when a volume it reads stops answering.
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <condition_variable>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

#include "app/FileListModel.h"
#include "app/OperationListModel.h"
#include "app/TForm1.h"
#include "finder/TForm5.h"
#include "gui/MainWindowSupport.h"
#include "support/ListedDrives.h"
#include "support/TempDir.h"
#include "support/VolumeImage.h"
#include "widgets/CommandJob.h"

using namespace testsupport;
using tessarin::app::TForm1;

namespace {

class CompareStop : public ::testing::Test {
protected:
    CompareStop()
    {
        writeFile(dir1 + "/a/x.txt", "x", 1000000000);
        writeFile(dir1 + "/b/y.txt", "y", 1000000000);
        writeFile(dir1 + "/z.txt", "z", 1000000000);
        writeFile(dir2 + "/w.txt", "w", 1000000000);
        fs.actAt = dir1 + "/b/";
        form.setPrompt(&prompt);
        form.edDir1->setCurrentText(QString::fromStdString(dir1));
        form.edDir2->setCurrentText(QString::fromStdString(dir2));
        form.show();
    }

    void expectStoppedAndEmpty()
    {
        EXPECT_EQ(form.statusText(), "比较已停止。");
        for (const SyncSide side : tessarin::sync::kBothSides) {
            EXPECT_EQ(form.fileListModel(side)->rowCount(), 0);
            EXPECT_EQ(form.operationListModel(side)->rowCount(), 0);
        }
        EXPECT_EQ(form.Label3->text(), "共0个文件");
        EXPECT_EQ(form.Label4->text(), "共0个文件");
        EXPECT_TRUE(prompt.shown.empty());
    }

    TempDir temp;
    std::string dir1 = temp / "one";
    std::string dir2 = temp / "two";
    ScriptedPrompt prompt;
    ActingFileSystem fs;
    tessarin::app::TForm1 form{fs};
};

} // namespace

TEST_F(CompareStop, EscDuringACompareStopsItAndNothingCanBeSynchronised)
{
    fs.action = [&] { QTest::keyClick(&form, Qt::Key_Escape); };
    form.ToolButton1->click();
    expectStoppedAndEmpty();
    EXPECT_FALSE(form.commandRunning());
    // A synchronisation on the stopped compare's rows does nothing at all.
    form.BitBtn2->click();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(exists(dir2 + "/w.txt"));
    EXPECT_FALSE(exists(dir2 + "/z.txt"));

    // Esc outside a compare means nothing; the next compare runs whole.
    QTest::keyClick(&form, Qt::Key_Escape);
    form.ToolButton1->click();
    EXPECT_EQ(form.statusText(), "准备就绪。");
    EXPECT_EQ(form.fileListModel(SyncSide::One)->rowCount(), 3);
    EXPECT_EQ(form.operationListModel(SyncSide::One)->rowCount(), 4);
}

TEST_F(CompareStop, ClosingTheWindowDuringACompareStopsItAndCloses)
{
    fs.action = [&] { form.close(); };
    form.ToolButton1->click();
    expectStoppedAndEmpty();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(CompareStop, EscDuringASynchronisationRunsNoLaterRowAndTheListsShowWhatIsLeft)
{
    form.ToolButton1->click();
    ASSERT_EQ(form.operationListModel(SyncSide::One)->rowCount(), 4); // three new files, one old file kept
    fs.copyAction = [&] {
        QTest::keyClick(&form, Qt::Key_Escape);
        EXPECT_EQ(form.statusText(), "正在停止同步...");
        form.BitBtn2->click(); // a second command meanwhile is not begun
    };
    form.BitBtn2->click();
    EXPECT_EQ(fs.copies, 1);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "同步已停止，有2个操作没有执行。");
    // The refresh ran: the two rows not run are listed again.
    EXPECT_EQ(form.statusText(), "准备就绪。");
    EXPECT_EQ(form.operationListModel(SyncSide::One)->rowCount(), 3);
    EXPECT_FALSE(form.commandRunning());
}

TEST_F(CompareStop, ClosingTheWindowDuringASynchronisationStopsItAndCloses)
{
    form.ToolButton1->click();
    fs.copyAction = [&] {
        form.close();
        EXPECT_EQ(form.statusText(), "正在停止同步..."); // heard at once
        EXPECT_TRUE(form.isVisible());                   // closed once the rows have stopped
    };
    form.BitBtn2->click();
    EXPECT_EQ(fs.copies, 1);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "同步已停止，有2个操作没有执行。");
    // The refresh stopped too: nothing is left to list in a closing window.
    EXPECT_EQ(form.statusText(), "比较已停止。");
    EXPECT_FALSE(form.isVisible());
}

TEST_F(CompareStop, AVolumeThatStopsAnsweringHoldsNeitherTheWindowNorItsClose)
{
    testsupport::VolumeImage volume(testsupport::VolumeKind::Exfat);
    REQUIRE_MOUNTED(volume);
    writeFile(volume / "v.txt", "v");
    const pid_t daemon = volume.daemonPid();
    ASSERT_GT(daemon, 0);
    // Whatever happens, the daemon goes on in the end and the jobs let go end
    // before the file system they use goes.
    struct Resume {
        pid_t daemon;
        ~Resume()
        {
            ::kill(daemon, SIGCONT);
            const QDeadlineTimer limit(20000);
            while (tessarin::widgets::CommandJob::letGoStillRunning() > 0 && !limit.hasExpired())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            EXPECT_EQ(tessarin::widgets::CommandJob::letGoStillRunning(), 0);
        }
    } resume{daemon};
    // A window that waited for the volume after all would wait for ever, on
    // the GUI thread: a thread of the test wakes the daemon after a limit,
    // and the test fails instead of hanging.
    struct Limit {
        std::mutex mutex;
        std::condition_variable over;
        bool done = false;
        std::thread watch;
        ~Limit()
        {
            {
                std::lock_guard lock(mutex);
                done = true;
            }
            over.notify_all();
            watch.join();
        }
    } limit;
    limit.watch = std::thread([&] {
        std::unique_lock lock(limit.mutex);
        if (!limit.over.wait_for(lock, std::chrono::seconds(30), [&] { return limit.done; })) {
            ADD_FAILURE() << "the window waited for the volume";
            ::kill(daemon, SIGCONT);
        }
    });

    // The daemon stops while the compare reads the volume; Esc then.
    form.edDir1->setCurrentText(QString::fromStdString(volume.path()));
    fs.actAt = volume.path() + "/";
    QElapsedTimer clock;
    fs.action = [&] {
        ::kill(daemon, SIGSTOP);
        QTimer::singleShot(0, &form, [&] {
            clock.start();
            QTest::keyClick(&form, Qt::Key_Escape);
        });
    };
    form.ToolButton1->click();
    EXPECT_LT(clock.elapsed(), 5000);
    expectStoppedAndEmpty();
    EXPECT_FALSE(form.commandRunning());

    // The window goes on with other folders.
    form.edDir1->setCurrentText(QString::fromStdString(dir1));
    form.ToolButton1->click();
    EXPECT_EQ(form.fileListModel(SyncSide::One)->rowCount(), 3);

    // The finder's search of the volume: "停止搜索" acts at once, too.
    testsupport::ListedDrives drives;
    drives.roots = {volume.path() + "/"};
    tessarin::finder::TForm5 finder(drives, fs);
    finder.setPrompt(prompt);
    writeFile(dir1 + "/chosen", "v");
    finder.Edit1->setText(QString::fromStdString(dir1 + "/chosen"));
    finder.dirList->setCurrentIndex(0); // "全部磁盘驱动器"
    QTimer::singleShot(0, &finder, [&] {
        clock.restart();
        finder.Button2->click();
    });
    finder.Button2Click();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(finder.searching());
    EXPECT_EQ(finder.Button2->text(), "开始搜索");

    // A compare held from its start by the stopped volume; the close box.
    form.edDir1->setCurrentText(QString::fromStdString(volume.path()));
    QTimer::singleShot(0, &form, [&] {
        clock.restart();
        form.close();
    });
    form.ToolButton1->click();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(tessarin::widgets::CommandJob::letGoStillRunning(), 3);
}
