#include "commandline.h"
#include "csvwriter.h"
#include "filepath.h"
#include "form1.h"
#include "journalwindow.h"
#include "menuitem.h"
#include "recordsmodel.h"
#include "testsession.h"
#include "usermouse.h"
#include "workfolder.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Action = CommandLine::Action;

namespace {

const QString kUsage = "Использование: mouse-tutor [ПАРАМЕТР]...\n"
                       "   или: mouse-tutor --journal [--export CSV] [--since КОГДА] [--until "
                       "КОГДА] [ФАЙЛ]...\n";

// «класс» and «нет» in Windows-1251: folder names that are not UTF-8.
const QString kClass = FilePath::decode("\xEA\xEB\xE0\xF1\xF1");
const QString kNone = FilePath::decode("\xED\xE5\xF2");

// A results file with a formula for a name, a damaged line 2 and the example.
const QByteArray kResults = "\"=A1, x\",1,2,3,4,5,6,0.125\r\nbad\r\n"
                            "\"\xD3\xF7\xE5\xED\xE8\xEA\",10,10,10,3,10,8,4.125\r\n";
const QByteArray kHeader = "\xEF\xBB\xBF"
                           "Файл,Строка,Имя,Левая,Правая,Двойной,Движ,Игра 1,Игра 2,Итог,Когда,"
                           "Компьютер\r\n";
// The dates of kResults' records 1 and 3, the second from a computer named as a formula.
const QByteArray kDates = "0 28 9eb33f7c 2026-12-08T10:15:02+03:00 m1\n"
                          "33 32 e1dd18a0 2026-12-09T23:30:00-05:00 =m2\n";
const QByteArray kWhen1 = ",2026-12-08T10:15:02+03:00,m1";
const QByteArray kWhen3 = ",2026-12-09T23:30:00-05:00,'=m2";

// The CSV of kResults read from `file`: the records of `lines`, dated as kDates says when
// `dated`.
QByteArray csvOf(const QString &file, const QString &lines = "13", bool dated = false)
{
    const QByteArray field = CsvWriter::textField(file);
    QByteArray csv = kHeader;
    if (lines.contains('1'))
        csv += field + ",1,\"'=A1, x\",1,2,3,4,5,6,0.125" + (dated ? kWhen1 : ",,") + "\r\n";
    if (lines.contains('3'))
        csv += field + ",3,Ученик,10,10,10,3,10,8,4.125" + (dated ? kWhen3 : ",,") + "\r\n";
    return csv;
}

QString skipped(const QString &file)
{
    return file + ":2: в строке 1 поле, а нужно 8\n";
}

// Files by the bytes of their names.
QByteArray readFile(const QString &name)
{
    QFile file;
    const int fd = ::open(FilePath::encode(name).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return "(none)";
    return file.readAll();
}

bool writeFile(const QString &name, const QByteArray &bytes, int flags = O_TRUNC)
{
    QFile file;
    const int fd = ::open(FilePath::encode(name).constData(), O_WRONLY | O_CREAT | flags, 0666);
    return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) &&
           file.write(bytes) == bytes.size();
}

struct stat statusOf(const QString &name)
{
    struct stat status = {};
    if (::lstat(FilePath::encode(name).constData(), &status) != 0)
        status.st_mode = 0;
    return status;
}

// The names in the working directory, sorted.
QString namesHere()
{
    const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden;
    return QDir().entryList(all, QDir::Name).join(' ');
}

// The program itself, in the working directory, with its arguments as bytes: its status, and
// what it wrote to standard error. Its standard output is appended to `output`.
std::pair<int, QByteArray> runProgram(const QStringList &arguments, const QString &output,
                                      const QString &errors,
                                      const QByteArray &binary = MOUSE_TUTOR_BINARY)
{
    QByteArrayList bytes{"mouse-tutor"};
    for (const QString &argument : arguments)
        bytes << FilePath::encode(argument);
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, FilePath::encode(output).constData(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0666);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, FilePath::encode(errors).constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0666);
    pid_t child = 0;
    int status = -1;
    if (::posix_spawn(&child, binary.constData(), &actions, nullptr, argv.data(), environ) != 0 ||
        ::waitpid(child, &status, 0) != child)
        status = -1;
    posix_spawn_file_actions_destroy(&actions);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(errors)};
}

