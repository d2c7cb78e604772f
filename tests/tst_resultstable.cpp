#include "form1.h"
#include "fres.h"
#include "label.h"
#include "lockholder.h"
#include "menuitem.h"
#include "resultsfile.h"
#include "testsession.h"
#include "usermouse.h"
#include "workfolder.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

// The session's user, total 33 / 8, as the table shows it under a Russian locale and as res.txt
// holds it.
const QString kUserRow = "Ученик|10|10|10|3|10|8|4,125";
const QByteArray kUserLine = "\"\xD3\xF7\xE5\xED\xE8\xEA\",10,10,10,3,10,8,4.125\r\n";

// Stored record i: name "Запись i" (or none), scores from i, total i + 0.5, which shows rounded
// to the even neighbour.
QString storedRow(int i, bool nameless)
{
    const QString name = nameless ? QString() : QStringLiteral("Запись %1").arg(i);
    return QStringLiteral("%1|%2|1|2|3|4|5|%3").arg(name).arg(i).arg(i + i % 2);
}

QByteArray storedFile(int count, const QList<int> &nameless)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) {
        const QString name = nameless.contains(i) ? "" : QStringLiteral("Запись %1").arg(i);
        bytes += ResultsFile::formatLine({name, qint16(i), 1, 2, 3, 4, 5, i + 0.5});
    }
    return bytes;
}

// The ten rows, top first, each as its cells joined by "|"; an empty row as "".
QStringList table(FRes &fres)
{
    QStringList rows;
    for (int r = 0; r < 10; ++r) {
        QStringList cells;
        for (int column = 1; column <= 8; ++column)
            cells << fres.control<Label>(QStringLiteral("Label%1").arg(column), r).caption();
        rows << (cells.join(QString()).isEmpty() ? QString() : cells.join(u'|'));
    }
    return rows;
}

void setScores(Form1 &form, int L, int R, int Dbl, int M, int G1 = 10)
{
    std::tie(form.L, form.R, form.Dbl, form.M, form.G1, form.G2) = std::tuple(L, R, Dbl, M, G1, 8);
}

void chooseResults(TestSession &session)
{
    UserMouse::choose(session.program().form1().control<MenuItem>("mnuRes"));
}

} // namespace

class ResultsTableTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void freshWindow_data();
    void freshWindow();
    void windowLeftOpenOverElevenShowings();
    void overflowEndsBeforeReadingOrWriting();
    void failedAppendShowsWhyAndGoesOn_data();
    void failedAppendShowsWhyAndGoesOn();
};

void ResultsTableTest::freshWindow_data()
{
    QTest::addColumn<int>("stored"); // -1: no file
    QTest::addColumn<QList<int>>("nameless");
    QTest::addColumn<QByteArray>("damage"); // after the stored lines
    QTest::addColumn<int>("userRow");

    // clang-format off
    QTest::newRow("no file") << -1 << QList<int>() << QByteArray() << 0;
    QTest::newRow("empty file") << 0 << QList<int>() << QByteArray() << 0;
    QTest::newRow("eight") << 8 << QList<int>() << QByteArray() << 0;
    QTest::newRow("nine") << 9 << QList<int>() << QByteArray() << 9;
    QTest::newRow("twenty-five") << 25 << QList<int>() << QByteArray() << 9;
    // Rows 3 and 6 hold records without a name: the user takes the topmost, row 9 stays empty.
    QTest::newRow("empty names") << 12 << QList<int>{9, 6} << QByteArray() << 3;
    QTest::newRow("twelve, then a bad total") << 12 << QList<int>() << QByteArray("\"x\",1,2,3,4,5,6,1e3\r\n") << 0;
    // clang-format on
}

// The newest nine records top down and the user's row below, or the user's row alone; no box,
// and the user's line appended.
void ResultsTableTest::freshWindow()
{
    QFETCH(int, stored);
    QFETCH(QList<int>, nameless);
    QFETCH(QByteArray, damage);
    QFETCH(int, userRow);
    WorkFolder folder;
    const QByteArray before = stored < 0 ? QByteArray() : storedFile(stored, nameless) + damage;
    if (stored >= 0)
        QVERIFY(folder.write(before));

    TestSession session;
    session.start();
    session.dialogs.takeAsked();
    setScores(session.program().form1(), 10, 10, 10, 3);
    chooseResults(session);

    QStringList expected(10);
    for (int r = 0; r < 9 && stored >= 9 && damage.isEmpty(); ++r)
        expected[r] = storedRow(stored - r, nameless.contains(stored - r));
    expected[userRow] = kUserRow;
    QCOMPARE(table(session.program().fres()), expected);
    QVERIFY(session.program().fres().isShown());
    QCOMPARE(folder.read(), before + kUserLine);
    QCOMPARE(session.dialogs.asked().size(), 0);
    QCOMPARE(session.endCount, 0);
}

// From no file, the window stays open: showings 1 to 9 fill rows 0 to 8 in turn, showing 10
// reads nine lines and takes row 9, showing 11 finds every row taken and takes row 0. The
// catch game score tells the showings apart.
void ResultsTableTest::windowLeftOpenOverElevenShowings()
{
    WorkFolder folder;
    TestSession session;
    session.start();
    const auto user = [](int s) { return QStringLiteral("Ученик|10|10|10|3|%1|8|4,125").arg(s); };
    const auto line = [](int s) { return QStringLiteral("Ученик|10|10|10|3|%1|8|4").arg(s); };
    for (int showing = 1; showing <= 11; ++showing) {
        setScores(session.program().form1(), 10, 10, 10, 3, showing);
        chooseResults(session);
        QStringList expected(10);
        for (int r = 0; r < std::min(showing, 9); ++r)
            expected[r] = showing <= 9 ? user(r + 1) : line(showing - 1 - r);
        if (showing >= 10)
            expected[9] = user(10);
        if (showing == 11)
            expected[0] = user(11);
        QCOMPARE(table(session.program().fres()), expected);
        QCOMPARE(folder.read().count('\n'), showing);
    }
}

