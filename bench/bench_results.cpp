// Reading a big results file: the time of a whole read (as files under ResultsTail::kFrom are
// read) against `wc -l` on the same file, the time of LoadResults, which reads only the end of
// such a file, and the peak memory of the program after reading it against the idle program.
// Appending: the time of one AppendResult, which waits until the line is on the disk, and many
// programs appending to one file at once.
//
//   bench_results generate FILE LINES   writes a results file of LINES lines
//   bench_results date FILE             writes FILE.dates, a line dating each record of FILE
//   bench_results idle                  only creates the program; prints its peak memory (KiB)
//   bench_results load FILE [RUNS]      times both reads (best of RUNS) and compares
//   bench_results append FILE LINES     times LINES appends against plain unsynced ones
//   bench_results writers FILE N SECS   N programs append to FILE for SECS seconds: no record is
//                                       lost or doubled, and each is dated once
#include "bytesource.h"
#include "crc32.h"
#include "datesfile.h"
#include "filefollower.h"
#include "peakmemory.h"
#include "program.h"
#include "recorddates.h"
#include "resultsfile.h"
#include "resultsparser.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr double kTimeGoal = 2.0;         // times `wc -l`
constexpr double kTailGoalMs = 20;        // the newest records of a file of any size
constexpr long kMemoryGoalKiB = 5 * 1024; // above the idle program
constexpr double kAppendGoalMs = 50;      // well under a delay a user notices

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs a command with its output thrown away; returns the wall time in seconds, or -1.
double runTimed(const char *const argv[])
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int failed =
        posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char **>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (failed != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return secondsSince(start);
}

int generate(const char *path, long lines)
{
    // Names of various lengths, Cyrillic and Latin, and scores as the course gives them: about
    // 30 bytes a line, like a school's real file. A few thousand different lines are written
    // once and then picked at random: millions of lines take seconds, not minutes.
    const QString names[] = {QStringLiteral("Ученик"),         QStringLiteral("Аня"),
                             QStringLiteral("Петров Иван"),    QStringLiteral("Мария"),
                             QStringLiteral("Иванова, Ольга"), QStringLiteral("Sasha")};
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    unsigned seed = 12345;
    const auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % unsigned(bound));
    };
    const auto score = [&next](int bound) { return qint16(next(bound)); };
    std::vector<QByteArray> pool(4096);
    for (QByteArray &line : pool) {
        ResultRecord record{names[next(6)], score(11), score(11), score(11),
                            score(12),      score(30), score(13), 0};
        record.Resul = (record.L + record.R + record.Dbl + record.M) / 8.0;
        line = ResultsFile::formatLine(record);
    }
    QByteArray chunk;
    for (long i = 0; i < lines; ++i) {
        chunk += pool[size_t(next(int(pool.size())))];
        if (chunk.size() > (1 << 20) || i + 1 == lines) {
            if (file.write(chunk) != chunk.size())
                return 1;
            chunk.clear();
        }
    }
    return file.flush() ? 0 : 1;
}

// The dates file of a results file as the course would have written it, a minute apart, from
// thirty computers.
int date(const char *path)
{
    QFile results(QString::fromLocal8Bit(path));
    QFile dates(QString::fromLocal8Bit(path) + QStringLiteral(".dates"));
    if (!results.open(QIODevice::ReadOnly) || !dates.open(QIODevice::WriteOnly))
        return 1;
    const QByteArray bytes = results.readAll();
    QByteArray chunk;
    qint64 count = 0;
    for (qsizetype start = 0, end = 0; (end = bytes.indexOf('\n', start)) >= 0; start = end + 1) {
        const QByteArray host = "class-" + QByteArray::number(count % 30);
        const std::string_view record(bytes.constData() + start, size_t(end + 1 - start));
        chunk +=
            DatesFile::format({start, end + 1 - start, Crc32::of(record), 1796710000 + count * 60,
                               180, std::string_view(host.constData(), size_t(host.size()))});
        ++count;
        if (chunk.size() > (1 << 20)) {
            if (dates.write(chunk) != chunk.size())
                return 1;
            chunk.clear();
        }
    }
    return dates.write(chunk) == chunk.size() && dates.flush() ? 0 : 1;
}

// A writer's record number `n`: all of one length, numbered in the name.
ResultRecord numbered(int who, long n)
{
    return {
        QStringLiteral("w%1 %2").arg(who, 2, 10, QLatin1Char('0')).arg(n, 8, 10, QLatin1Char('0')),
        1,
        2,
        3,
        4,
        5,
        6,
        0.125};
}

