#include "commandline.h"
#include "csvwriter.h"
#include "filehandle.h"
#include "filepath.h"
#include "form1.h"
#include "journalwindow.h"
#include "menuitem.h"
#include "outputfile.h"
#include "recordsmodel.h"
#include "resultsparser.h"
#include "testsession.h"
#include "usermouse.h"
#include "workfolder.h"

#include <QAbstractButton>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The address sanitizer, as either compiler tells it.
#ifdef __has_feature
#if __has_feature(address_sanitizer)
#define ADDRESS_SANITIZER
#endif
#endif
#ifdef __SANITIZE_ADDRESS__
#define ADDRESS_SANITIZER
#endif

using Action = CommandLine::Action;

namespace {

const QString kUsage = "Использование: mouse-tutor [ПАРАМЕТР]...\n"
                       "   или: mouse-tutor --journal [--class СПИСОК] [--export CSV] [--since "
                       "КОГДА] [--until КОГДА] [ФАЙЛ]...\n";

// «класс» and «нет» in Windows-1251: folder names that are not UTF-8.
const QString kClass = FilePath::decode("\xEA\xEB\xE0\xF1\xF1");
const QString kNone = FilePath::decode("\xED\xE5\xF2");

// A results file with a formula for a name, a damaged line 2 and the example.
const QByteArray kResults = "\"=A1, x\",1,2,3,4,5,6,0.125\r\nbad\r\n"
                            "\"\xD3\xF7\xE5\xED\xE8\xEA\",10,10,10,3,10,8,4.125\r\n";
const QByteArray kHeader = "\xEF\xBB\xBF"
                           "Файл,Строка,Имя,Левая,Правая,Двойной,Движ,Игра 1,Игра 2,Итог,Когда,"
                           "Компьютер,Почему под подозрением\r\n";
// Why kResults' first record cannot be the course's.
const QByteArray kDoubt = ",\"Игра 1: 5, а игра «Поймай» даёт 0 или 10; Итог: 0.125, а (Левая + "
                          "Правая + Двойной + Движ) / 8 = 1.25\"";
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
        csv +=
            field + ",1,\"'=A1, x\",1,2,3,4,5,6,0.125" + (dated ? kWhen1 : ",,") + kDoubt + "\r\n";
    if (lines.contains('3'))
        csv += field + ",3,Ученик,10,10,10,3,10,8,4.125" + (dated ? kWhen3 : ",,") + ",\r\n";
    return csv;
}

// A class list in Windows-1251 that names kResults' pupil, and one without a record twice.
const QByteArray kClassList =
    "# 5 \xC1\n\xF3\xF7\xE5\xED\xE8\xEA\n\xCD\xEE\xE2\xE5\xED\xFC\xEA\xE8\xE9\n"
    "\xED\xEE\xE2\xE5\xED\xFC\xEA\xE8\xE9\n";

