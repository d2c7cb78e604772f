#include "boxcontrol.h"
#include "dd.h"
#include "form1.h"
#include "form4.h"
#include "menuitem.h"
#include "testsession.h"
#include "timer.h"
#include "usermouse.h"

#include <QMainWindow>
#include <QTest>

namespace {

enum Section { NorthAmerica, Europe, Asia };

// Each flag of the row on a section that takes it (Russia on Asia), and G2 after each drop.
constexpr Section kHome[12] = {Europe, Europe, Europe, Europe, Asia,         Europe,
                               Asia,   Europe, Europe, Europe, NorthAmerica, NorthAmerica};
constexpr int kScores[12] = {2, 2, 2, 2, 6, 6, 8, 8, 8, 8, 8, 10};

// The victory display a tick at a time: window background, label background, label text.
using Colours = QList<QColor>;
const QList<Colours> kCycle = {
    {Qt::black, Qt::red, Qt::black},    {Qt::blue, Qt::black, Qt::white},
    {Qt::red, Qt::yellow, Qt::black},   {Qt::white, Qt::black, Qt::white},
    {Qt::cyan, Qt::black, Qt::cyan},    {Qt::magenta, Qt::white, Qt::magenta},
    {Qt::green, Qt::yellow, Qt::black}, {Qt::white, Qt::black, Qt::red}};

// A started program with both games opened from the course window's menu.
struct Run
{
    TestSession session;
    Form1 &form1 = session.program().form1();
    Form4 &game = session.program().form4();
    DD &dd = session.program().dd();

    Run()
    {
        session.start();
        choose(form1, "mnuCatch");
        choose(form1, "mnuChoose");
    }
    void choose(Form &form, const char *menu) { UserMouse::choose(form.control<MenuItem>(menu)); }
    BoxControl &pic() { return game.control<BoxControl>("pic"); }
    QPointF picAt() { return {pic().left(), pic().top()}; }
    void tick(const char *timer) { game.control<Timer>(timer).tick(); }
    void catchIt(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            UserMouse::click(game, UserMouse::centreOf(pic()));
    }
    // The game at a glance: the markers from the left, then the controls shown, the timers
    // running, and whether the background is yellow.
    QString state()
    {
        QString s;
        for (int i = 0; i < 5; ++i)
            s += game.control<BoxControl>("Image1", i).visible() ? '1' : '0';
        for (const char *name : {"pic", "lblSuccess", "imSuc"})
            s += game.control<BoxControl>(name).visible() ? QString(" ") + name : QString();
        for (const char *name : {"Timer1", "Timer2"})
            s += game.control<Timer>(name).running() ? QString(" ") + name : QString();
        return s + (game.backColor() == QColor(Qt::yellow) ? " yellow" : "");
    }
    // The colours after each of a number of ticks of Timer2.
    QList<Colours> cycle(int ticks)
    {
        QList<Colours> seen;
        const BoxControl &label = game.control<BoxControl>("lblSuccess");
        while (ticks-- > 0) {
            tick("Timer2");
            seen << Colours{game.backColor(), label.backColor(), label.foreColor()};
        }
        return seen;
    }

    BoxControl &flag(int index) { return dd.control<BoxControl>("Picture1", index); }
    QPointF place(int index) { return {flag(index).left(), flag(index).top()}; }
    void drag(int index, QPoint to) { UserMouse::drag(dd, UserMouse::centreOf(flag(index)), to); }
    // The k-th release point in a section, 40 pixels apart so that a placed flag (33 pixels)
    // does not cover the next one; three rows fit in every section.
    QPoint spot(Section s, int k)
    {
        const QRect a = dd.control<BoxControl>(QString("Label%1").arg(s + 1)).widget()->geometry();
        const int columns = a.width() / 40 - 1, i = k % (columns * 3);
        return a.topLeft() + QPoint(5 + 40 * (i % columns), 5 + 40 * (i / columns));
    }
    // True if the flag's top-left corner landed on the release point.
    bool drop(int index, Section section, int k)
    {
        drag(index, spot(section, k));
        return place(index) == QPointF(spot(section, k)) * 15;
    }
};

} // namespace

class GamesTest : public QObject
{
    Q_OBJECT

private slots:
    // One tick from places around a row's end, each step a line from before to after: short of
    // the end one step right; at the end (by the outer width, strict: 4500 less the picture's
    // 492 and 100) the next row, 50 twips below; at the last row (above hidden Image1(0) at
    // 3360, less 372 and 300) the top.
    void sweep()
    {
        Run run;
        UserMouse::resize(run.game, {300, 300});
        const float e = 3908;
        for (const QLineF &step : {QLineF(e - 1, 0, e + 99, 0), QLineF(e, 844, 0, 1266),
                                   QLineF(e, 2687, 0, 3109), QLineF(e, 2688, 0, 0)}) {
            run.pic().move(step.x1(), step.y1());
            run.tick("Timer1");
            QCOMPARE(run.picAt(), step.p2());
        }
    }