// One of the writers: appends its numbered records until the time is up; prints how many.
int appendFor(const char *path, int who, double seconds)
{
    const ResultsFile file(QString::fromLocal8Bit(path), std::chrono::seconds(60));
    const auto start = std::chrono::steady_clock::now();
    long count = 0;
    while (secondsSince(start) < seconds)
        file.AppendResult(numbered(who, count++));
    std::printf("%ld\n", count);
    return 0;
}

class CountingSink : public FileFollower::Sink
{
public:
    explicit CountingSink(RecordDates &dates) : m_dates(dates) {}
    long records = 0;
    long dated = 0;
    long damaged = 0;
    void startedOver() override {}
    void lastLineVoided() override {}
    void record(const LinePlace &place, const LineRecord &record) override
    {
        ++records;
        dated += m_dates.record(place, record.bytes).has_value();
    }
    void skipped(const LinePlace &, LineFault, const LineHead &) override { ++damaged; }

private:
    RecordDates &m_dates;
};

// `writers` programs append at once for `seconds`: every record is there once, each writer's in
// its order, and the dates file has one line for each, which dates it.
int writers(const char *path, int writers, double seconds, const char *self)
{
    QFile::remove(QString::fromLocal8Bit(path));
    QFile::remove(QString::fromLocal8Bit(path) + QStringLiteral(".dates"));
    std::vector<pid_t> pids;
    std::vector<int> outputs;
    const QByteArray length = QByteArray::number(seconds);
    for (int who = 0; who < writers; ++who) {
        int ends[2];
        if (pipe(ends) != 0)
            return 1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
        posix_spawn_file_actions_addclose(&actions, ends[0]);
        const QByteArray number = QByteArray::number(who);
        const char *args[] = {self, "write", path, number.constData(), length.constData(), nullptr};
        pid_t pid = 0;
        const int failed = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr,
                                       const_cast<char **>(args), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        if (failed != 0)
            return 1;
        pids.push_back(pid);
        outputs.push_back(ends[0]);
    }
    std::vector<long> written;
    for (size_t i = 0; i < pids.size(); ++i) {
        char text[64] = {};
        const ssize_t got = read(outputs[i], text, sizeof text - 1);
        close(outputs[i]);
        int status = 0;
        if (got <= 0 || waitpid(pids[i], &status, 0) != pids[i] || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0)
            return 1;
        written.push_back(std::atol(text));
    }
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = file.readAll();
    const qsizetype kLine = ResultsFile::formatLine(numbered(0, 0)).size();
    std::vector<long> next(size_t(writers), 0);
    bool inOrder = bytes.size() % kLine == 0;
    for (qsizetype at = 0; inOrder && at < bytes.size(); at += kLine) {
        const int who = bytes.mid(at + 2, 2).toInt();
        inOrder =
            who >= 0 && who < writers &&
            bytes.mid(at, kLine) == ResultsFile::formatLine(numbered(who, next[size_t(who)]++));
    }
    long total = 0;
    for (int who = 0; who < writers; ++who) {
        inOrder = inOrder && next[size_t(who)] == written[size_t(who)];
        total += written[size_t(who)];
    }
    QFile datesFile(QString::fromLocal8Bit(path) + QStringLiteral(".dates"));
    const long lines =
        datesFile.open(QIODevice::ReadOnly) ? long(datesFile.readAll().count('\n')) : 0;
    FileFollower follower(QString::fromLocal8Bit(path));
    RecordDates dates(QString::fromLocal8Bit(path));
    dates.look();
    CountingSink sink(dates);
    follower.poll(sink);
    std::printf(
        "%d writers, %.0f s      %8ld records (%.0f a second), each writer's in order: %s\n",
        writers, seconds, total, total / seconds, inOrder ? "yes" : "NO");
    std::printf("dates lines         %8ld, records dated %ld\n", lines, sink.dated);
    const bool met = inOrder && sink.records == total && sink.damaged == 0 && lines == total &&
                     sink.dated == total;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

// The mean time of an append with its sync, against opening, writing and closing alone.
int append(const char *path, int lines)
{
    const ResultsFile file(QFileInfo(QString::fromLocal8Bit(path)).absoluteFilePath());
    const ResultRecord record{QStringLiteral("Ученик"), 10, 10, 10, 3, 10, 8, 4.125};
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < lines; ++i)
        file.AppendResult(record);
    const double syncedMs = secondsSince(start) * 1000 / lines;
    const QByteArray line = ResultsFile::formatLine(record);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < lines; ++i) {
        const int fd = open(path, O_WRONLY | O_APPEND);
        if (fd < 0 || write(fd, line.constData(), size_t(line.size())) != line.size())
            return 1;
        close(fd);
    }
    const double plainMs = secondsSince(start) * 1000 / lines;
    std::printf("AppendResult        %8.2f ms a line with its sync (%.3f ms without; goal: at most "
                "%.0f ms)\n",
                syncedMs, plainMs, kAppendGoalMs);
    return syncedMs <= kAppendGoalMs ? 0 : 1;
}

