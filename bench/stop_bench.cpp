// How long a synchronisation of many files takes to stop: in the main window
// (offscreen) after Esc and after the close box, and `tessarin-cli sync`
// after SIGINT. Each round copies a source of small files into a new, empty
// target and sends the stop a while after the copies have begun. Prints the
// median delays:
//   Esc: until the last copy has ended, and until the message after the
//        refresh;
//   close box: until the window has closed;
//   SIGINT: until tessarin-cli has ended (and its exit code).
//
// stop_bench [--dir DIR] [--files N] [--rounds R] [--after MS]
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/TForm1.h"
#include "core/Prompt.h"
#include "platform/PosixFileSystem.h"
#include "widgets/WindowFont.h"

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Notes when the completion message is told, and tells nobody.
class TimedPrompt : public tessarin::core::Prompt {
public:
    using tessarin::core::Prompt::tell;
    void tell(std::string_view text, std::string_view, tessarin::core::MessageIcon, std::string_view) override
    {
        shownAt = clock->nsecsElapsed() / 1e9;
        lastText = text;
    }
    tessarin::core::Answer ask(std::string_view, std::string_view, tessarin::core::MessageIcon,
                               tessarin::core::MessageButtons, tessarin::core::Answer defaultAnswer) override
    {
        return defaultAnswer;
    }
    const QElapsedTimer* clock = nullptr;
    double shownAt = -1;
    std::string lastText;
};

// Notes when the last copy ended: after a stop, the row under way is the last.
class TimedFileSystem : public tessarin::platform::PosixFileSystem {
public:
    using PosixFileSystem::copyFile;
    tessarin::platform::FsResult copyFile(const tessarin::platform::TreePath& source,
                                          const tessarin::platform::TreePath& target,
                                          const tessarin::platform::TargetExpectation& expected) override
    {
        tessarin::platform::FsResult result = PosixFileSystem::copyFile(source, target, expected);
        lastCopyEnd = clock->nsecsElapsed();
        return result;
    }
    const QElapsedTimer* clock = nullptr;
    std::atomic<qint64> lastCopyEnd{-1};
};

struct Delays {
    double rowsStopped = -1;
    double messageShown = -1;
    double closed = -1;
};

// One synchronisation in a fresh window; stop sends Esc (or closes the
// window) afterMs after the command began.
Delays stopInWindow(const QString& source, const QString& target, int afterMs, bool closeBox)
{
    QElapsedTimer clock;
    clock.start();
    TimedFileSystem fs;
    fs.clock = &clock;
    tessarin::app::TForm1 form(fs);
    TimedPrompt prompt;
    prompt.clock = &clock;
    form.setPrompt(&prompt);
    form.show();
    form.edDir1->setCurrentText(source);
    form.edDir2->setCurrentText(target);
    form.ToolButton1->click();

    Delays delays;
    double sentAt = -1;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (sentAt < 0)
            return;
        const double now = clock.nsecsElapsed() / 1e9;
        if (closeBox && delays.closed < 0 && !form.isVisible())
            delays.closed = now - sentAt;
    });
    poll.start();
    QTimer::singleShot(afterMs, &form, [&] {
        sentAt = clock.nsecsElapsed() / 1e9;
        if (closeBox) {
            form.close();
        } else {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&form, &esc);
        }
    });
    form.BitBtn2->click(); // returns when the command has ended
    const double end = clock.nsecsElapsed() / 1e9;
    delays.rowsStopped = fs.lastCopyEnd / 1e9 - sentAt;
    if (prompt.shownAt >= 0)
        delays.messageShown = prompt.shownAt - sentAt;
    if (closeBox && delays.closed < 0 && !form.isVisible())
        delays.closed = end - sentAt;
    if (prompt.lastText.find("同步已停止") == std::string::npos)
        std::fprintf(stderr, "the synchronisation ended before the stop: use more files or a shorter --after\n");
    return delays;
}

// Seconds from SIGINT to the end of `tessarin-cli sync`, and its exit code.
std::pair<double, int> stopCli(const QString& source, const QString& target, int afterMs)
{
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.setStandardErrorFile(QProcess::nullDevice());
    cli.start(QStringLiteral(TESSARIN_CLI_PATH),
              {QStringLiteral("sync"), QStringLiteral("-q"), QStringLiteral("one-to-two"), source, target});
    cli.waitForStarted();
    cli.waitForFinished(afterMs); // a bench, not a test: the copies run meanwhile
    QElapsedTimer clock;
    clock.start();
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    cli.waitForFinished(-1);
    return {clock.nsecsElapsed() / 1e9, cli.exitCode()};
}

} // namespace

int main(int argc, char** argv)
{
    QString dir = QStringLiteral("/tmp/tessarin-bench/stop");
    int files = 100000;
    int rounds = 3;
    int afterMs = 1500;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--dir")
            dir = QString::fromLocal8Bit(argv[i + 1]);
        else if (option == "--files")
            files = std::atoi(argv[i + 1]);
        else if (option == "--rounds")
            rounds = std::atoi(argv[i + 1]);
        else if (option == "--after")
            afterMs = std::atoi(argv[i + 1]);
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(tessarin::widgets::windowFont());

    const QString source = dir + QStringLiteral("/source-") + QString::number(files);
    if (!QFileInfo::exists(source) &&
        QProcess::execute(QStringLiteral("python3"),
                          {QStringLiteral(TESSARIN_SYNC_TREES_SCRIPT), QStringLiteral("small"), source,
                           QStringLiteral("--files"), QString::number(files)}) != 0) {
        std::fprintf(stderr, "make_sync_trees.py failed\n");
        return 1;
    }
    // A fresh target each run: /tmp creates files slowly right after a mass delete.
    int serial = 0;
    auto freshTarget = [&] {
        const QString target =
            dir + QStringLiteral("/target-%1-%2").arg(QCoreApplication::applicationPid()).arg(++serial);
        QDir().mkpath(target);
        return target;
    };

    std::vector<double> escRows, escMessage, closeDelay, cliDelay;
    std::vector<int> cliExit;
    for (int r = 0; r < rounds; ++r) {
        const Delays esc = stopInWindow(source, freshTarget(), afterMs, false);
        escRows.push_back(esc.rowsStopped);
        escMessage.push_back(esc.messageShown);
        closeDelay.push_back(stopInWindow(source, freshTarget(), afterMs, true).closed);
        const auto [seconds, code] = stopCli(source, freshTarget(), afterMs);
        cliDelay.push_back(seconds);
        cliExit.push_back(code);
    }
    QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("rm -rf '%1'/target-*").arg(dir)});

    std::printf("files in the source              %d (stop sent after %d ms)\n", files, afterMs);
    std::printf("Esc: last copy ended after       %.3f s (median)\n", median(escRows));
    std::printf("Esc: message after refresh       %.3f s\n", median(escMessage));
    std::printf("close box: window closed after   %.3f s  (target <= 1)\n", median(closeDelay));
    std::printf("SIGINT: tessarin-cli ended after %.3f s  (target <= 1), exit codes", median(cliDelay));
    for (const int code : cliExit)
        std::printf(" %d", code);
    std::printf("\n");
    return 0;
}
