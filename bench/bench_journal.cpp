// The teacher's journal on a big results file:
//
//   bench_journal idle             only opens an empty journal; prints its peak memory (KiB)
//   bench_journal load FILE LINES  times opening FILE until all its LINES records are in the
//                                  table, and compares the peak memory with the idle journal
//   bench_journal live FILE        the cost of reading one appended line at the end of FILE,
//                                  against the same on an empty file
//   bench_journal search FILE      one letter typed into the search field and taken out again,
//                                  until the records table has repainted, unsorted and sorted
//                                  by name
//   bench_journal total            a file with the largest and the smallest total, from opening
//                                  the journal to its chart drawn
//   bench_journal damaged LINES    a file of LINES long damaged lines: the memory of their list,
//                                  each with its start, above the idle journal
//   bench_journal copy FILE        Ctrl+C on every record selected (refused with a box), then
//                                  on as many as one copy takes: the time each holds the window,
//                                  and the memory the copy adds
//   bench_journal dated FILE LINES opening FILE with its dates file (FILE.dates) against opening
//                                  it without: the processor time, and the memory the dates cost
//   bench_journal measure FILE     opens FILE; prints the processor time (ms), the peak memory
//                                  (KiB), the records and the dated ones, for `dated`
#include "filefollower.h"
#include "journaloutputs.h"
#include "journalwindow.h"
#include "peakmemory.h"
#include "pupilschart.h"
#include "recordsmodel.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr double kLoadGoalSeconds = 1.0;
// A million records: 64 MiB, and 16 bytes more for each record's time and computer.
constexpr long kMemoryGoalKiB = 64 * 1024 + 16 * 1000000 / 1024;
constexpr double kDatedGoalRatio = 1.5;    // the load with the dates file against without
constexpr long kDatedMemoryGoalKiB = 2048; // the dates file costs no memory for each record
constexpr double kLiveGoalRatio = 2.0;     // a long file's tail against an empty file's
constexpr double kKeystrokeGoalMs = 200;
constexpr double kTotalGoalMs = 1000;
constexpr double kRefusedCopyGoalMs = 1000;
constexpr double kCopyGoalMs = 1000;
constexpr long kCopyMemoryGoalKiB = 64 * 1024;

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
    void record(const LinePlace &, const LineRecord &) override { ++lines; }
    void skipped(const LinePlace &, LineFault, const LineHead &) override { ++lines; }
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

// Lets the timers that follow a change (the summary, the chart) run, so that they do not fall
// into the next measure.
void settle()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 400)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

// Milliseconds from a key pressed in the search field until the table has painted what it
// shows now.
double keystroke(QLineEdit &search, QTableView &table, int key, const QString &text)
{
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&search, &press);
    QApplication::sendEvent(&search, &release);
    QCoreApplication::processEvents();
    table.viewport()->repaint();
    const double ms = timer.nsecsElapsed() / 1e6;
    settle();
    return ms;
}