// The whole file through the strict reader, as a file under ResultsTail::kFrom is read.
qint64 readWhole(const char *path)
{
    class FdSource : public ByteSource
    {
    public:
        explicit FdSource(int fd) : m_fd(fd) {}
        qint64 read(char *buffer, qint64 capacity) override
        {
            return ::read(m_fd, buffer, size_t(capacity));
        }

    private:
        int m_fd;
    };
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    FdSource source(fd);
    const qint64 count = fd < 0 ? -1 : ResultsParser(source).parse().count();
    close(fd);
    return count;
}

int load(const char *path, int runs, long idleKiB)
{
    const char *wcArgs[] = {"wc", "-l", path, nullptr};
    double wcBest = 1e9;
    double wholeBest = 1e9;
    double loadBest = 1e9;
    qint64 count = 0;
    const ResultsFile file(QFileInfo(QString::fromLocal8Bit(path)).absoluteFilePath());
    for (int run = 0; run < runs; ++run) {
        const double wc = runTimed(wcArgs);
        if (wc < 0) {
            std::fprintf(stderr, "wc -l failed\n");
            return 1;
        }
        wcBest = std::min(wcBest, wc);
        auto start = std::chrono::steady_clock::now();
        count = readWhole(path);
        wholeBest = std::min(wholeBest, secondsSince(start));
        start = std::chrono::steady_clock::now();
        if (file.LoadResults().count() < ResultList::kKept)
            count = -1;
        loadBest = std::min(loadBest, secondsSince(start));
    }
    const long loadKiB = PeakMemory::ownKiB();

    const double ratio = wholeBest / wcBest;
    const long extraKiB = loadKiB - idleKiB;
    std::printf("records read        %lld\n", static_cast<long long>(count));
    std::printf("whole read          %8.1f ms (best of %d)\n", wholeBest * 1000, runs);
    std::printf("wc -l               %8.1f ms (best of %d)\n", wcBest * 1000, runs);
    std::printf("time ratio          %8.2f x   (goal: at most %.0f x)\n", ratio, kTimeGoal);
    std::printf("LoadResults         %8.2f ms (best of %d; the end only; goal: at most %.0f ms)\n",
                loadBest * 1000, runs, kTailGoalMs);
    std::printf("peak memory, idle   %8ld KiB\n", idleKiB);
    std::printf("peak memory, loaded %8ld KiB\n", loadKiB);
    std::printf("memory above idle   %8ld KiB (%.2f x idle; goal: at most %ld KiB above)\n",
                extraKiB, double(loadKiB) / double(idleKiB), kMemoryGoalKiB);
    const bool met = count > 0 && ratio <= kTimeGoal && loadBest * 1000 <= kTailGoalMs &&
                     extraKiB <= kMemoryGoalKiB;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "generate") == 0)
        return generate(argv[2], std::atol(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "append") == 0)
        return append(argv[2], std::atoi(argv[3]));
    if (argc == 3 && std::strcmp(argv[1], "date") == 0)
        return date(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "write") == 0)
        return appendFor(argv[2], std::atoi(argv[3]), std::atof(argv[4]));
    if (argc == 5 && std::strcmp(argv[1], "writers") == 0)
        return writers(argv[2], std::atoi(argv[3]), std::atof(argv[4]), argv[0]);
    const bool idle = argc == 2 && std::strcmp(argv[1], "idle") == 0;
    const bool loading = (argc == 3 || argc == 4) && std::strcmp(argv[1], "load") == 0;
    if (!idle && !loading) {
        std::fprintf(
            stderr,
            "usage: %s generate FILE LINES | date FILE | idle | load FILE [RUNS] | append FILE "
            "LINES | writers FILE PROGRAMS SECONDS\n",
            argv[0]);
        return 2;
    }
    // Both modes start the same program, so that their memory can be compared.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const long idleKiB = loading ? PeakMemory::idleKiB(argv[0]) : 0;
    if (idleKiB < 0) {
        std::fprintf(stderr, "the idle run failed\n");
        return 1;
    }
    QApplication app(argc, argv);
    Program program;
    if (idle) {
        std::printf("%ld\n", PeakMemory::ownKiB());
        return 0;
    }
    return load(argv[2], argc == 4 ? std::atoi(argv[3]) : 5, idleKiB);
}