// A device that takes at most a few kilobytes a call, as a pipe may.
class Trickle : public QIODevice
{
public:
    QByteArray bytes;
    Trickle() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        const qint64 taken = std::min<qint64>(size, 7001);
        bytes.append(data, taken);
        return taken;
    }
};

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void parse_data();
    void parse();
    void resultsGoWhereTheCommandLineSays_data();
    void resultsGoWhereTheCommandLineSays();
    void exportWithoutWindow_data();
    void exportWithoutWindow();
    void journalHandedOver_data();
    void journalHandedOver();
    void csvWrittenInPiecesAsInOne();
    void journalWindowKeepsItsFiles();

private:
    // Holds shared/, a folder far from the working directory, a folder named in Windows-1251,
    // a pipe, and what the program run by a test writes to standard output and error.
    QTemporaryDir m_elsewhere;
};

void CommandLineTest::initTestCase()
{
    QVERIFY(m_elsewhere.isValid() && QDir(m_elsewhere.path()).mkdir("shared"));
    const QString here = m_elsewhere.path();
    QVERIFY(::mkdir(FilePath::encode(here + '/' + kClass).constData(), 0777) == 0);
    QVERIFY(::mkfifo(QFile::encodeName(here + "/pipe").constData(), 0666) == 0);
    // The journal's file dialogs start where the last one ended: not so here.
    QStandardPaths::setTestModeEnabled(true);
    QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal")).clear();
}

void CommandLineTest::cleanupTestCase()
{
    QVERIFY(::rmdir(FilePath::encode(m_elsewhere.path() + '/' + kClass).constData()) == 0);
}

