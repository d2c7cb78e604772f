#include "dd.h"
#include "form1.h"
#include "form4.h"
#include "image.h"
#include "label.h"
#include "menuitem.h"
#include "picturebox.h"
#include "testsession.h"
#include "timer.h"
#include "usermouse.h"

#include <QMainWindow>
#include <QTest>

namespace {

const QColor kYellow(255, 255, 0);

// The picture's row step: 50 twips of gap plus its height of 372.
constexpr float kRowStep = 422;
// Rows go down while the top is below Image1(0)'s top less 372 and 300.
constexpr float kLastRowLimit = 3360 - 372 - 300;

Form4 &openCatch(TestSession &session)
{
    UserMouse::choose(session.program().form1().control<MenuItem>("mnuCatch"));
    return session.program().form4();
}

DD &openSort(TestSession &session)
{
    UserMouse::choose(session.program().form1().control<MenuItem>("mnuChoose"));
    return session.program().dd();
}

PictureBox &pic(Form4 &form)
{
    return form.control<PictureBox>("pic");
}

void catchIt(Form4 &form, int times = 1)
{
    for (int i = 0; i < times; ++i)
        UserMouse::click(form, UserMouse::centreOf(pic(form)));
}

void tick(Form &form, const char *timer, int times = 1)
{
    for (int i = 0; i < times; ++i)
        form.control<Timer>(timer).tick();
}

int markersShown(Form4 &form)
{
    int shown = 0;
    for (int i = 0; i < 5; ++i)
        shown += form.control<Image>("Image1", i).visible() ? 1 : 0;
    return shown;
}

// The colours of the victory display: window, label background, label text.
QList<QColor> victoryColours(Form4 &form)
{
    const Label &label = form.control<Label>("lblSuccess");
    return {form.backColor(), label.backColor(), label.foreColor()};
}

enum Section { NorthAmerica, Europe, Asia };
const char *const kSectionNames[] = {"Label1", "Label2", "Label3"};

// Each flag of the row on a section that takes it (Russia on Asia).
constexpr Section kHome[12] = {Europe, Europe, Europe, Europe, Asia,         Europe,
                               Asia,   Europe, Europe, Europe, NorthAmerica, NorthAmerica};
// G2 after each accepted drop of a run.
constexpr int kScores[12] = {2, 2, 2, 2, 6, 6, 8, 8, 8, 8, 8, 10};

// The k-th release point inside a section, 40 pixels apart so that placed flags (33 pixels)
// do not cover the next one.
QPoint spot(DD &dd, Section section, int k)
{
    const QRect area = dd.control<Label>(kSectionNames[section]).widget()->geometry();
    const int columns = std::max(1, (area.width() - 40) / 40);
    const int rows = std::max(1, (area.height() - 40) / 40);
    k %= columns * rows;
    return area.topLeft() + QPoint(5 + 40 * (k % columns), 5 + 40 * (k / columns));
}

QPointF flagPlace(DD &dd, int flag)
{
    const PictureBox &box = dd.control<PictureBox>("Picture1", flag);
    return {box.left(), box.top()};
}

void dragFlag(DD &dd, int flag, QPoint to)
{
    UserMouse::drag(dd, UserMouse::centreOf(dd.control<PictureBox>("Picture1", flag)), to);
}

// Drags the flag into the section; true if its top-left corner landed on the release point.
bool dropFlag(DD &dd, int flag, Section section, int k)
{
    const QPoint to = spot(dd, section, k);
    dragFlag(dd, flag, to);
    return flagPlace(dd, flag) == QPointF(to) * 15;
}

int G2(TestSession &session)
{
    return session.program().form1().G2;
}

} // namespace

enum class Step { Right, NextRow, Wrap };

class GamesTest : public QObject
{
    Q_OBJECT

private slots:
    void sweepStep_data()
    {
        QTest::addColumn<float>("fromRowEnd"); // the picture's left, relative to the row's end
        QTest::addColumn<float>("top");
        QTest::addColumn<Step>("step");
        QTest::newRow("short of the row end") << -1.0f << 0.0f << Step::Right;
        QTest::newRow("exactly at the row end") << 0.0f << 0.0f << Step::NextRow;
        QTest::newRow("past the row end") << 60.0f << 844.0f << Step::NextRow;
        QTest::newRow("just above the last-row limit")
            << 0.0f << kLastRowLimit - 1 << Step::NextRow;
        QTest::newRow("exactly at the last-row limit") << 0.0f << kLastRowLimit << Step::Wrap;
        QTest::newRow("end of the last row") << 0.0f << 2954.0f << Step::Wrap;
    }

    void sweepStep()
    {
        QFETCH(float, fromRowEnd);
        QFETCH(float, top);
        QFETCH(Step, step);
        TestSession session;
        session.start();
        Form4 &form = openCatch(session);
        PictureBox &p = pic(form);
        // A row ends at the window's outer width less the picture's width and 100.
        const float left = form.width() - p.width() - 100 + fromRowEnd;
        p.move(left, top);
        tick(form, "Timer1");
        const QPointF expected = step == Step::Right     ? QPointF(left + 100, top)
                                 : step == Step::NextRow ? QPointF(0, top + kRowStep)
                                                         : QPointF(0, 0);
        QCOMPARE(QPointF(p.left(), p.top()), expected);
    }

