#include "form1.h"
#include "fres.h"
#include "label.h"
#include "menuitem.h"
#include "resultsfile.h"
#include "testsession.h"
#include "usermouse.h"
#include "workfolder.h"

#include <QFile>
#include <QTest>
#include <cmath>

namespace {

const QStringList kEmptyRow(8);

// Line i of a file of stored records: name "Запись i", scores from i, total i + 0.5 (so that
// rounding to even shows).
ResultRecord storedRecord(int i, const QString &name = {})
{
    return {name.isNull() ? QStringLiteral("Запись %1").arg(i) : name, i, 1, 2, 3, 4, 5, i + 0.5};
}

QStringList storedRow(int i, const QString &name = {})
{
    const ResultRecord r = storedRecord(i, name);
    return {r.Nam, QString::number(i),
            "1",   "2",
            "3",   "4",
            "5",   QString::number(int(std::nearbyint(r.Resul)))};
}

QByteArray storedFile(int count, const QList<int> &emptyNames = {})
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += ResultsFile::formatLine(
            storedRecord(i, emptyNames.contains(i) ? QString("") : QString()));
    return bytes;
}

QStringList row(FRes &fres, int r)
{
    QStringList texts;
    for (int column = 1; column <= 8; ++column)
        texts << fres.control<Label>(QStringLiteral("Label%1").arg(column), r).caption();
    return texts;
}

// The course of the test session's user so far: total 33 / 8.
void setScores(Form1 &form, int g1 = 10)
{
    form.L = 10;
    form.R = 10;
    form.Dbl = 10;
    form.M = 3;
    form.G1 = g1;
    form.G2 = 8;
}

void chooseResults(TestSession &session)
{
    UserMouse::choose(session.program().form1().control<MenuItem>("mnuRes"));
}

const QStringList kUserRow{"Ученик", "10", "10", "10", "3", "10", "8", "4.125"};

} // namespace

class ResultsTableTest : public QObject
{
    Q_OBJECT

private slots:
    void freshWindow_data();
    void freshWindow();
    void storedEmptyNameMakesItsRowFree();
    void windowLeftOpenOverElevenShowings();
    void russianLocaleShowsCommaInUserRowOnly();
    void closedWindowStartsEmpty();
    void overflowEndsBeforeReadingOrWriting_data();
    void overflowEndsBeforeReadingOrWriting();
    void failedAppendShowsWhyAndGoesOn();
};

void ResultsTableTest::freshWindow_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QByteArray>("damage"); // appended after the stored lines

    QTest::newRow("no file") << -1 << QByteArray();
    QTest::newRow("empty file") << 0 << QByteArray();
    QTest::newRow("one") << 1 << QByteArray();
    QTest::newRow("eight") << 8 << QByteArray();
    QTest::newRow("nine") << 9 << QByteArray();
    QTest::newRow("ten") << 10 << QByteArray();
    QTest::newRow("twenty-five") << 25 << QByteArray();
    QTest::newRow("twelve, then a cut record") << 12 << QByteArray("\"x\",1,2");
    QTest::newRow("twelve, then a bad total") << 12 << QByteArray("\"x\",1,2,3,4,5,6,1e3\r\n");
}

void ResultsTableTest::freshWindow()
{
    QFETCH(int, stored);
    QFETCH(QByteArray, damage);
    WorkFolder folder;
    QVERIFY(folder.isValid());
    const QByteArray before = stored < 0 ? QByteArray() : storedFile(stored) + damage;
    if (stored >= 0)
        QVERIFY(folder.write(before));

    TestSession session;
    session.start(QStringLiteral("Ученик"));
    session.dialogs.takeAsked();
    Form1 &form = session.program().form1();
    setScores(form);
    chooseResults(session);

    FRes &fres = session.program().fres();
    QVERIFY(fres.isShown());
    QCOMPARE(form.Resul, 4.125);
    const bool showsStored = stored >= 9 && damage.isEmpty();
    for (int r = 0; r < 10; ++r) {
        QStringList expected = kEmptyRow;
        if (showsStored && r < 9)
            expected = storedRow(stored - r);
        else if (r == (showsStored ? 9 : 0))
            expected = kUserRow;
        QCOMPARE(row(fres, r), expected);
    }
    QCOMPARE(folder.read(),
             before + ResultsFile::formatLine({"Ученик", 10, 10, 10, 3, 10, 8, 4.125}));
    QCOMPARE(session.dialogs.asked().size(), 0);
    QCOMPARE(session.endCount, 0);
}

// Rows 3 and 6 hold records with empty names: the user takes the topmost, row 9 stays empty.
void ResultsTableTest::storedEmptyNameMakesItsRowFree()
{
    WorkFolder folder;
    QVERIFY(folder.isValid());
    QVERIFY(folder.write(storedFile(12, {12 - 3, 12 - 6})));
    TestSession session;
    session.start(QStringLiteral("Ученик"));
    setScores(session.program().form1());
    chooseResults(session);

    FRes &fres = session.program().fres();
    for (int r = 0; r < 10; ++r) {
        QStringList expected =
            r == 9 ? kEmptyRow : storedRow(12 - r, r == 6 ? QString("") : QString());
        if (r == 3)
            expected = kUserRow;
        QCOMPARE(row(fres, r), expected);
    }
}

