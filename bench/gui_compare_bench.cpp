// Times the compare command in the main window (offscreen, shown, painting)
// against `tessarin-cli compare` on the same 100,000-file pair, alternating
// the two, and prints the medians and their ratio.
//
// gui_compare_bench [--pair DIR] [--files N] [--rounds R]
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/TForm1.h"
#include "widgets/WindowFont.h"

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double timeCli(const QString& one, const QString& two)
{
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    cli.start(QStringLiteral(TESSARIN_CLI_PATH), {QStringLiteral("compare"), one, two});
    if (!cli.waitForFinished(-1) || cli.exitCode() != 0) {
        std::fprintf(stderr, "tessarin-cli compare failed\n");
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e9;
}

double timeWindow(tessarin::app::TForm1& form)
{
    QElapsedTimer timer;
    timer.start();
    form.ToolButton1->click();
    QCoreApplication::processEvents(); // the lists' first paint after the compare
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QString pair = QStringLiteral("/tmp/tessarin-bench/pair100k");
    int files = 100000;
    int rounds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--pair")
            pair = QString::fromLocal8Bit(argv[i + 1]);
        else if (option == "--files")
            files = std::atoi(argv[i + 1]);
        else if (option == "--rounds")
            rounds = std::atoi(argv[i + 1]);
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(tessarin::widgets::windowFont());

    const int made = QProcess::execute(QStringLiteral("python3"), {QStringLiteral(TESSARIN_TREE_PAIR_SCRIPT), pair,
                                                                   QStringLiteral("--files"), QString::number(files)});
    if (made != 0) {
        std::fprintf(stderr, "make_tree_pair.py failed\n");
        return 1;
    }
    const QString one = pair + QStringLiteral("/one");
    const QString two = pair + QStringLiteral("/two");

    tessarin::app::TForm1 form;
    form.show();
    form.edDir1->setCurrentText(one);
    form.edDir2->setCurrentText(two);

    timeCli(one, two); // warm the page cache
    timeWindow(form);
    std::vector<double> window, cli;
    for (int r = 0; r < rounds; ++r) {
        window.push_back(timeWindow(form));
        cli.push_back(timeCli(one, two));
    }
    const double w = median(window);
    const double c = median(cli);
    std::printf("files per side            %d\n", files);
    std::printf("rows in the two lists     %zu, %zu\n", form.session().list(tessarin::sync::SyncSide::One).size(),
                form.session().list(tessarin::sync::SyncSide::Two).size());
    std::printf("window compare (median)   %.3f s\n", w);
    std::printf("tessarin-cli compare      %.3f s\n", c);
    std::printf("ratio window / cli        %.2f  (target <= 1.1)\n", w / c);
    return 0;
}