    void fiveCatchesWin()
    {
        TestSession session;
        session.start();
        Form4 &form = openCatch(session);
        Form1 &form1 = session.program().form1();
        QCOMPARE(form.backColor(), kYellow);
        UserMouse::click(form, QPoint(200, 200)); // beside the picture
        QCOMPARE(markersShown(form), 0);
        for (int catches = 1; catches <= 2; ++catches) {
            catchIt(form);
            QCOMPARE(markersShown(form), catches);
            QVERIFY(form.control<Image>("Image1", catches - 1).visible());
        }
        // A quick double click on the running mouse is two catches.
        UserMouse::doubleClick(form, UserMouse::centreOf(pic(form)));
        QCOMPARE(markersShown(form), 4);
        QCOMPARE(int(form1.G1), 0);
        QVERIFY(!form.control<Label>("lblSuccess").visible());

        catchIt(form);
        QCOMPARE(int(form1.G1), 10);
        QVERIFY(form.control<Label>("lblSuccess").visible());
        QVERIFY(form.control<Image>("imSuc").visible());
        QVERIFY(!pic(form).visible());
        QCOMPARE(markersShown(form), 0);
        QVERIFY(form.control<Timer>("Timer2").running());
        QVERIFY(form.control<Timer>("Timer1").running());
    }

    void victoryColoursCycle()
    {
        TestSession session;
        session.start();
        Form4 &form = openCatch(session);
        catchIt(form, 5);
        const QList<QList<QColor>> rows = {
            {Qt::black, Qt::red, Qt::black},    {Qt::blue, Qt::black, Qt::white},
            {Qt::red, Qt::yellow, Qt::black},   {Qt::white, Qt::black, Qt::white},
            {Qt::cyan, Qt::black, Qt::cyan},    {Qt::magenta, Qt::white, Qt::magenta},
            {Qt::green, Qt::yellow, Qt::black}, {Qt::white, Qt::black, Qt::red},
        };
        for (int step = 0; step < 10; ++step) {
            tick(form, "Timer2");
            QCOMPARE(victoryColours(form), rows[step % 8]);
        }
    }

    void newGameContinuesColourCycle()
    {
        TestSession session;
        session.start();
        Form4 &form = openCatch(session);
        catchIt(form, 5);
        tick(form, "Timer2", 3);
        const QList<QColor> third = victoryColours(form);

        UserMouse::choose(form.control<MenuItem>("mnuNew"));
        QCOMPARE(form.backColor(), kYellow);
        QVERIFY(!form.control<Timer>("Timer2").running());
        QVERIFY(form.control<Timer>("Timer1").running());
        QVERIFY(!form.control<Label>("lblSuccess").visible());
        QVERIFY(!form.control<Image>("imSuc").visible());
        QVERIFY(pic(form).visible());
        QCOMPARE(QPointF(pic(form).left(), pic(form).top()), QPointF(0, 0));

        catchIt(form, 4);
        QCOMPARE(markersShown(form), 4);
        catchIt(form);
        // The label comes back with the third row's colours; the next tick applies the fourth.
        QCOMPARE(victoryColours(form).mid(1), third.mid(1));
        tick(form, "Timer2");
        QCOMPARE(victoryColours(form), (QList<QColor>{Qt::white, Qt::black, Qt::white}));
    }

    void exitHidesButCloseBoxUnloads()
    {
        TestSession session;
        session.start();
        Form4 &form = openCatch(session);
        catchIt(form, 2);

        UserMouse::choose(form.control<MenuItem>("mnuExit"));
        QVERIFY(form.isLoaded() && !form.isShown());
        QVERIFY(form.control<Timer>("Timer1").running());
        const float left = pic(form).left();
        tick(form, "Timer1");
        openCatch(session);
        QVERIFY(form.isShown());
        QCOMPARE(markersShown(form), 2);
        QCOMPARE(pic(form).left(), left + 100);

        // Won and hidden: both timers go on, the colours keep changing.
        catchIt(form, 3);
        UserMouse::choose(form.control<MenuItem>("mnuExit"));
        QVERIFY(form.control<Timer>("Timer1").running());
        QVERIFY(form.control<Timer>("Timer2").running());
        tick(form, "Timer2", 2);
        QCOMPARE(victoryColours(form), (QList<QColor>{Qt::blue, Qt::black, Qt::white}));

        // The close box unloads; the next opening loads a new game, and the colours go on.
        openCatch(session);
        form.window()->close();
        QVERIFY(!form.isLoaded());
        openCatch(session);
        QVERIFY(form.isShown());
        QCOMPARE(markersShown(form), 0);
        QCOMPARE(form.backColor(), kYellow);
        QVERIFY(pic(form).visible());
        QVERIFY(form.control<Timer>("Timer1").running());
        QVERIFY(!form.control<Timer>("Timer2").running());
        catchIt(form, 4);
        QCOMPARE(markersShown(form), 4);
        catchIt(form);
        tick(form, "Timer2");
        QCOMPARE(victoryColours(form), (QList<QColor>{Qt::red, Qt::yellow, Qt::black}));
    }