void CommandLineTest::parse_data()
{
    // "@" in an argument or an expected text stands for the folder elsewhere.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("resultsPath");
    QTest::addColumn<QString>("message"); // the start of it for help and version
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("journal"); // the files it opens, and "> CSV" for an export

    const QString box = "Файл результатов «@/none/res.txt» негде создать: нет папки «@/none».";
    const QString folder = "Вместо файла результатов указана папка «@/shared».";
    // clang-format off
    const auto usage = [](const char *tag, const QStringList &arguments, const QString &said) {
        QTest::newRow(tag) << arguments << Action::BadUsage << "" << "mouse-tutor: " + said + "\n" + kUsage << "" << "";
    };
    QTest::newRow("no options") << QStringList() << Action::Run << "res.txt" << "" << "" << "";
    QTest::newRow("results") << QStringList{"--results", "@/shared/класс.txt"} << Action::Run << "@/shared/класс.txt" << "" << "" << "";
    QTest::newRow("results=, relative") << QStringList{"--results=res2.txt"} << Action::Run << "res2.txt" << "" << "" << "";
    QTest::newRow("help") << QStringList{"--help"} << Action::ShowHelp << "" << kUsage + "Учебная программа «Мышь»" << "" << "";
    QTest::newRow("-h after --results") << QStringList{"--results", "x.txt", "-h"} << Action::ShowHelp << "" << kUsage << "" << "";
    QTest::newRow("version") << QStringList{"--version"} << Action::ShowVersion << "" << "mouse-tutor " MOUSE_VERSION "\n" << "" << "";
    QTest::newRow("-v") << QStringList{"-v"} << Action::ShowVersion << "" << "mouse-tutor " MOUSE_VERSION "\n" << "" << "";
    usage("unknown option", {"--colour"}, "неизвестный параметр «--colour»");
    usage("unknown single dash", {"-x=1"}, "неизвестный параметр «-x»");
    usage("missing argument", {"--results"}, "после «--results» не указано значение");
    usage("empty argument", {"--results="}, "после «--results» не указано значение");
    usage("value to a switch", {"--version=2"}, "у «--version» не бывает значения");
    usage("extra argument", {"res.txt"}, "лишний аргумент «res.txt»");
    QTest::newRow("no such folder") << QStringList{"--results", "@/none/res.txt"} << Action::BadResultsFile << ""
                                    << "mouse-tutor: ф" + box.sliced(1) + "\n" << box << "";
    QTest::newRow("FILE a folder") << QStringList{"--results", "@/shared"} << Action::BadResultsFile << ""
                                   << "mouse-tutor: в" + folder.sliced(1) + "\n" << folder << "";
    // A device or a pipe would take the pupils' lines and keep none.
    for (const QString &device : {QString("/dev/zero"), QString("@/pipe")}) {
        const QString said = "Вместо файла результатов указано устройство или канал «" + device + "».";
        QTest::newRow(qPrintable(device)) << QStringList{"--results", device} << Action::BadResultsFile << ""
                                          << "mouse-tutor: в" + said.sliced(1) + "\n" << said << "";
    }
    // A folder named in Windows-1251 is the folder named; the box shows what it cannot show as �.
    QTest::newRow("Windows-1251 folder") << QStringList{"--results", "@/" + kClass + "/res.txt"} << Action::Run
                                         << "@/" + kClass + "/res.txt" << "" << "" << "";
    const QString none = "Файл результатов «@/%1/res.txt» негде создать: нет папки «@/%1».";
    QTest::newRow("no Windows-1251 folder") << QStringList{"--results", "@/" + kNone + "/res.txt"} << Action::BadResultsFile << ""
                                            << "mouse-tutor: ф" + none.sliced(1).arg(kNone) + "\n"
                                            << none.arg(QString(3, QChar(0xFFFD))) << "";
    // Control characters reach neither the terminal nor the box.
    QTest::newRow("line feed in a name") << QStringList{"--results", "@/a\n\x1b[2J/res.txt"} << Action::BadResultsFile << ""
                                         << "mouse-tutor: ф" + none.sliced(1).arg("a\\x0A\\x1B[2J") + "\n"
                                         << none.arg("a��[2J") << "";
    // A box as long as a path of 100 kB would not fit on any screen: its paths are cut.
    const QString x = QString(100000, 'x');
    QTest::newRow("100 kB path") << QStringList{"--results", "/" + x + "/res.txt"} << Action::BadResultsFile << ""
                                 << "mouse-tutor: файл результатов «/" + x + "/res.txt» негде создать: нет папки «/" + x + "».\n"
                                 << "Файл результатов «/" + x.left(58) + "…" + x.left(52) + "/res.txt» негде создать: нет папки «/" + x.left(58) + "…" + x.left(60) + "»." << "";
    QTest::newRow("journal on res.txt") << QStringList{"--journal"} << Action::Journal << "res.txt" << "" << "" << "res.txt";
    // The journal only reads: a file that is not there is no reason to stop.
    QTest::newRow("journal on --results") << QStringList{"--results", "@/none/res.txt", "--journal"} << Action::Journal
                                          << "@/none/res.txt" << "" << "" << "@/none/res.txt";
    QTest::newRow("journal on files") << QStringList{"--journal", "--results", "r.txt", "a.txt", "b.txt"} << Action::Journal
                                      << "r.txt" << "" << "" << "a.txt b.txt";
    QTest::newRow("export") << QStringList{"--journal", "a.txt", "--export", "out.csv"} << Action::Export << "res.txt"
                            << "" << "" << "a.txt > out.csv";
    usage("export without journal", {"--export", "out.csv"}, "«--export» бывает только вместе с «--journal»");
    usage("export, no CSV", {"--journal", "--export"}, "после «--export» не указано значение");
    // A period: a date is its whole day, a time its minute or second, by this computer's clock
    // unless an offset follows; shown here in UTC.
    const auto local = [](int day, int hour, int minute) {
        return QDateTime(QDate(2026, 12, day), QTime(hour, minute)).toUTC().toString(Qt::ISODate);
    };
    const QDate today = QDate::currentDate();
    QTest::newRow("since and until dates") << QStringList{"--journal", "--since", "2026-12-08", "--until", "2026-12-09", "a.txt"} << Action::Journal
                                           << "res.txt" << "" << "" << "a.txt [" + local(8, 0, 0) + ", " + local(10, 0, 0) + ")";
    QTest::newRow("today") << QStringList{"--journal", "--since=today", "--until=today"} << Action::Journal << "res.txt" << "" << ""
                           << "res.txt [" + QDateTime(today, QTime(0, 0)).toUTC().toString(Qt::ISODate) + ", "
                                  + QDateTime(today.addDays(1), QTime(0, 0)).toUTC().toString(Qt::ISODate) + ")";
    QTest::newRow("since a minute with an offset") << QStringList{"--journal", "--since", "2026-12-08T10:15+03:00", "--export", "-"} << Action::Export
                                                   << "res.txt" << "" << "" << "res.txt > - [2026-12-08T07:15:00Z, …)";
    QTest::newRow("until a minute, local") << QStringList{"--journal", "--until", "2026-12-08T10:15"} << Action::Journal
                                           << "res.txt" << "" << "" << "res.txt […, " + local(8, 10, 16) + ")";
    QTest::newRow("until a second in UTC") << QStringList{"--journal", "--until", "2026-12-31T23:59:59Z"} << Action::Journal
                                           << "res.txt" << "" << "" << "res.txt […, 2027-01-01T00:00:00Z)";
    const QString when = "» после «--%1» — не время: нужна дата (2026-12-08), дата и время (2026-12-08T10:15, можно со сдвигом от UTC: +03:00) или today";
    for (const char *value : {"2026-13-01", "2026-02-29", "08.12.2026", "2026-12-08T24:00", "2026-12-08T10:15+03:60", "2026-12-08 10:15", "yesterday"})
        usage(value, {"--journal", "--until", value}, "«" + QString(value) + when.arg("until"));
    usage("since, no value", {"--journal", "--since"}, "после «--since» не указано значение");
    usage("since after until", {"--journal", "--since", "2026-12-09", "--until", "2026-12-08T23:59"},
          "«--since» не раньше «--until»: в такое время не попадает ни одна запись");
    usage("since without journal", {"--since", "today"}, "«--since» бывает только вместе с «--journal»");
    // clang-format on
}