int search(const char *path)
{
    JournalWindow window;
    window.resize(1000, 680);
    openJournal(window, {QString::fromLocal8Bit(path)});
    auto &table = *window.findChild<QTableView *>("records");
    auto &field = *window.findChild<QLineEdit *>("search");
    const int rows = table.model()->rowCount();
    std::printf("records in the table %8d\n", rows);
    field.setFocus();
    settle();
    bool met = rows > 0;
    const auto measure = [&](const char *order) {
        const double typed = keystroke(field, table, Qt::Key_unknown, QStringLiteral("а"));
        const int shown = table.model()->rowCount();
        const double cleared = keystroke(field, table, Qt::Key_Backspace, {});
        std::printf("search, %-8s one letter %8.0f ms (%d shown), cleared %6.0f ms   (goal: at "
                    "most %.0f ms)\n",
                    order, typed, shown, cleared, kKeystrokeGoalMs);
        met = met && shown > 0 && shown < rows && table.model()->rowCount() == rows &&
              typed <= kKeystrokeGoalMs && cleared <= kKeystrokeGoalMs;
    };
    measure("unsorted");
    QElapsedTimer timer;
    timer.start();
    table.sortByColumn(0, Qt::AscendingOrder);
    QCoreApplication::processEvents();
    table.viewport()->repaint();
    std::printf("sorting by name      %8.0f ms\n", timer.nsecsElapsed() / 1e6);
    settle();
    measure("by name");
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

// This program again as `measure FILE`: its time, peak memory, records and dated ones.
bool measured(const char *self, const char *path, double &ms, long &kiB, long &rows, long &dated,
              double &wallMs)
{
    int ends[2];
    if (pipe(ends) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    const char *args[] = {self, "measure", path, nullptr};
    pid_t pid = 0;
    const int failed =
        posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, const_cast<char **>(args), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    char text[256] = {};
    const ssize_t got = failed == 0 ? read(ends[0], text, sizeof text - 1) : -1;
    close(ends[0]);
    int status = 0;
    return failed == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0 && got > 0 &&
           std::sscanf(text, "%lf %ld %ld %ld %lf", &ms, &kiB, &rows, &dated, &wallMs) == 5;
}

// The processor time this process has had, in milliseconds: other programs on the machine do
// not sway it as they sway the time on the clock.
double cpuMs()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

int measure(const char *path)
{
    const double before = cpuMs();
    QElapsedTimer timer;
    timer.start();
    JournalWindow window;
    openJournal(window, {QString::fromLocal8Bit(path)});
    const double ms = cpuMs() - before;
    const double wallMs = timer.nsecsElapsed() / 1e6;
    const auto &records = *window.findChild<RecordsModel *>();
    long dated = 0;
    for (int row = 0; row < records.rowCount(); ++row)
        dated += records.record(row).dating == JournalRecord::Dating::Exact;
    std::printf("%.1f %ld %d %ld %.1f\n", ms, PeakMemory::ownKiB(), records.rowCount(), dated,
                wallMs);
    return 0;
}

// The journal on a file with its dates file and without, three times each, the best of each.
// The processor time is compared, both threads' together: the machine may be busy with other
// work, which makes the time on the clock swing more than the dates cost.
int dated(const char *self, const char *path, long lines)
{
    const QString dates = QString::fromLocal8Bit(path) + QStringLiteral(".dates");
    double best[2] = {1e9, 1e9};
    double bestWall[2] = {1e9, 1e9};
    long memory[2] = {0, 0};
    long dated[2] = {0, 0};
    for (int run = 0; run < 6; ++run) {
        const int with = run % 2;
        if (!with && !QFile::rename(dates, dates + QStringLiteral(".away")))
            return 1;
        double ms = 0, wallMs = 0;
        long kiB = 0, rows = 0, count = 0;
        const bool ok = measured(self, path, ms, kiB, rows, count, wallMs);
        if (!with && !QFile::rename(dates + QStringLiteral(".away"), dates))
            return 1;
        if (!ok || rows != lines)
            return 1;
        best[with] = std::min(best[with], ms);
        bestWall[with] = std::min(bestWall[with], wallMs);
        memory[with] = memory[with] == 0 ? kiB : std::min(memory[with], kiB);
        dated[with] = count;
    }
    const double ratio = best[1] / best[0];
    const long extraKiB = memory[1] - memory[0];
    std::printf("open, no dates file  %8.0f ms of processor time (%.0f ms on the clock), %ld KiB\n",
                best[0], bestWall[0], memory[0]);
    std::printf("open with dates      %8.0f ms of processor time (%.0f ms on the clock), %ld KiB, "
                "%ld records dated\n",
                best[1], bestWall[1], memory[1], dated[1]);
    std::printf("time ratio           %8.2f x   (goal: at most %.1f x)\n", ratio, kDatedGoalRatio);
    std::printf("memory for the dates %8ld KiB (goal: at most %ld KiB; a record is %zu bytes, "
                "16 of them for its time and computer)\n",
                extraKiB, kDatedMemoryGoalKiB, sizeof(JournalRecord));
    const bool met = dated[1] == lines && dated[0] == 0 && ratio <= kDatedGoalRatio &&
                     extraKiB <= kDatedMemoryGoalKiB;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

// The journal of a file with the largest and the smallest total a line may hold, from opening
// until its chart is on the screen.
int total()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("res.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("\"High\",10,10,10,10,10,10,32767\r\n\"Low\",0,0,0,0,0,0,-32768\r\n"
                   "\"Usual\",10,9,8,7,6,5,4.125\r\n") < 0)
        return 1;
    file.close();
    QElapsedTimer timer;
    timer.start();
    JournalWindow window;
    openJournal(window, {path});
    window.findChild<QTabWidget *>()->setCurrentIndex(2);
    auto &chart = *window.findChild<PupilsChart *>("chart");
    chart.redraw();
    const QImage drawn = chart.grab().toImage();
    const double ms = timer.nsecsElapsed() / 1e6;
    std::printf("totals 32767 and -32768, open to chart drawn %6.0f ms (goal: at most %.0f ms)\n",
                ms, kTotalGoalMs);
    const bool met = !drawn.isNull() && ms <= kTotalGoalMs;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

// A file of long lines that are no records at all, each listed with its start: the starts are
// cut and bounded in all, so that the memory stays that of a million records.
int damaged(int lines, long idleKiB)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("res.txt"));
    QFile file(path);
    const QByteArray line = QByteArray(200, 'x') + "\r\n";
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 0; i < lines; ++i)
        file.write(line);
    if (!file.flush())
        return 1;
    file.close();
    JournalWindow window;
    openJournal(window, {path});
    const int skipped = window.findChild<QTableView *>("skipped")->model()->rowCount();
    const long extraKiB = PeakMemory::ownKiB() - idleKiB;
    std::printf("damaged lines listed %8d\n", skipped);
    std::printf("memory above idle    %8ld KiB (goal: at most %ld KiB)\n", extraKiB,
                kMemoryGoalKiB);
    const bool met = skipped == lines && extraKiB <= kMemoryGoalKiB;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