// The CSV of kResults read from `file` with kClassList.
QByteArray classCsvOf(const QString &file)
{
    QByteArrayList lines = csvOf(file).split('\n');
    // «В списке» comes before the last column, why a record is doubtful.
    lines[0].insert(lines[0].lastIndexOf(','), ",В списке");
    lines[1].insert(lines[1].indexOf(kDoubt), ",нет");
    lines[2].insert(lines[2].lastIndexOf(','), ",да");
    lines[3] = ",,Новенький,,,,,,,,,,нет попыток,\r";
    return lines.join('\n') + '\n';
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

// The program itself started in the working directory, with its arguments as bytes, its
// standard output appended to `output` and its standard error in `errors`; -1 when it could not
// be. `environment` holds "NAME=VALUE" to set and "-NAME" to take away.
pid_t startProgram(const QStringList &arguments, const QString &output, const QString &errors,
                   const QByteArray &binary = MOUSE_TUTOR_BINARY,
                   const QStringList &environment = {})
{
    QByteArrayList variables;
    for (char **variable = environ; *variable; ++variable)
        variables << *variable;
    for (const QString &change : environment) {
        const QByteArray name =
            change.section('=', 0, 0).remove(0, change.startsWith('-')).toUtf8();
        variables.removeIf([&](const QByteArray &v) { return v.startsWith(name + '='); });
        if (!change.startsWith('-'))
            variables << change.toUtf8();
    }
    std::vector<char *> envp;
    for (QByteArray &variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
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
    // With nothing open but those three, as from a shell, whatever the test was started with.
    for (const QString &name : QDir("/proc/self/fd").entryList(QDir::Files | QDir::System)) {
        const int fd = name.toInt();
        if (fd > STDERR_FILENO && ::fcntl(fd, F_GETFD) >= 0)
            posix_spawn_file_actions_addclose(&actions, fd);
    }
    // Ended by the signals a person sends, whatever the test was started with.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t usual;
    sigemptyset(&usual);
    for (const int signal : {SIGHUP, SIGINT, SIGTERM})
        sigaddset(&usual, signal);
    posix_spawnattr_setsigdefault(&attributes, &usual);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t child = -1;
    if (::posix_spawn(&child, binary.constData(), &actions, &attributes, argv.data(),
                      envp.data()) != 0)
        child = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// Its status once it has ended (128 and the signal's number when a signal ended it), and what
// it wrote to standard error.
std::pair<int, QByteArray> endOf(pid_t child, const QString &errors)
{
    int status = -1;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return {-1, readFile(errors)};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), readFile(errors)};
}

std::pair<int, QByteArray> runProgram(const QStringList &arguments, const QString &output,
                                      const QString &errors,
                                      const QByteArray &binary = MOUSE_TUTOR_BINARY,
                                      const QStringList &environment = {})
{
    return endOf(startProgram(arguments, output, errors, binary, environment), errors);
}

// Whether standard error said `errors`, where "*" stands for any text.
bool saysLike(const QByteArray &said, const QString &errors)
{
    const QStringList parts = errors.split('*');
    const QString text = FilePath::decode(said);
    return text.startsWith(parts.first()) && text.endsWith(parts.last());
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
    void shortOfResources_data();
    void shortOfResources();
    void exportEndedBySignal_data();
    void exportEndedBySignal();
    void withoutScreen_data();
    void withoutScreen();
    void longNamesReadWhole();
    void csvWrittenInPiecesAsInOne();
    void outputWrittenByName();
    void journalWindowKeepsItsFiles();

private:
    // "@" in a test's text stands for the folder elsewhere.
    QString place(QString text) const { return text.replace('@', m_elsewhere.path()); }
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
    // res.txt in the working folder, here a link to a pipe, is refused as one named would be.
    const QString pipe = "Вместо файла результатов указано устройство или канал «res.txt».";
    QTest::newRow("no options, res.txt a pipe") << QStringList() << Action::BadResultsFile << ""
                                                << "mouse-tutor: в" + pipe.sliced(1) + "\n" << pipe << "";
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
    QTest::newRow("class") << QStringList{"--journal", "--class", "5б.txt", "a.txt", "--export=-"} << Action::Export << "res.txt"
                           << "" << "" << "a.txt > - class 5б.txt";
    usage("class without journal", {"--class", "5б.txt"}, "«--class» бывает только вместе с «--journal»");
    usage("class, no list", {"--journal", "--class="}, "после «--class» не указано значение");
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
    WorkFolder folder;
    QVERIFY(QFile::link(place("@/pipe"), "res.txt"));
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
    if (!result.classPath.isEmpty())
        opens += " class " + result.classPath;
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
    // NAME TO", "hard NAME TO", "mkdir NAME", "sticky NAME" a folder as /tmp is, "fifo NAME",
    // "chmod NAME MODE", "owner NAME UID" a file of another user) or sets the program's "umask
    // MODE" or "limit BYTES" of file size. Then `mouse-tutor --journal --export ARGUMENTS...` runs,
    // its standard output appended to `output`. Each of `checks` holds then: "csv NAME FILE [LINES
    // dated]" (NAME holds the CSV of FILE, or of its records LINES, dated), "res NAME", "old NAME",
    // "dates NAME" (kDates beside NAME, as it was), "mode NAME MODE", "link NAME", "char NAME",
    // "fifo NAME", "only NAMES..." (the folder holds these: nothing left behind), "none PATTERN"
    // (nothing in its folder is named so), "book NAME [CLASS]" (NAME is a workbook of kResults'
    // records: numbers as numbers, a formula as text, the doubt explained; its pupils those of the
    // class list CLASS, named). A name that ends in .xlsx, in any case, is a workbook.
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
    const QString partial = "out.csv: таблица не записана: не все файлы удалось прочитать\n";
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
    // A link in a shared folder (sticky and writable by all) is followed only when it is the
    // user's or the folder owner's, wherever it stands in the name: one a pupil planted there
    // is refused, as the system refuses it to a shell.
    const QString planted = ": таблица не записана: это ссылка, которую в общей папке оставил другой пользователь\n";
    const QStringList share = res + QStringList{"old other.csv", "mkdir sub", "sticky share"};
    QTest::newRow("a link planted in a shared folder") << share + QStringList{"link share/class.csv ../other.csv", "owner share/class.csv 4242"}
                                                       << QStringList{"share/class.csv", "res.txt"} << out << 2 << "share/class.csv" + planted
                                                       << QStringList{"old other.csv", "none share/class.csv.*"};
    QTest::newRow("a planted link to a folder on the way") << share + QStringList{"link share/sub ../sub", "owner share/sub 4242"}
                                                           << QStringList{"share/sub/class.csv", "res.txt"} << out << 2 << "share/sub/class.csv" + planted
                                                           << QStringList{"none sub/class.csv"};
    QTest::newRow("the user's own link in a shared folder") << share + QStringList{"link share/class.csv ../other.csv"}
                                                            << QStringList{"share/class.csv", "res.txt"} << out << 0 << skip
                                                            << QStringList{"csv other.csv res.txt", "link share/class.csv"};
    QTest::newRow("a link of the shared folder's owner") << share + QStringList{"owner share 4242", "link share/class.csv ../other.csv", "owner share/class.csv 4242"}
                                                         << QStringList{"share/class.csv", "res.txt"} << out << 0 << skip
                                                         << QStringList{"csv other.csv res.txt"};
    // More than the writer's buffer: the first write fails, the old file stays, the new goes.
    QTest::newRow("write fails") << res + QStringList{"more res.txt 40000", "old out.csv", "limit 100000"} << args << out << 1
                                 << skip + "out.csv: не удалось записать файл: файл слишком большой\n" << QStringList{"old out.csv", "only out.csv res.txt"};
    // A table without a file's records is not written: an old one stays, a stream has the rest.
    QTest::newRow("FILE a folder") << QStringList{"mkdir sub"} << QStringList{"out.csv", "sub"} << out << 1 << "sub: это папка, а не файл\n" + partial
                                   << QStringList{"only sub"};
    QTest::newRow("FILE missing, the old CSV kept") << res + QStringList{"old out.csv"} << QStringList{"out.csv", "нет.txt", "res.txt"} << out << 1
                                                    << "нет.txt: файл не найден\n" + skip + partial << QStringList{"old out.csv", "only out.csv res.txt"};
    QTest::newRow("FILE missing, to standard output") << res << QStringList{"-", "нет.txt", "res.txt"} << out << 1 << "нет.txt: файл не найден\n" + skip
                                                      << QStringList{"csv @/stdout res.txt"};
    // Names are bytes: on standard error too, but for control characters.
    QTest::newRow("Windows-1251 names") << QStringList{"mkdir " + kClass, "res " + kClass + "/res.txt"}
                                        << QStringList{kClass + "/out.csv", kClass + "/res.txt"} << out << 0 << skipped(kClass + "/res.txt")
                                        << QStringList{"csv " + kClass + "/out.csv " + kClass + "/res.txt"};
    QTest::newRow("line feed in a name") << res << QStringList{"-", "a\nb.txt", "res.txt"} << out << 1 << "a\\x0Ab.txt: файл не найден\n" + skip
                                         << QStringList{"csv @/stdout res.txt"};
    // When and where each attempt was saved, from the dates file; only the period's, dated.
    const QStringList dated = res + QStringList{"dates res.txt"};
    QTest::newRow("dated") << dated << args << out << 0 << skip << QStringList{"csv out.csv res.txt 13 dated"};
    QTest::newRow("since") << dated << QStringList{"out.csv", "--since", "2026-12-09T12:00Z", "res.txt"} << out << 0 << skip
                           << QStringList{"csv out.csv res.txt 3 dated"};
    QTest::newRow("until a second, included") << dated << QStringList{"out.csv", "--until=2026-12-08T07:15:02Z", "res.txt"} << out << 0 << skip
                                              << QStringList{"csv out.csv res.txt 1 dated"};
    QTest::newRow("onto the dates file, by a link") << dated + QStringList{"link out.xlsx res.txt.dates"} << QStringList{"out.xlsx", "res.txt"} << out << 2
                                                    << "out.xlsx: таблица не записана: это файл дат записей, который читается вместе с файлом результатов\n"
                                                    << QStringList{"dates res.txt", "link out.xlsx"};
    QTest::newRow("undated: in no period") << res << QStringList{"out.csv", "--until", "2099-01-01", "res.txt"} << out << 0 << skip
                                           << QStringList{"csv out.csv res.txt -"};
    // A class list marks who is on it, and adds who has no record; one that cannot be read, or
    // that the CSV would replace, stops the program before anything is written.
    const QStringList listed = res + QStringList{"list list.txt", "old out.csv"};
    const QString notRead = "mouse-tutor: %1: список класса не прочитан: %2\n";
    QTest::newRow("a class list") << listed << QStringList{"out.csv", "--class", "list.txt", "res.txt"} << out << 0
                                  << "mouse-tutor: list.txt: «Новенький» повторяется в строках 3, 4\n" + skip << QStringList{"class out.csv res.txt"};
    QTest::newRow("a class list missing") << listed << QStringList{"out.csv", "--class", "нет.txt", "res.txt"} << out << 2
                                          << notRead.arg("нет.txt", "файл не найден") << QStringList{"old out.csv", "only list.txt out.csv res.txt"};
    QTest::newRow("a class list a folder") << listed + QStringList{"mkdir sub"} << QStringList{"out.csv", "--class=sub", "res.txt"} << out << 2
                                           << notRead.arg("sub", "это папка, а не файл") << QStringList{"old out.csv"};
    QTest::newRow("the CSV over the class list") << listed << QStringList{"list.txt", "--class", "./list.txt", "res.txt"} << out << 2
                                                 << "mouse-tutor: ./list.txt: таблица --export не записывается на место списка класса\n"
                                                 << QStringList{"list list.txt"};
    QTest::newRow("a workbook with a class list") << listed << QStringList{"out.xlsx", "--class", "list.txt", "res.txt"} << out << 0
                                                  << "mouse-tutor: list.txt: «Новенький» повторяется в строках 3, 4\n" + skip << QStringList{"book out.xlsx list"};
    // A workbook is written as a CSV file is, in the library's words nowhere.
    QTest::newRow("a workbook") << res << QStringList{"out.xlsx", "res.txt"} << out << 0 << skip << QStringList{"book out.xlsx", "only out.xlsx res.txt"};
    QTest::newRow("a workbook onto FILE, in capitals") << res + QStringList{"link OUT.XLSX res.txt"} << QStringList{"OUT.XLSX", "res.txt"} << out << 2
                                                      << "OUT.XLSX" + refused << QStringList{"res res.txt", "only OUT.XLSX res.txt"};
    QTest::newRow("a workbook, FILE missing, the old one kept") << res + QStringList{"old out.xlsx"} << QStringList{"out.xlsx", "нет.txt", "res.txt"} << out << 1
                                                                << "нет.txt: файл не найден\n" + skip + QString(partial).replace("csv", "xlsx") << QStringList{"old out.xlsx", "only out.xlsx res.txt"};
    QTest::newRow("a workbook on a full device") << res + QStringList{"full out.xlsx"} << QStringList{"out.xlsx", "res.txt"} << out << 1
                                                 << skip + "out.xlsx: не удалось записать файл: нет места на диске\n" << QStringList{"char out.xlsx"};
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
        else if (words[0] == "list")
            QVERIFY(writeFile(words[1], kClassList));
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
        else if (words[0] == "sticky")
            QVERIFY(::mkdir(name, 0700) == 0 && ::chmod(name, 01777) == 0);
        else if (words[0] == "owner" && ::geteuid() != 0)
            QSKIP("a file of another user is made by root alone");
        else if (words[0] == "owner")
            QVERIFY(::lchown(name, uid_t(words[2].toUInt()), gid_t(-1)) == 0);
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
    // The journal's settings (the merges) are the test's own.
    const auto [ended, said] =
        runProgram(QStringList{"--journal", "--export"} + arguments, place(output),
                   place("@/stderr"), MOUSE_TUTOR_BINARY, {"XDG_CONFIG_HOME=" + place("@/config")});
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
        else if (what == "class")
            QCOMPARE(readFile(words[0]), classCsvOf(words[1]));
        else if (what == "list")
            QCOMPARE(readFile(words[0]), kClassList);
        else if (what == "dates")
            QCOMPARE(readFile(words[0] + ".dates"), kDates);
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
        else if (what == "book") {
            QProcess unzip;
            unzip.start("unzip", {"-p", words[0], "xl/worksheets/sheet2.xml"});
            QVERIFY(unzip.waitForFinished());
            const QByteArray records = unzip.readAllStandardOutput();
            for (const char *cell : {"<t>=A1, x</t>", "<v>4.125</v>", "<t>Игра 1: 5, а игра"})
                QVERIFY2(records.contains(cell), records.constData());
            // With a class list, its name above the pupils, who are the list's.
            if (words.size() > 1) {
                unzip.start("unzip", {"-p", words[0], "xl/worksheets/sheet1.xml"});
                QVERIFY(unzip.waitForFinished());
                const QByteArray pupils = unzip.readAllStandardOutput();
                for (const QString &cell :
                     {"<t>Класс: " + words[1] + "</t>", QString("<t>Новенький</t>")})
                    QVERIFY2(pupils.contains(cell.toUtf8()), pupils.constData());
            }
        } else if (what == "none") // not even a new file of that name
            QVERIFY2(
                QDir(QFileInfo(words[0]).path())
                    .entryList({QFileInfo(words[0]).fileName()}, QDir::AllEntries | QDir::System)
                    .isEmpty(),
                qPrintable(words[0]));
    }
}