void CommandLineTest::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(QString, resultsPath);
    QFETCH(QString, message);
    QFETCH(QString, boxText);
    QFETCH(QString, journal);
    const auto place = [this](QString text) { return text.replace('@', m_elsewhere.path()); };
    QStringList command{"/usr/bin/mouse-tutor"};
    for (const QString &argument : arguments)
        command << place(argument);

    const CommandLine::Result result = CommandLine::parse(command);
    QCOMPARE(result.action, action);
    QCOMPARE(result.resultsPath, place(resultsPath));
    if (action == Action::ShowHelp || action == Action::ShowVersion)
        QVERIFY2(result.message.startsWith(message), qPrintable(result.message));
    else
        QCOMPARE(result.message, place(message));
    QCOMPARE(result.boxText, place(boxText));
    QString opens = result.journalFiles.join(' ');
    if (!result.exportPath.isEmpty())
        opens += " > " + result.exportPath;
    const auto utc = [](qint64 seconds, qint64 unbounded) {
        return seconds == unbounded
                   ? QString("…")
                   : QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
    };
    if (result.period)
        opens += QString(" [%1, %2)")
                     .arg(utc(result.since, std::numeric_limits<qint64>::min()),
                          utc(result.until, std::numeric_limits<qint64>::max()));
    QCOMPARE(opens, place(journal));
    QCOMPARE(result.exitStatus,
             action == Action::BadUsage || action == Action::BadResultsFile ? 2 : 0);
}

void CommandLineTest::resultsGoWhereTheCommandLineSays_data()
{
    QTest::addColumn<QString>("path"); // after --results, "@" as above; none for the default
    // clang-format off
    QTest::newRow("no options: res.txt here") << "";
    QTest::newRow("a relative path from here") << "sub/класс.txt";
    QTest::newRow("a folder elsewhere") << "@/shared/res.txt";
    QTest::newRow("a folder named in Windows-1251") << "@/" + kClass + "/res.txt";
    // clang-format on
}

// The whole way from the command line to the results table's append and its date, and nothing
// anywhere else.
void CommandLineTest::resultsGoWhereTheCommandLineSays()
{
    QFETCH(QString, path);
    const auto place = [this](QString text) { return text.replace('@', m_elsewhere.path()); };
    const QString written = place(path.isEmpty() ? "res.txt" : path);
    WorkFolder folder;
    QVERIFY(QDir().mkdir("sub"));
    const CommandLine::Result result =
        CommandLine::parse(path.isEmpty() ? QStringList{"mouse-tutor"}
                                          : QStringList{"mouse-tutor", "--results", written});
    QCOMPARE(result.action, Action::Run);

    TestSession session{ResultsFile(result.resultsPath)};
    session.start();
    UserMouse::choose(session.program().form1().control<MenuItem>("mnuRes"));
    QVERIFY(readFile(written).startsWith("\"\xD3\xF7\xE5\xED\xE8\xEA\","));
    const QStringList everyFile = {"res.txt", "sub/класс.txt", place("@/shared/res.txt"),
                                   place("@/" + kClass + "/res.txt")};
    for (const QString &other : everyFile)
        QCOMPARE(statusOf(other).st_mode != 0, other == written);
    // The record is dated beside it, once.
    const QByteArray dates = readFile(written + ".dates");
    QVERIFY(dates.startsWith("0 24 ") && dates.count('\n') == 1);
    for (const QString &name : {written, written + ".dates"})
        QVERIFY(::unlink(FilePath::encode(name).constData()) == 0);
}