// Milliseconds Ctrl+C holds the window, until the box it shows is up, if it shows one; whether
// it did.
std::pair<double, bool> copyKeystroke(QTableView &table)
{
    bool boxed = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxed = true;
            box->accept();
        }
    });
    closer.start(1);
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("c"));
    QApplication::sendEvent(&table, &press);
    return {timer.nsecsElapsed() / 1e6, boxed};
}

int copy(const char *path)
{
    JournalWindow window;
    openJournal(window, {QString::fromLocal8Bit(path)});
    auto &table = *window.findChild<QTableView *>("records");
    const int rows = table.model()->rowCount();
    std::printf("records in the table %8d\n", rows);
    table.selectAll();
    copyKeystroke(table); // the first box of the program loads its style and icons
    const auto [refusedMs, refused] = copyKeystroke(table);
    std::printf("Ctrl+C on all of them %7.0f ms, %s   (goal: at most %.0f ms, refused)\n",
                refusedMs, refused ? "refused" : "COPIED", kRefusedCopyGoalMs);
    const long beforeKiB = PeakMemory::ownKiB();
    table.selectionModel()->select(
        QItemSelection(table.model()->index(0, 0),
                       table.model()->index(int(JournalOutputs::kMostCopied) - 1, 0)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const auto [copiedMs, boxed] = copyKeystroke(table);
    const long addedKiB = PeakMemory::ownKiB() - beforeKiB;
    const qsizetype lines = QGuiApplication::clipboard()->text().count(u'\n');
    std::printf("Ctrl+C on %lld of them %5.0f ms   (goal: at most %.0f ms), %lld lines\n",
                qlonglong(JournalOutputs::kMostCopied), copiedMs, kCopyGoalMs, qlonglong(lines));
    std::printf("memory the copy adds %8ld KiB (goal: at most %ld KiB)\n", addedKiB,
                kCopyMemoryGoalKiB);
    const bool met = rows > JournalOutputs::kMostCopied && refused &&
                     refusedMs <= kRefusedCopyGoalMs && !boxed &&
                     lines == JournalOutputs::kMostCopied + 1 && copiedMs <= kCopyGoalMs &&
                     addedKiB <= kCopyMemoryGoalKiB;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const auto is = [&](const char *mode, int count) {
        return argc == count && std::strcmp(argv[1], mode) == 0;
    };
    if (!is("idle", 2) && !is("load", 4) && !is("live", 3) && !is("search", 3) && !is("total", 2) &&
        !is("damaged", 3) && !is("copy", 3) && !is("dated", 4) && !is("measure", 3)) {
        std::fprintf(stderr,
                     "usage: %s idle | load FILE LINES | live FILE | search FILE | total | "
                     "damaged LINES | copy FILE | dated FILE LINES | measure FILE\n",
                     argv[0]);
        return 2;
    }
    if (is("dated", 4))
        return dated(argv[0], argv[2], std::atol(argv[3]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const long idleKiB = is("load", 4) || is("damaged", 3) ? PeakMemory::idleKiB(argv[0]) : 0;
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
    if (is("measure", 3))
        return measure(argv[2]);
    if (is("live", 3))
        return live(argv[2]);
    if (is("search", 3))
        return search(argv[2]);
    if (is("total", 2))
        return total();
    if (is("damaged", 3))
        return damaged(std::atoi(argv[2]), idleKiB);
    if (is("copy", 3))
        return copy(argv[2]);
    return load(argv[2], std::atoi(argv[3]), idleKiB);
}