// The window stays open from the first showing on; the catch game score tells the showings apart.
// Each row is shown as "showing/total": the user's row has the exact total, a stored one the
// rounded one.
void ResultsTableTest::windowLeftOpenOverElevenShowings()
{
    WorkFolder folder;
    QVERIFY(folder.isValid());
    TestSession session;
    session.start(QStringLiteral("Ученик"));
    Form1 &form = session.program().form1();
    FRes &fres = session.program().fres();
    const auto user = [](int showing) { return QStringLiteral("%1/4.125").arg(showing); };
    const auto line = [](int showing) { return QStringLiteral("%1/4").arg(showing); };

    for (int showing = 1; showing <= 11; ++showing) {
        setScores(form, showing);
        chooseResults(session);
        QStringList expected(10);
        if (showing <= 9) {
            for (int r = 0; r < showing; ++r)
                expected[r] = user(r + 1);
        } else if (showing == 10) {
            for (int r = 0; r < 9; ++r)
                expected[r] = line(9 - r);
            expected[9] = user(10);
        } else {
            expected[0] = user(11);
            for (int r = 1; r < 9; ++r)
                expected[r] = line(10 - r);
            expected[9] = user(10);
        }
        QStringList shown;
        for (int r = 0; r < 10; ++r) {
            const QStringList cells = row(fres, r);
            shown << (cells[0].isEmpty() ? QString() : cells[5] + "/" + cells[7]);
        }
        QCOMPARE(shown, expected);
        QCOMPARE(folder.read().count('\n'), showing);
    }
    QVERIFY(fres.isShown());
}

void ResultsTableTest::russianLocaleShowsCommaInUserRowOnly()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    WorkFolder folder;
    QVERIFY(folder.isValid());
    QVERIFY(folder.write(storedFile(9)));
    TestSession session;
    session.start(QStringLiteral("Ученик"));
    setScores(session.program().form1());
    chooseResults(session);
    QLocale::setDefault(previous);

    FRes &fres = session.program().fres();
    QCOMPARE(row(fres, 9).last(), QStringLiteral("4,125"));
    QCOMPARE(row(fres, 0).last(), QStringLiteral("10")); // 9.5 to the even 10
    QVERIFY(folder.read().endsWith(",4.125\r\n"));
}

void ResultsTableTest::closedWindowStartsEmpty()
{
    WorkFolder folder;
    QVERIFY(folder.isValid());
    TestSession session;
    session.start(QStringLiteral("Ученик"));
    setScores(session.program().form1());
    FRes &fres = session.program().fres();
    chooseResults(session);
    fres.unload();
    chooseResults(session);
    QCOMPARE(row(fres, 0), kUserRow);
    QCOMPARE(row(fres, 1), kEmptyRow);
    QCOMPARE(folder.read().count('\n'), 2);
}

void ResultsTableTest::overflowEndsBeforeReadingOrWriting_data()
{
    QTest::addColumn<QList<int>>("scores"); // L, R, Dbl, M
    QTest::newRow("first sum") << QList<int>{32767, 1, 0, 0};
    QTest::newRow("last sum") << QList<int>{20000, 10000, 2767, 1};
    QTest::newRow("below") << QList<int>{-32768, 0, 0, -1};
}

void ResultsTableTest::overflowEndsBeforeReadingOrWriting()
{
    QFETCH(QList<int>, scores);
    WorkFolder folder;
    QVERIFY(folder.isValid());
    TestSession session;
    session.start(QStringLiteral("Ученик"));
    session.dialogs.takeAsked();
    Form1 &form = session.program().form1();
    form.L = scores[0];
    form.R = scores[1];
    form.Dbl = scores[2];
    form.M = scores[3];
    chooseResults(session);
    QCOMPARE(session.endCount, 1);
    QCOMPARE(session.dialogs.asked(), QList<AskedBox>{ScriptedDialogs::message(
                                          "Ошибка выполнения 6:\r\n\r\nПереполнение", 16, "Мышь")});
    QVERIFY(!QFile::exists("res.txt"));
    QVERIFY(!session.program().fres().isLoaded());
}

// The disk is full: the table is shown, the box says why, and the program goes on; once there
// is room the next showing writes its line.
void ResultsTableTest::failedAppendShowsWhyAndGoesOn()
{
    WorkFolder folder;
    QVERIFY(folder.isValid());
    QVERIFY(QFile::link("/dev/full", folder.path()));
    TestSession session;
    session.start(QStringLiteral("Ученик"));
    session.dialogs.takeAsked();
    setScores(session.program().form1());
    FRes &fres = session.program().fres();
    bool shownBeforeBox = false;
    session.dialogs.onAsk([&](const AskedBox &) { shownBeforeBox = fres.isShown(); });
    chooseResults(session);

    QCOMPARE(session.dialogs.takeAsked(),
             QList<AskedBox>{ScriptedDialogs::message(
                 "Не удалось записать результаты в файл res.txt: нет места на диске", 16,
                 "Результаты")});
    QVERIFY(shownBeforeBox);
    QCOMPARE(session.endCount, 0);
    QCOMPARE(row(fres, 0), kUserRow);

    QVERIFY(QFile::remove(folder.path()));
    chooseResults(session);
    QCOMPARE(session.dialogs.asked().size(), 0);
    QCOMPARE(folder.read(), ResultsFile::formatLine({"Ученик", 10, 10, 10, 3, 10, 8, 4.125}));
}

QTEST_MAIN(ResultsTableTest)
#include "tst_resultstable.moc"