void CommandLineTest::exportWithoutWindow_data()
{
    // In a fresh working directory, each step of `setup` makes a file ("res NAME" kResults,
    // "dates NAME" kDates beside it, "more NAME N" N more records, "old NAME" a line "old", "link
    // NAME TO", "hard NAME TO", "mkdir NAME", "fifo NAME", "chmod NAME MODE") or sets the program's
    // "umask MODE" or "limit BYTES" of file size. Then `mouse-tutor --journal --export
    // ARGUMENTS...` runs, its standard output appended to `output`. Each of `checks` holds then:
    // "csv NAME FILE [LINES dated]" (NAME holds the CSV of FILE, or of its records LINES, dated),
    // "res NAME", "old NAME", "mode NAME MODE", "link NAME", "char NAME", "fifo NAME", "only
    // NAMES..." (the folder holds these: nothing left behind).
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errors");
    QTest::addColumn<QStringList>("checks");
    const QString refused = ": таблица не записана: это файл результатов, из которого читаются "
                            "записи\n";
    const QString out = "@/stdout";
    const QStringList res{"res res.txt"};
    const QStringList args{"out.csv", "res.txt"};
    const QString skip = skipped("res.txt");
    // clang-format off
    QTest::newRow("a file") << res << args << out << 0 << skip << QStringList{"csv out.csv res.txt", "only out.csv res.txt"};
    QTest::newRow("a file replaced, its mode kept") << res + QStringList{"old out.csv", "chmod out.csv 604"} << args << out << 0 << skip
                                                    << QStringList{"csv out.csv res.txt", "mode out.csv 604", "only out.csv res.txt"};
    QTest::newRow("a new file: 0666 less the umask") << res + QStringList{"umask 027"} << args << out << 0 << skip << QStringList{"mode out.csv 640"};
    QTest::newRow("through a link, the file it names") << res + QStringList{"old old.csv", "link out.csv old.csv"} << args << out << 0 << skip
                                                       << QStringList{"link out.csv", "csv old.csv res.txt", "only old.csv out.csv res.txt"};
    QTest::newRow("a file named twice, and by a link") << res + QStringList{"link same.txt res.txt"} << QStringList{"out.csv", "res.txt", "./res.txt", "same.txt"}
                                                       << out << 0 << skip << QStringList{"csv out.csv res.txt"};
    QTest::newRow("-: standard output") << res << QStringList{"-", "res.txt"} << out << 0 << skip << QStringList{"csv @/stdout res.txt", "only res.txt"};
    QTest::newRow("/dev/stdout") << res << QStringList{"/dev/stdout", "res.txt"} << out << 0 << skip << QStringList{"csv @/stdout res.txt"};
    // The pupils' results are never replaced by the table, by whatever name.
    QTest::newRow("OUT is FILE") << res << QStringList{"res.txt", "res.txt"} << out << 2 << "res.txt" + refused << QStringList{"res res.txt", "only res.txt"};
    QTest::newRow("OUT is ./FILE") << res << QStringList{"./res.txt", "a.txt", "res.txt"} << out << 2 << "./res.txt" + refused << QStringList{"res res.txt"};
    QTest::newRow("OUT a link to FILE") << res + QStringList{"link out.csv res.txt"} << args << out << 2 << "out.csv" + refused
                                        << QStringList{"res res.txt", "only out.csv res.txt"};
    QTest::newRow("OUT a hard link to FILE") << res + QStringList{"hard out.csv res.txt"} << args << out << 2 << "out.csv" + refused
                                             << QStringList{"res out.csv", "only out.csv res.txt"};
    QTest::newRow("OUT is FILE, not there yet") << QStringList() << QStringList{"res.txt", "res.txt"} << out << 2 << "res.txt" + refused << QStringList{"only "};
    QTest::newRow("standard output appended to FILE") << res << QStringList{"-", "res.txt"} << "res.txt" << 2 << "-" + refused << QStringList{"res res.txt"};
    // A device or a pipe is written as it is, never replaced.
    QTest::newRow("a full device") << res + QStringList{"full out.csv"} << args << out << 1
                                   << skip + "out.csv: не удалось записать файл: нет места на диске\n" << QStringList{"char out.csv"};
    QTest::newRow("a pipe nobody reads") << QStringList{"fifo out.csv"} << args << out << 1
                                         << "out.csv: не удалось создать файл: канал никто не читает\n" << QStringList{"fifo out.csv"};
    QTest::newRow("OUT a folder") << res + QStringList{"mkdir sub"} << QStringList{"sub", "res.txt"} << out << 1
                                  << "sub: не удалось создать файл: под этим именем находится папка\n" << QStringList{"only res.txt sub"};
    // More than the writer's buffer: the first write fails, the old file stays, the new goes.
    QTest::newRow("write fails") << res + QStringList{"more res.txt 40000", "old out.csv", "limit 100000"} << args << out << 1
                                 << skip + "out.csv: не удалось записать файл: файл слишком большой\n" << QStringList{"old out.csv", "only out.csv res.txt"};
    QTest::newRow("FILE a folder") << QStringList{"mkdir sub"} << QStringList{"out.csv", "sub"} << out << 1 << "sub: это папка, а не файл\n"
                                   << QStringList{"only out.csv sub"};
    QTest::newRow("FILE missing") << res << QStringList{"out.csv", "нет.txt", "res.txt"} << out << 1 << "нет.txt: файл не найден\n" + skip
                                  << QStringList{"csv out.csv res.txt"};
    // Names are bytes: on standard error too, but for control characters.
    QTest::newRow("Windows-1251 names") << QStringList{"mkdir " + kClass, "res " + kClass + "/res.txt"}
                                        << QStringList{kClass + "/out.csv", kClass + "/res.txt"} << out << 0 << skipped(kClass + "/res.txt")
                                        << QStringList{"csv " + kClass + "/out.csv " + kClass + "/res.txt"};
    QTest::newRow("line feed in a name") << res << QStringList{"out.csv", "a\nb.txt", "res.txt"} << out << 1 << "a\\x0Ab.txt: файл не найден\n" + skip
                                         << QStringList{"csv out.csv res.txt"};
    // When and where each attempt was saved, from the dates file; only the period's, dated.
    const QStringList dated = res + QStringList{"dates res.txt"};
    QTest::newRow("dated") << dated << args << out << 0 << skip << QStringList{"csv out.csv res.txt 13 dated"};
    QTest::newRow("since") << dated << QStringList{"out.csv", "--since", "2026-12-09T12:00Z", "res.txt"} << out << 0 << skip
                           << QStringList{"csv out.csv res.txt 3 dated"};
    QTest::newRow("until a second, included") << dated << QStringList{"out.csv", "--until=2026-12-08T07:15:02Z", "res.txt"} << out << 0 << skip
                                              << QStringList{"csv out.csv res.txt 1 dated"};
    QTest::newRow("undated: in no period") << res << QStringList{"out.csv", "--until", "2099-01-01", "res.txt"} << out << 0 << skip
                                           << QStringList{"csv out.csv res.txt -"};
    // clang-format on
}