    // Five catches win. "Выход" only hides the game, which goes on with both timers; a new game
    // stops the colours at once, but their cycle goes on, also after the close box.
    void catchGame()
    {
        Run run;
        UserMouse::click(run.game, QPoint(200, 200)); // beside the picture: nothing happens
        run.catchIt(2);
        run.choose(run.game, "mnuExit"); // hidden, not unloaded: the picture runs on
        QVERIFY(run.game.isLoaded() && !run.game.isShown());
        QCOMPARE(run.state(), "11000 pic Timer1 yellow");
        run.tick("Timer1");
        run.choose(run.form1, "mnuCatch");
        QCOMPARE(run.picAt(), QPointF(100, 0));
        UserMouse::doubleClick(run.game, UserMouse::centreOf(run.pic())); // two catches
        QCOMPARE(run.state(), "11110 pic Timer1 yellow");
        QCOMPARE(int(run.form1.G1), 0);
        run.catchIt();
        QCOMPARE(int(run.form1.G1), 10);
        run.choose(run.game, "mnuExit"); // won and hidden: both timers go on
        QCOMPARE(run.state(), "00000 lblSuccess imSuc Timer1 Timer2 yellow");
        QCOMPARE(run.cycle(3), kCycle.mid(0, 3));

        run.choose(run.form1, "mnuCatch");
        run.choose(run.game, "mnuNew");
        QCOMPARE(run.state(), "00000 pic Timer1 yellow");
        QCOMPARE(run.picAt(), QPointF(0, 0));
        run.catchIt(5);
        QCOMPARE(run.cycle(2), kCycle.mid(3, 2));
        run.game.window()->close(); // unloads: the next opening is a new game
        run.choose(run.form1, "mnuCatch");
        QCOMPARE(run.state(), "00000 pic Timer1 yellow");
        run.catchIt(5);
        QCOMPARE(run.cycle(5), kCycle.mid(5) + kCycle.mid(0, 2));
    }

    // Refused drops neither move the flag nor count (else the scores would come early): Turkey
    // on Азия, Japan and Canada on Европа, the United Kingdom on Северная Америка, a flag on
    // the bare window between the row and the sections, a flag on another flag. Then drops are
    // counted, not flags: each flag once, or Russia twelve times on Европа and Азия; after the
    // fourth drop the close box puts the flags back in their row, and the count goes on.
    void drops()
    {
        for (bool sameFlag : {false, true}) {
            Run run;
            const QList<QPair<int, QPoint>> refused = {
                {8, run.spot(Asia, 0)},    {4, run.spot(Europe, 0)},
                {10, run.spot(Europe, 0)}, {9, run.spot(NorthAmerica, 0)},
                {3, QPoint(250, 70)},      {9, UserMouse::centreOf(run.flag(5))}};
            const QPointF home = run.place(0);
            for (const auto &[flag, to] : refused) {
                const QPointF before = run.place(flag);
                run.drag(flag, to);
                QCOMPARE(run.place(flag), before);
            }
            for (int drop = 0; drop < 12; ++drop) {
                const int flag = sameFlag ? 6 : drop;
                QVERIFY(run.drop(flag, sameFlag ? (drop % 2 ? Asia : Europe) : kHome[flag], drop));
                QCOMPARE(int(run.form1.G2), kScores[drop]);
                if (drop == 3) {
                    run.dd.window()->close();
                    run.choose(run.form1, "mnuChoose");
                    QCOMPARE(run.place(0), home);
                }
            }
        }
    }

    // A new user zeroes G1 and G2, but the catches and the count of drops go on. With a new
    // user before each of the eighth to twelfth drops, G2 shows what that drop alone sets: 8 at
    // the eighth, nothing (0) at the ninth to eleventh, 10 at the twelfth.
    void newUserKeepsGameCounts()
    {
        Run run;
        run.catchIt(4);
        for (int flag = 0; flag < 7; ++flag)
            QVERIFY(run.drop(flag, kHome[flag], flag));
        for (int flag = 7; flag < 12; ++flag) {
            run.session.dialogs.answerInput(QStringLiteral("Петя"));
            run.choose(run.form1, "mnuBegin");
            QVERIFY(run.drop(flag, kHome[flag], flag));
            QCOMPARE(int(run.form1.G2), flag == 7 ? 8 : flag == 11 ? 10 : 0);
        }
        run.catchIt();
        QCOMPARE(int(run.form1.G1), 10);
    }
};

QTEST_MAIN(GamesTest)
#include "tst_games.moc"
