// The teacher's journal on a big results file:
//
//   bench_journal idle             only opens an empty journal; prints its peak memory (KiB)
//   bench_journal load FILE LINES  times opening FILE until all its LINES records are in the
//                                  table, and compares the peak memory with the idle journal
//   bench_journal live FILE        the cost of reading one appended line at the end of FILE,
//                                  against the same on an empty file
#include "filefollower.h"
#include "journalwindow.h"
#include "peakmemory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr double kLoadGoalSeconds = 1.0;
constexpr long kMemoryGoalKiB = 64 * 1024;
constexpr double kLiveGoalRatio = 2.0; // a long file's tail against an empty file's

// Shows the journal and waits until its first look at the files is over.
void openJournal(JournalWindow &window, const QStringList &files)
{
    window.show();
    QEventLoop loop;
    QObject::connect(&window, &JournalWindow::lookDone, &loop, &QEventLoop::quit);
    window.openFiles(files);
    loop.exec();
}

int load(const char *path, int lines, long idleKiB)
{
    QElapsedTimer timer;
    timer.start();
    JournalWindow window;
    openJournal(window, {QString::fromLocal8Bit(path)});
    const double seconds = timer.nsecsElapsed() / 1e9;
    const int rows = window.findChild<QTableView *>("records")->model()->rowCount();
    const long extraKiB = PeakMemory::ownKiB() - idleKiB;
    std::printf("records in the table %8d\n", rows);
    std::printf("open to all records  %8.0f ms   (goal: at most %.0f ms)\n", seconds * 1000,
                kLoadGoalSeconds * 1000);
    std::printf("memory above idle    %8ld KiB (goal: at most %ld KiB)\n", extraKiB,
                kMemoryGoalKiB);
    const bool met = rows == lines && seconds <= kLoadGoalSeconds && extraKiB <= kMemoryGoalKiB;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

class CountingSink : public FileFollower::Sink
{
public:
    qint64 lines = 0;
    void startedOver() override {}
    void lastLineVoided() override {}
    void encodingFound(TextEncoding) override {}
    void record(const LinePlace &, const LineRecord &) override { ++lines; }
    void skipped(const LinePlace &, LineFault) override { ++lines; }
};

// Microseconds a look takes that finds one appended line, on average over many appends.
double perAppend(const QString &path)
{
    constexpr int kAppends = 2000;
    const QByteArray line = "\"\xC0\xED\xFF\",10,10,10,3,10,8,4.125\r\n";
    FileFollower follower(path);
    CountingSink sink;
    follower.poll(sink);
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered))
        return -1;
    double total = 0;
    for (int i = 0; i < kAppends; ++i) {
        if (file.write(line) != line.size())
            return -1;
        const qint64 before = sink.lines;
        QElapsedTimer timer;
        timer.start();
        follower.poll(sink);
        total += timer.nsecsElapsed() / 1e3;
        if (sink.lines != before + 1)
            return -1;
    }
    return total / kAppends;
}

int live(const char *path)
{
    QTemporaryDir folder;
    const QString empty = folder.filePath(QStringLiteral("empty.txt"));
    QFile(empty).open(QIODevice::WriteOnly);
    const QString full = folder.filePath(QStringLiteral("full.txt"));
    if (!QFile::copy(QString::fromLocal8Bit(path), full))
        return 1;
    const double emptyMicros = perAppend(empty);
    const double fullMicros = perAppend(full);
    if (emptyMicros < 0 || fullMicros < 0)
        return 1;
    const double ratio = fullMicros / emptyMicros;
    std::printf("one appended line, empty file  %8.1f us\n", emptyMicros);
    std::printf("one appended line, long file   %8.1f us (%.2f x; goal: at most %.1f x)\n",
                fullMicros, ratio, kLiveGoalRatio);
    const bool met = ratio <= kLiveGoalRatio;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const auto is = [&](const char *mode, int count) {
        return argc == count && std::strcmp(argv[1], mode) == 0;
    };
    if (!is("idle", 2) && !is("load", 4) && !is("live", 3)) {
        std::fprintf(stderr, "usage: %s idle | load FILE LINES | live FILE\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const long idleKiB = is("load", 4) ? PeakMemory::idleKiB(argv[0]) : 0;
    if (idleKiB < 0) {
        std::fprintf(stderr, "the idle run failed\n");
        return 1;
    }
    QApplication app(argc, argv);
    if (is("idle", 2)) {
        JournalWindow window;
        window.show();
        QCoreApplication::processEvents();
        std::printf("%ld\n", PeakMemory::ownKiB());
        return 0;
    }
    if (is("live", 3))
        return live(argv[2]);
    return load(argv[2], std::atoi(argv[3]), idleKiB);
}