// L + R overflows although the whole sum would fit: the runtime's box, and the program ends
// before anything is read or written.
void ResultsTableTest::overflowEndsBeforeReadingOrWriting()
{
    WorkFolder folder;
    TestSession session;
    session.start();
    session.dialogs.takeAsked();
    setScores(session.program().form1(), 32767, 1, -1, 0);
    chooseResults(session);
    QCOMPARE(session.endCount, 1);
    QCOMPARE(session.dialogs.asked(), QList<AskedBox>{ScriptedDialogs::message(
                                          "Ошибка выполнения 6:\r\n\r\nПереполнение", 16, "Мышь")});
    QVERIFY(!QFile::exists("res.txt"));
    QVERIFY(!session.program().fres().isLoaded() && !session.program().form1().isLoaded());
}

void ResultsTableTest::failedAppendShowsWhyAndGoesOn_data()
{
    QTest::addColumn<QString>("said"); // the path as the box shows it, and the reason
    QTest::newRow("disk full") << "res.txt: нет места на диске";
    QTest::newRow("folder") << "res.txt: под этим именем находится папка";
    QTest::newRow("read-only file") << "res.txt: нет прав на запись";
    QTest::newRow("read-only folder") << "res.txt: нет прав на запись";
    QTest::newRow("write stops half way") << "res.txt: файл слишком большой";
    QTest::newRow("sync fails") << "res.txt: ошибка ввода-вывода";
    // The wait does not freeze the windows: a timer still fires, under a busy cursor.
    QTest::newRow("locked by another program") << "res.txt: файл занят другой программой";
    // A path of any length, cut in the middle so that the box fits on the screen.
    QTest::newRow("long path") << QString(59, 'x') + "…" + QString(52, 'x') +
                                      "/res.txt: слишком длинное имя";
}

// The table is shown first, then the box says why; the program goes on and the file is kept
// byte for byte.
void ResultsTableTest::failedAppendShowsWhyAndGoesOn()
{
    QFETCH(QString, said);
    const QString setup = QTest::currentDataTag();
    WorkFolder folder;
    const QByteArray before = "\"old\",1,1,1,1,1,1,0.125\r\n";
    rlimit limit = {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit unlimited = limit;
    ResultsFile file(setup == "long path" ? QString(100000, 'x') + "/res.txt" : "res.txt",
                     std::chrono::milliseconds(200));
    QProcess holder;
    if (setup == "disk full") {
        QVERIFY(WorkFolder::makeFullDevice("res.txt"));
    } else if (setup == "folder") {
        QVERIFY(QDir().mkdir("res.txt"));
    } else if (setup == "write stops half way") {
        QVERIFY(folder.write(before));
        limit.rlim_cur = before.size() + 10;
    } else if (setup == "sync fails") {
        QVERIFY(folder.write(before));
        file.setSync([](int) { return EIO; });
    } else if (setup == "locked by another program") {
        QVERIFY(folder.write(before) && LockHolder::start(holder, "w"));
    } else if (setup.startsWith("read-only")) {
        // Read-only for everyone: only the file or the folder stops the writing.
        if (setup == "read-only file")
            QVERIFY(folder.write(before) && ::chmod("res.txt", 0444) == 0);
        QVERIFY(::chmod(".", setup == "read-only file" ? 0755 : 0555) == 0);
    }
    TestSession session(file);
    session.start();
    session.dialogs.takeAsked();
    setScores(session.program().form1(), 10, 10, 10, 3);
    FRes &fres = session.program().fres();
    bool shownBeforeBox = false;
    session.dialogs.onAsk([&](const AskedBox &) {
        shownBeforeBox = fres.isShown() && !QApplication::overrideCursor();
    });
    bool firedBusy = false;
    QTimer meanwhile;
    meanwhile.setSingleShot(true);
    connect(&meanwhile, &QTimer::timeout, [&] {
        firedBusy = QApplication::overrideCursor() &&
                    QApplication::overrideCursor()->shape() == Qt::BusyCursor;
    });
    meanwhile.start(0);
    // Permissions do not stop the superuser, as whom CI runs: the read-only cases write as an
    // ordinary user. A file size limit cuts a write short there and fails the next; its signal
    // would end the process.
    const bool asUser = setup.startsWith("read-only") && ::geteuid() == 0;
    std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0 && (!asUser || ::seteuid(65534) == 0));
    chooseResults(session);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &unlimited) == 0 && (!asUser || ::seteuid(0) == 0));
    std::signal(SIGXFSZ, SIG_DFL);
    holder.kill();
    holder.waitForFinished();

    QCOMPARE(session.dialogs.asked(),
             QList<AskedBox>{ScriptedDialogs::message(
                 "Не удалось записать результаты в файл " + said, 16, "Результаты")});
    QVERIFY(shownBeforeBox);
    QCOMPARE(firedBusy, setup == "locked by another program");
    QCOMPARE(session.endCount, 0);
    QCOMPARE(table(fres).first(), kUserRow);
    if (setup != "disk full")
        QCOMPARE(folder.read(), QFileInfo("res.txt").isFile() ? before : QByteArray());
}

int main(int argc, char *argv[])
{
    LockHolder::runIfAsked(argc, argv);
    QApplication app(argc, argv);
    ResultsTableTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_resultstable.moc"