void CommandLineTest::journalHandedOver_data()
{
    // `layout`: where the course's program is copied and started from ("course FOLDER"), and
    // what is made around it: a copy of the journal's program ("journal FOLDER"), a folder's or a
    // file's "mode NAME MODE" or "owner NAME UID", a "link NAME TARGET". None: the build's.
    QTest::addColumn<QStringList>("layout");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errors"); // "*" stands for any text
    const QStringList all = {"--export", "-", "res.txt"};
    const QString refused = "res.txt: таблица не записана: это файл результатов, из которого "
                            "читаются записи\n";
    const QString cannot = "mouse-tutor: не удалось запустить журнал результатов «*";
    const QString shared = "» могут писать другие пользователи\n";
    // clang-format off
    QTest::newRow("all read") << QStringList() << all << 0 << skipped("res.txt");
    QTest::newRow("a file missing") << QStringList() << QStringList{"--export", "-", "нет.txt", "res.txt"} << 1
                                    << "нет.txt: файл не найден\n" + skipped("res.txt");
    QTest::newRow("the CSV is read") << QStringList() << QStringList{"--export", "res.txt", "res.txt"} << 2 << refused;
    QTest::newRow("no journal") << QStringList{"course ."} << all << 1 << cannot + "/mouse-tutor-journal»: файл не найден\n";
    // Only the journal beside a program that is not the installed one, never one in the
    // package's private folder from there.
    QTest::newRow("planted beside an installed layout") << QStringList{"course i/bin", "journal i/libexec/mouse-tutor"} << all << 1
                                                        << cannot + "/i/bin/mouse-tutor-journal»: файл не найден\n";
    // Never from a folder another user can write, nor one above it...
    QTest::newRow("a folder all may write") << QStringList{"course w", "journal w", "mode w 777"} << all << 1 << cannot + "/w" + shared;
    QTest::newRow("a group's folder above") << QStringList{"course g/x", "journal g/x", "mode g 775"} << all << 1 << cannot + "/g" + shared;
    // ...but for a sticky folder, as /tmp, where no other user can replace it.
    QTest::newRow("a sticky folder") << QStringList{"course t", "journal t", "mode t 1777"} << all << 0 << skipped("res.txt");
    QTest::newRow("a link into a shared folder") << QStringList{"course l", "journal s", "mode s 777", "link l/mouse-tutor-journal ../s/mouse-tutor-journal"}
                                                 << all << 1 << cannot + "/s" + shared;
    QTest::newRow("another user's journal") << QStringList{"course o", "journal o", "owner o/mouse-tutor-journal 54321"} << all << 1
                                            << cannot + "/o/mouse-tutor-journal»: файл принадлежит другому пользователю\n";
    QTest::newRow("another user's folder") << QStringList{"course u/x", "journal u/x", "owner u 54321"} << all << 1
                                           << cannot + "/u» принадлежит другому пользователю\n";
    // clang-format on
}

