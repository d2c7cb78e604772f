#include "commandline.h"
#include "form1.h"
#include "menuitem.h"
#include "testsession.h"
#include "usermouse.h"
#include "workfolder.h"

#include <QTest>

using Action = CommandLine::Action;

namespace {

const QString kUsage = "Использование: mouse-tutor [ПАРАМЕТР]...\n"
                       "   или: mouse-tutor --journal [--export CSV] [ФАЙЛ]...\n";

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void resultsGoWhereTheCommandLineSays_data();
    void resultsGoWhereTheCommandLineSays();

private:
    QTemporaryDir m_elsewhere; // holds shared/, a folder far from the working directory
};

void CommandLineTest::initTestCase()
{
    QVERIFY(m_elsewhere.isValid() && QDir(m_elsewhere.path()).mkdir("shared"));
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
    QTest::newRow("no options") << QStringList() << Action::Run << "res.txt" << "" << "" << "";
    QTest::newRow("results") << QStringList{"--results", "@/shared/класс.txt"} << Action::Run
                             << "@/shared/класс.txt" << "" << "" << "";
    QTest::newRow("results=, relative") << QStringList{"--results=res2.txt"} << Action::Run << "res2.txt" << "" << "" << "";
    QTest::newRow("help") << QStringList{"--help"} << Action::ShowHelp << ""
                          << kUsage + "Учебная программа «Мышь»" << "" << "";
    QTest::newRow("-h after --results") << QStringList{"--results", "x.txt", "-h"} << Action::ShowHelp << ""
                                        << kUsage << "" << "";
    QTest::newRow("version") << QStringList{"--version"} << Action::ShowVersion << ""
                             << "mouse-tutor " MOUSE_VERSION "\n" << "" << "";
    QTest::newRow("-v") << QStringList{"-v"} << Action::ShowVersion << "" << "mouse-tutor " MOUSE_VERSION "\n" << "" << "";
    QTest::newRow("unknown option") << QStringList{"--colour"} << Action::BadUsage << ""
                                    << "mouse-tutor: неизвестный параметр «--colour»\n" + kUsage << "" << "";
    QTest::newRow("unknown single dash") << QStringList{"-x=1"} << Action::BadUsage << ""
                                         << "mouse-tutor: неизвестный параметр «-x»\n" + kUsage << "" << "";
    QTest::newRow("missing argument") << QStringList{"--results"} << Action::BadUsage << ""
                                      << "mouse-tutor: после «--results» не указано значение\n" + kUsage << "" << "";
    QTest::newRow("empty argument") << QStringList{"--results="} << Action::BadUsage << ""
                                    << "mouse-tutor: после «--results» не указано значение\n" + kUsage << "" << "";
    QTest::newRow("value to a switch") << QStringList{"--version=2"} << Action::BadUsage << ""
                                       << "mouse-tutor: у «--version» не бывает значения\n" + kUsage << "" << "";
    QTest::newRow("extra argument") << QStringList{"res.txt"} << Action::BadUsage << ""
                                    << "mouse-tutor: лишний аргумент «res.txt»\n" + kUsage << "" << "";
    QTest::newRow("no such folder") << QStringList{"--results", "@/none/res.txt"} << Action::BadResultsFile << ""
                                    << "mouse-tutor: ф" + box.sliced(1) + "\n" << box << "";
    QTest::newRow("FILE a folder") << QStringList{"--results", "@/shared"} << Action::BadResultsFile << ""
                                   << "mouse-tutor: в" + folder.sliced(1) + "\n" << folder << "";
    QTest::newRow("journal on res.txt") << QStringList{"--journal"} << Action::Journal << "res.txt" << "" << "" << "res.txt";
    // The journal only reads: a file that is not there is no reason to stop.
    QTest::newRow("journal on --results") << QStringList{"--results", "@/none/res.txt", "--journal"} << Action::Journal
                                          << "@/none/res.txt" << "" << "" << "@/none/res.txt";
    QTest::newRow("journal on files") << QStringList{"--journal", "--results", "r.txt", "a.txt", "b.txt"} << Action::Journal
                                      << "r.txt" << "" << "" << "a.txt b.txt";
    QTest::newRow("export") << QStringList{"--journal", "a.txt", "--export", "out.csv"} << Action::Export << "res.txt"
                            << "" << "" << "a.txt > out.csv";
    QTest::newRow("export without journal") << QStringList{"--export", "out.csv"} << Action::BadUsage << ""
                                            << "mouse-tutor: «--export» бывает только вместе с «--journal»\n" + kUsage << "" << "";
    QTest::newRow("export, no CSV") << QStringList{"--journal", "--export"} << Action::BadUsage << ""
                                    << "mouse-tutor: после «--export» не указано значение\n" + kUsage << "" << "";
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
    QCOMPARE(opens, place(journal));
    QCOMPARE(result.exitStatus,
             action == Action::BadUsage || action == Action::BadResultsFile ? 2 : 0);
}

void CommandLineTest::resultsGoWhereTheCommandLineSays_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("written"); // "@" as above

    QTest::newRow("no options: res.txt here") << QStringList() << "res.txt";
    QTest::newRow("a relative path from here")
        << QStringList{"--results", "sub/класс.txt"} << "sub/класс.txt";
    QTest::newRow("a folder elsewhere")
        << QStringList{"--results", "@/shared/res.txt"} << "@/shared/res.txt";
}

// The whole way from the command line to the results table's append, and nothing anywhere else.
void CommandLineTest::resultsGoWhereTheCommandLineSays()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, written);
    const auto place = [this](QString text) { return text.replace('@', m_elsewhere.path()); };
    WorkFolder folder;
    QVERIFY(QDir().mkdir("sub"));
    QStringList command{"mouse-tutor"};
    for (const QString &argument : arguments)
        command << place(argument);
    const CommandLine::Result result = CommandLine::parse(command);
    QCOMPARE(result.action, Action::Run);

    TestSession session{ResultsFile(result.resultsPath)};
    session.start();
    UserMouse::choose(session.program().form1().control<MenuItem>("mnuRes"));
    QFile file(place(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().startsWith("\"\xD3\xF7\xE5\xED\xE8\xEA\","));
    const QStringList everyFile = {"res.txt", "sub/класс.txt",
                                   m_elsewhere.path() + "/shared/res.txt"};
    for (const QString &other : everyFile)
        QCOMPARE(QFile::exists(other), other == place(written));
    QVERIFY(QFile::remove(file.fileName()));
}

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