// The program itself, from its bytes of arguments to its status and the files it leaves.
void CommandLineTest::exportWithoutWindow()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(int, status);
    QFETCH(QString, errors);
    QFETCH(QStringList, checks);
    const auto place = [this](QString text) { return text.replace('@', m_elsewhere.path()); };
    WorkFolder folder;
    QVERIFY(::unlink(QFile::encodeName(place("@/stdout")).constData()) == 0 || errno == ENOENT);
    const mode_t previousMask = ::umask(022);
    rlimit limit = {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit unlimited = limit;
    for (const QString &step : setup) {
        const QStringList words = step.split(' ');
        const QByteArray name = FilePath::encode(words.value(1));
        const QByteArray to = FilePath::encode(words.value(2));
        if (words[0] == "res" || words[0] == "old")
            QVERIFY(writeFile(words[1], words[0] == "res" ? kResults : "old\n"));
        else if (words[0] == "dates")
            QVERIFY(writeFile(words[1] + ".dates", kDates));
        else if (words[0] == "more")
            QVERIFY(writeFile(words[1], kResults.right(32).repeated(words[2].toInt()), O_APPEND));
        else if (words[0] == "link")
            QVERIFY(::symlink(to, name) == 0);
        else if (words[0] == "hard")
            QVERIFY(::link(to, name) == 0);
        else if (words[0] == "mkdir")
            QVERIFY(::mkdir(name, 0777) == 0);
        else if (words[0] == "fifo")
            QVERIFY(::mkfifo(name, 0666) == 0);
        else if (words[0] == "full")
            QVERIFY(WorkFolder::makeFullDevice(name));
        else if (words[0] == "chmod")
            QVERIFY(::chmod(name, mode_t(words[2].toInt(nullptr, 8))) == 0);
        else if (words[0] == "umask")
            ::umask(mode_t(words[1].toInt(nullptr, 8)));
        else if (words[0] == "limit")
            limit.rlim_cur = words[1].toULongLong();
    }
    // The limit would end the program by a signal rather than fail its write.
    std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
    const auto [ended, said] = runProgram(QStringList{"--journal", "--export"} + arguments,
                                          place(output), place("@/stderr"));
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    std::signal(SIGXFSZ, SIG_DFL);
    ::umask(previousMask);

    QCOMPARE(FilePath::decode(said), errors);
    QCOMPARE(ended, status);
    for (const QString &check : checks) {
        QStringList words = place(check).split(' ');
        const QString what = words.takeFirst();
        const struct stat file = statusOf(words.value(0));
        struct stat target = {};
        if (what == "csv")
            QCOMPARE(readFile(words[0]), csvOf(words[1], words.value(2, "13"), words.size() > 3));
        else if (what == "res" || what == "old")
            QCOMPARE(readFile(words[0]), what == "res" ? kResults : "old\n");
        else if (what == "mode")
            QCOMPARE(QString::number(file.st_mode & 0777, 8), words[1]);
        else if (what == "link")
            QVERIFY(S_ISLNK(file.st_mode));
        else if (what == "char") // the device itself, or what a link to it names
            QVERIFY(::stat(FilePath::encode(words[0]).constData(), &target) == 0 &&
                    S_ISCHR(target.st_mode));
        else if (what == "fifo")
            QVERIFY(S_ISFIFO(file.st_mode));
        else if (what == "only")
            QCOMPARE(namesHere(), words.join(' ').trimmed());
    }
}