// `mouse-tutor --journal` hands its arguments over to the journal's own program: what that
// writes and its status are those of the journal's program started by itself. Without one it
// can trust, the course says why and ends with status 1.
void CommandLineTest::journalHandedOver()
{
    QFETCH(QStringList, layout);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, errors);
    WorkFolder folder;
    QVERIFY(writeFile("res.txt", kResults));
    const QStringList all = QStringList{"--journal"} + arguments;
    QByteArray course = MOUSE_TUTOR_BINARY;
    for (const QString &step : layout) {
        const QStringList words = step.split(' ');
        const QByteArray name = FilePath::encode(words[1]);
        if (words[0] == "course" || words[0] == "journal") {
            const QString copy = QDir::current().filePath(words[1]) + "/mouse-tutor" +
                                 (words[0] == "journal" ? "-journal" : "");
            QVERIFY(QDir().mkpath(words[1]));
            QVERIFY(QFile::copy(
                words[0] == "course" ? MOUSE_TUTOR_BINARY : MOUSE_TUTOR_JOURNAL_BINARY, copy));
            QVERIFY(::chmod(FilePath::encode(copy).constData(), 0755) == 0);
            if (words[0] == "course")
                course = FilePath::encode(copy);
        } else if (words[0] == "mode") {
            QVERIFY(::chmod(name.constData(), mode_t(words[2].toInt(nullptr, 8))) == 0);
        } else if (words[0] == "owner") {
            if (::geteuid() != 0)
                QSKIP("only root can give a file to another user");
            QVERIFY(::chown(name.constData(), uid_t(words[2].toInt()), gid_t(-1)) == 0);
        } else if (words[0] == "link") {
            QVERIFY(::symlink(FilePath::encode(words[2]).constData(), name.constData()) == 0);
        }
    }
    const auto [ended, said] = runProgram(all, "course.out", "course.err", course);
    QCOMPARE(ended, status);
    QVERIFY2(saysLike(said, errors), said.constData());
    if (errors.startsWith("mouse-tutor:")) {
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

void CommandLineTest::shortOfResources_data()
{
    // The course or the journal started by a shell after `limits`, with res.txt of kResults (or
    // of `names` different names): its status, its standard error ("*" for any text) and the
    // names in the folder after it, with "csv NAME" the CSV of res.txt and "rows NAME N" its
    // rows. @ is the folder elsewhere that holds standard output.
    QTest::addColumn<bool>("course");
    QTest::addColumn<QString>("limits");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("names");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errors");
    QTest::addColumn<QStringList>("checks");
    const QStringList out = {"--export", "out.csv", "res.txt"};
    const QString many = "программа открыла слишком много файлов";
    const QString descriptors =
        "mouse-tutor: слишком мало свободных дескрипторов файлов: *, а окну нужно не меньше 64 "
        "(их число ограничивает ulimit -n)\n";
    const QString memory =
        "mouse-tutor: не хватает памяти, чтобы открыть окно: нужно ещё не меньше 64 МБ "
        "(память может ограничивать ulimit -v)\n";
    // clang-format off
    QTest::newRow("export, 4 descriptors") << false << "ulimit -n 4" << out << 0 << 1 << "out.csv: не удалось создать файл: " + many + "\n"
                                           << QStringList{"only res.txt"};
    QTest::newRow("export, 5 descriptors") << false << "ulimit -n 5" << out << 0 << 1
                                           << "res.txt: " + many + "\nout.csv: таблица не записана: не все файлы удалось прочитать\n"
                                           << QStringList{"only res.txt"};
    QTest::newRow("export to standard output, 4 descriptors") << false << "ulimit -n 4" << QStringList{"--export", "-", "res.txt"} << 0 << 0
                                                              << skipped("res.txt") << QStringList{"csv @/stdout", "only res.txt"};
    // With standard error closed, the new file would take its number and the diagnostics.
    QTest::newRow("export, standard error closed") << false << "mkdir sub; exec 2>&-" << QStringList{"--export", "sub/out.csv", "res.txt"} << 0 << 0 << ""
                                                   << QStringList{"csv sub/out.csv", "only res.txt sub"};
    QTest::newRow("export of many names in little memory") << false << "ulimit -v 110000" << out << 300000 << 0 << ""
                                                           << QStringList{"rows out.csv 300000"};
    QTest::newRow("journal, 10 descriptors") << false << "ulimit -n 10" << QStringList() << 0 << 1 << descriptors << QStringList{"only res.txt"};
    QTest::newRow("journal, 40 descriptors") << false << "ulimit -n 40" << QStringList() << 0 << 1 << descriptors << QStringList{"only res.txt"};
    QTest::newRow("journal, little memory") << false << "ulimit -v 120000" << QStringList() << 0 << 1 << memory << QStringList{"only res.txt"};
    QTest::newRow("course, 10 descriptors") << true << "ulimit -n 10" << QStringList() << 0 << 1 << descriptors << QStringList{"only res.txt"};
    QTest::newRow("course, little memory") << true << "ulimit -v 120000" << QStringList() << 0 << 1 << memory << QStringList{"only res.txt"};
    // clang-format on
}

// Too few descriptors or too little memory: a message in Russian and status 1, never an abort
// or a crash, and no file left behind.
void CommandLineTest::shortOfResources()
{
    QFETCH(bool, course);
    QFETCH(QString, limits);
    QFETCH(QStringList, arguments);
    QFETCH(int, names);
    QFETCH(int, status);
    QFETCH(QString, errors);
    QFETCH(QStringList, checks);
#ifdef ADDRESS_SANITIZER
    // Its run-time wants address space and descriptors of its own.
    if (limits.startsWith("ulimit -v") ||
        (limits.startsWith("ulimit -n") && limits.section(' ', 2, 2).toInt() < 10))
        QSKIP("the sanitizers cannot work within so tight a limit");
#endif
    WorkFolder folder;
    QByteArray results = kResults;
    if (names > 0) {
        results.clear();
        for (int name = 0; name < names; ++name)
            results += "\"N" + QByteArray::number(name) + "\",1,2,3,4,5,6,0.125\r\n";
    }
    QVERIFY(writeFile("res.txt", results));
    QVERIFY(::unlink(QFile::encodeName(place("@/stdout")).constData()) == 0 || errno == ENOENT);
    // A window that opened after all would wait for ever.
    const QStringList shell = {"-c", limits + "; exec timeout 60 \"$0\" \"$@\"",
                               course ? MOUSE_TUTOR_BINARY : MOUSE_TUTOR_JOURNAL_BINARY};
    const auto [ended, said] =
        runProgram(shell + arguments, place("@/stdout"), place("@/stderr"), "/bin/sh");
    QVERIFY2(saysLike(said, errors), said.constData());
    QCOMPARE(ended, status);
    for (const QString &check : checks) {
        const QStringList words = place(check).split(' ');
        if (words[0] == "csv")
            QCOMPARE(readFile(words[1]), csvOf("res.txt"));
        else if (words[0] == "rows")
            QCOMPARE(readFile(words[1]).count('\n') - 1, words[2].toInt());
        else if (words[0] == "only")
            QCOMPARE(namesHere(), words.mid(1).join(' '));
    }
}

void CommandLineTest::exportEndedBySignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// An export ended by a signal leaves no new file behind, the old CSV as it was, and ends as the
// signal ends a program.
void CommandLineTest::exportEndedBySignal()
{
    QFETCH(int, signal);
    WorkFolder folder;
    QVERIFY(writeFile("res.txt", kResults) && writeFile("out.csv", "old\n"));
    // The export waits for the lock this test holds on res.txt, its new file made.
    const int held = ::open("res.txt", O_RDWR | O_CLOEXEC);
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    QVERIFY(held >= 0 && ::fcntl(held, F_SETLK, &lock) == 0);
    const auto unlock = qScopeGuard([held] { ::close(held); });
    const pid_t child = startProgram({"--export", "out.csv", "res.txt"}, place("@/stdout"),
                                     place("@/stderr"), MOUSE_TUTOR_JOURNAL_BINARY);
    QTRY_VERIFY(namesHere().contains("out.csv."));
    QVERIFY(::kill(child, signal) == 0);
    QCOMPARE(endOf(child, place("@/stderr")).first, 128 + signal);
    QCOMPARE(namesHere(), "out.csv res.txt");
    QCOMPARE(readFile("out.csv"), "old\n");
}

void CommandLineTest::withoutScreen_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment"); // as runProgram takes it; "!" a display that
                                                  // takes the connection and never answers
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errors");
    const QStringList none = {"-DISPLAY", "-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM"};
    const QString cannot = "mouse-tutor: не удалось открыть окно: ";
    const QString noDisplay =
        cannot + "не задан дисплей (программа запущена не в графическом сеансе).\n";
    // clang-format off
    QTest::newRow("the course") << QStringList() << none << 1 << noDisplay;
    QTest::newRow("the journal's window") << QStringList{"--journal"} << none << 1 << noDisplay;
    QTest::newRow("a display not there") << QStringList() << none + QStringList{"DISPLAY=:4321"} << 1
                                         << cannot + "нет связи с дисплеем «:4321».\n";
    QTest::newRow("a display that never answers") << QStringList{"--journal"} << none + QStringList{"!"} << 1
                                                  << cannot + "дисплей «127.0.0.1:*» не отвечает.\n";
    QTest::newRow("--export") << QStringList{"--journal", "--export", "-", "res.txt"} << none << 0 << skipped("res.txt");
    QTest::newRow("--help") << QStringList{"--help"} << none << 0 << "";
    QTest::newRow("--version") << QStringList{"--version"} << none << 0 << "";
    // clang-format on
}