    void newUserKeepsGameCounts()
    {
        TestSession session;
        session.start();
        Form4 &form = openCatch(session);
        catchIt(form, 4);
        DD &dd = openSort(session);
        for (int flag = 0; flag < 9; ++flag)
            QVERIFY(dropFlag(dd, flag, kHome[flag], flag));
        QCOMPARE(G2(session), 8);

        Form1 &form1 = session.program().form1();
        session.dialogs.answerInput(QStringLiteral("Петя"));
        UserMouse::choose(form1.control<MenuItem>("mnuBegin"));
        QCOMPARE(form1.Nam, QStringLiteral("Петя"));
        QCOMPARE(int(form1.G1), 0);
        QCOMPARE(G2(session), 0);

        QCOMPARE(markersShown(form), 4);
        catchIt(form);
        QCOMPARE(int(form1.G1), 10);
        for (int flag = 9; flag < 11; ++flag) {
            QVERIFY(dropFlag(dd, flag, kHome[flag], flag));
            QCOMPARE(G2(session), 0);
        }
        QVERIFY(dropFlag(dd, 11, kHome[11], 11));
        QCOMPARE(G2(session), 10);
    }

    void twelveDrops_data()
    {
        QTest::addColumn<int>("flag");
        for (int flag = 0; flag < 12; ++flag)
            QTest::addRow("drop %d", flag + 1) << flag;
    }

    // The flags go one by one onto their sections; the row's flag is the last drop.
    void twelveDrops()
    {
        QFETCH(int, flag);
        TestSession session;
        session.start();
        DD &dd = openSort(session);
        for (int f = 0; f <= flag; ++f)
            QVERIFY(dropFlag(dd, f, kHome[f], f));
        QCOMPARE(G2(session), kScores[flag]);
    }

    void refusedDrop_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<QString>("target"); // empty for the window's own background
        QTest::addColumn<int>("targetIndex");
        QTest::newRow("Turkey on Азия") << 8 << "Label3" << -1;
        QTest::newRow("Japan on Европа") << 4 << "Label2" << -1;
        QTest::newRow("Canada on Европа") << 10 << "Label2" << -1;
        QTest::newRow("USA on Азия") << 11 << "Label3" << -1;
        QTest::newRow("Denmark on Северная Америка") << 0 << "Label1" << -1;
        QTest::newRow("Russia on Северная Америка") << 6 << "Label1" << -1;
        QTest::newRow("on the window background") << 3 << "" << -1;
        QTest::newRow("on another flag") << 9 << "Picture1" << 5;
    }

    void refusedDrop()
    {
        QFETCH(int, flag);
        QFETCH(QString, target);
        QFETCH(int, targetIndex);
        TestSession session;
        session.start();
        DD &dd = openSort(session);
        // Three accepted drops first: after the refused one, the next accepted drop is the fourth
        // (still 2); had the refused drop counted, it would be the fifth (6).
        for (int f : {1, 2, 7})
            QVERIFY(dropFlag(dd, f, kHome[f], f));
        const QPointF before = flagPlace(dd, flag);
        // Between the row of flags and the sections lies the bare window.
        dragFlag(dd, flag,
                 target.isEmpty()
                     ? QPoint(250, 70)
                     : UserMouse::centreOf(dd.control<BoxControl>(target, targetIndex)));
        QCOMPARE(flagPlace(dd, flag), before);
        QCOMPARE(G2(session), 2);
        QVERIFY(dropFlag(dd, 5, Europe, 5));
        QCOMPARE(G2(session), 2);
    }

    // A placed flag can be dragged again, and every accepted drop counts: Russia, twelve times,
    // alternately on Европа and Азия.
    void sameFlagCountsEveryDrop()
    {
        TestSession session;
        session.start();
        DD &dd = openSort(session);
        for (int drop = 0; drop < 12; ++drop) {
            QVERIFY(dropFlag(dd, 6, drop % 2 ? Asia : Europe, drop));
            QCOMPARE(G2(session), kScores[drop]);
        }
    }

    void sortReopensAfterCloseBox()
    {
        TestSession session;
        session.start();
        DD &dd = openSort(session);
        for (int flag = 0; flag < 4; ++flag)
            QVERIFY(dropFlag(dd, flag, kHome[flag], flag));
        dd.window()->close();
        QVERIFY(!dd.isLoaded());

        openSort(session);
        QVERIFY(dd.isShown());
        for (int flag = 0; flag < 12; ++flag)
            QCOMPARE(flagPlace(dd, flag), QPointF(120 + 600 * flag, 240));
        QVERIFY(dropFlag(dd, 4, Asia, 0));
        QCOMPARE(G2(session), 6); // the fifth accepted drop of the run
    }
};

QTEST_MAIN(GamesTest)
#include "tst_games.moc"