void CommandLineTest::journalHandedOver_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errors"); // "*" stands for any text
    QTest::addColumn<bool>("alone");     // the course's program copied to where no journal is
    const QString refused = "res.txt: таблица не записана: это файл результатов, из которого "
                            "читаются записи\n";
    // clang-format off
    QTest::newRow("all read") << QStringList{"--export", "-", "res.txt"} << 0 << skipped("res.txt") << false;
    QTest::newRow("a file missing") << QStringList{"--export", "-", "нет.txt", "res.txt"} << 1
                                    << "нет.txt: файл не найден\n" + skipped("res.txt") << false;
    QTest::newRow("the CSV is read") << QStringList{"--export", "res.txt", "res.txt"} << 2 << refused << false;
    QTest::newRow("no journal") << QStringList{"--export", "-", "res.txt"} << 1
                                << "mouse-tutor: не удалось запустить журнал результатов «*/mouse-tutor-journal»: "
                                   "файл не найден\n" << true;
    // clang-format on
}

// `mouse-tutor --journal` hands its arguments over to the journal's own program: what that
// writes and its status are those of the journal's program started by itself. Without it, the
// course says so and ends with status 1.
void CommandLineTest::journalHandedOver()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, errors);
    QFETCH(bool, alone);
    WorkFolder folder;
    QVERIFY(writeFile("res.txt", kResults));
    const QStringList all = QStringList{"--journal"} + arguments;
    QByteArray course = MOUSE_TUTOR_BINARY;
    if (alone) {
        course = FilePath::encode(QDir::current().filePath("mouse-tutor"));
        QVERIFY(QFile::copy(MOUSE_TUTOR_BINARY, QString::fromUtf8(course)) &&
                ::chmod(course.constData(), 0755) == 0);
    }
    const auto [ended, said] = runProgram(all, "course.out", "course.err", course);
    QCOMPARE(ended, status);
    const QStringList parts = errors.split('*');
    QVERIFY2(FilePath::decode(said).startsWith(parts.first()) &&
                 FilePath::decode(said).endsWith(parts.last()),
             said.constData());
    if (alone) {
        QCOMPARE(readFile("course.out"), QByteArray());
    } else {
        const auto journal =
            runProgram(all, "journal.out", "journal.err", MOUSE_TUTOR_JOURNAL_BINARY);
        QCOMPARE(journal, std::pair(ended, said));
        QCOMPARE(readFile("course.out"), readFile("journal.out"));
        QCOMPARE(readFile("course.out").isEmpty(), status == 2);
    }
    QCOMPARE(readFile("res.txt"), kResults);
}