// Without a screen, what needs a window ends with a Russian line and status 1, never Qt's abort
// nor a wait for ever; what needs none works as ever.
void CommandLineTest::withoutScreen()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, status);
    QFETCH(QString, errors);
    WorkFolder folder;
    QVERIFY(writeFile("res.txt", kResults));
    // A display is a port from 6000 on: one taken here, that never says a word.
    FileHandle silent(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (environment.removeAll("!") > 0) {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int display = 4000;
        for (address.sin_port = htons(6000 + display);
             ::bind(silent.fd(), reinterpret_cast<sockaddr *>(&address), sizeof address) != 0;
             address.sin_port = htons(6000 + ++display))
            QVERIFY(display < 5000);
        QVERIFY(::listen(silent.fd(), 4) == 0);
        environment << QString("DISPLAY=127.0.0.1:%1").arg(display);
    }
    const auto [ended, said] = runProgram(arguments, "out", "err", MOUSE_TUTOR_BINARY, environment);
    QCOMPARE(ended, status);
    QVERIFY2(saysLike(said, errors), said.constData());
}

// A name pasted into the prompt stops at the 255 letters the prompt takes, which the file holds
// and the journal reads whole; a longer name of an older file is shown cut, never skipped.
void CommandLineTest::longNamesReadWhole()
{
    WorkFolder folder;
    {
        TestSession session;
        session.start(QString(10000, u'я'));
        UserMouse::choose(session.program().form1().control<MenuItem>("mnuRes"));
    }
    const QByteArray zeros = ",0,0,0,0,0,0,0\r\n";
    QCOMPARE(readFile("res.txt"), '"' + QByteArray(255, '\xFF') + '"' + zeros);
    QVERIFY(writeFile("res.txt", '"' + QByteArray(10000, '\xE0') + '"' + zeros, O_APPEND));
    const auto [ended, said] =
        runProgram({"--journal", "--export", "out.csv", "res.txt"}, "out", "err");
    QCOMPARE(said, QByteArray());
    // The course's line is dated, the one added by hand is not.
    const QList<QByteArray> rows = readFile("out.csv").split('\n');
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0] + '\n', kHeader);
    QVERIFY(
        rows[1].startsWith("res.txt,1," + QString(255, u'я').toUtf8() + zeros.chopped(2) + ",20"));
    QCOMPARE(rows[2], "res.txt,2," + QString(ResultsParser::kMaxName, u'а').toUtf8() + "…" +
                          zeros.chopped(2) + ",,,\r");
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

// A writer that opens the output by a name of its own (a library that takes a path) writes the
// new file: the output keeps its old contents until the commit.
void CommandLineTest::outputWrittenByName()
{
    WorkFolder folder;
    QVERIFY(writeFile("res.txt", kResults) && writeFile("out.xlsx", "old\n"));
    OutputFile out;
    QCOMPARE(out.start("res.txt", {"res.txt"}), OutputFile::Opened::Refused);
    QCOMPARE(out.start("out.xlsx", {"res.txt"}), OutputFile::Opened::Yes);
    QVERIFY(writeFile(FilePath::decode(out.writingName()), "new\n"));
    QCOMPARE(readFile("out.xlsx"), "old\n");
    QVERIFY(out.commit());
    QCOMPARE(readFile("out.xlsx"), "new\n");
    QCOMPARE(namesHere(), "out.xlsx res.txt");
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
    // The columns --export writes, the files named as the table names them.
    QCOMPARE(readFile("таблица.csv"), csvOf(here) + csvOf(there).mid(kHeader.size()));

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