// The writer hands the table out a megabyte at a time, to a device that may take only part of
// it a call; what arrives is the table as written in one piece.
void CommandLineTest::csvWrittenInPiecesAsInOne()
{
    Trickle device;
    QByteArray whole = "\xEF\xBB\xBF";
    {
        CsvWriter csv(device);
        for (int row = 0; whole.size() < 3 << 20; ++row) {
            const QByteArray name(row % 97, 'x');
            csv.addText('=' + QString::fromLatin1(name));
            csv.addNumber(row - 40000);
            csv.addText("Ян, \"1\"");
            csv.endRow();
            whole += "'=" + name + ',' + QByteArray::number(row - 40000) + ",\"Ян, \"\"1\"\"\"\r\n";
        }
        QVERIFY(csv.finish());
    }
    QCOMPARE(device.bytes.size(), whole.size());
    QVERIFY(device.bytes == whole);
}

// The journal takes a file by the bytes of its name, from a working directory whose name is
// not UTF-8 either, and never saves a table over a file it reads.
void CommandLineTest::journalWindowKeepsItsFiles()
{
    WorkFolder folder;
    // The file dialog suggests "записи.csv" in the home folder: here a results file.
    const QString home = QDir::currentPath();
    const QByteArray previousHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home));
    QVERIFY(writeFile("записи.csv", kResults) && ::mkdir(FilePath::encode(kClass), 0777) == 0 &&
            writeFile(kClass + "/записи.csv", kResults) &&
            ::chdir(FilePath::encode(kClass).constData()) == 0);
    JournalWindow window;
    QSignalSpy looked(&window, &JournalWindow::lookDone);
    window.openFiles({"записи.csv", "../записи.csv"});
    QVERIFY(looked.wait(10000));
    const QAbstractItemModel *records = window.findChild<QTableView *>("records")->model();
    QStringList files;
    for (int row = 0; row < records->rowCount(); ++row)
        files << records->index(row, RecordsModel::File).data().toString();
    const QString here = QString(5, QChar(0xFFFD)) + "/записи.csv";
    const QString there = QDir(home).dirName() + "/записи.csv";
    QCOMPARE(files, (QStringList{here, here, there, there}));
    QVERIFY(window.saveCsv(JournalWindow::Table::Records, "таблица.csv"));
    // The layout --export writes.
    QCOMPARE(readFile("таблица.csv"), csvOf(FilePath::absolute("записи.csv")) +
                                          csvOf(home + "/записи.csv").mid(kHeader.size()));

    // Through the menu, answering the file dialog, its question whether to replace the file,
    // and the box that says why it was not; each once it runs its own loop.
    QStringList boxes;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal->property("answered").toBool())
            return;
        modal->setProperty("answered", true);
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box)
            boxes << box->text();
        QMetaObject::invokeMethod(
            modal,
            [modal, box] {
                if (box)
                    box->button(box->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok)
                        ->click();
                else
                    static_cast<QDialog *>(modal)->accept();
            },
            Qt::QueuedConnection);
    });
    answer.start(20);
    for (QAction *action : window.menuBar()->actions().first()->menu()->actions()) {
        if (action->text() == "Сохранить &записи в CSV…")
            action->trigger();
    }
    answer.stop();
    qputenv("HOME", previousHome);
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[1], "Не удалось сохранить файл " + home +
                           "/записи.csv: это файл результатов, из которого читаются записи");
    QCOMPARE(readFile(home + "/записи.csv"), kResults);
}

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
