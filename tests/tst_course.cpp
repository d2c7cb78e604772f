#include "commandbutton.h"
#include "form1.h"
#include "form4.h"
#include "image.h"
#include "label.h"
#include "line.h"
#include "menuitem.h"
#include "picturebox.h"
#include "testsession.h"
#include "usermouse.h"

#include <QMainWindow>
#include <QTest>

namespace {

const AskedBox kSuccess = ScriptedDialogs::message(QStringLiteral("Задание выполнено удачно"), 48,
                                                   QStringLiteral("Ура!!!"));
const AskedBox kFailure = ScriptedDialogs::message(
    QStringLiteral("Ошибка!!!\r\n\r\nПопробуйте еще раз"), 16, QStringLiteral("Увы!!!"));
const AskedBox kNamePrompt = ScriptedDialogs::input(QStringLiteral("Введите Ваше имя, пожалуйста"),
                                                    QStringLiteral("Пользователь"));
const QList<AskedBox> kNoBox;

// The course as a user meets it: a running program and a mouse on its course window.
class Course
{
public:
    Course()
    {
        session.dialogs.onAsk([this](const AskedBox &) { shownDuringPrompt = form().isShown(); });
        session.start(QStringLiteral("Ученик"));
        session.dialogs.onAsk({});
        startBoxes = session.dialogs.takeAsked();
    }

    Form1 &form() { return session.program().form1(); }
    template <class T = BoxControl> T &control(const char *name, int index = -1)
    {
        return form().control<T>(QString::fromUtf8(name), index);
    }
    CommandButton &btnClick() { return control<CommandButton>("btnClick"); }
    Label &lblDblClick() { return control<Label>("lblDblClick"); }
    Label &lblBox() { return control<Label>("lblBox"); }
    PictureBox &picMouse() { return control<PictureBox>("picMouse"); }
    MenuItem &menu(const char *name) { return control<MenuItem>(name); }
    void choose(const char *name) { UserMouse::choose(menu(name)); }
    QString task() { return control<Label>("lblTask").caption(); }
    QList<AskedBox> boxes() { return session.dialogs.takeAsked(); }
    QList<int> scores() { return {form().L, form().R, form().Dbl, form().M}; }

    // A point of the client area where no control takes the mouse.
    QPoint background()
    {
        const QWidget *surface = form().surface();
        for (int y = surface->height() - 5; y > 0; y -= 10)
            for (int x = 5; x < surface->width(); x += 10)
                if (!surface->childAt(x, y))
                    return {x, y};
        qFatal("no free place on the window");
    }
    void next() { UserMouse::click(form(), UserMouse::centreOf(control("btnNext"))); }

    // "window left", "btnClick right", "lblTask double", "line left"...
    void act(const QString &action)
    {
        const QStringList words = action.split(QLatin1Char(' '));
        const QString &how = words[1];
        QPoint point = words[0] == QLatin1String("window") ? background()
                       : words[0] == QLatin1String("line")
                           ? QPoint(488, 232) // where the left page's line starts
                           : UserMouse::centreOf(form().control<BoxControl>(words[0]));
        if (how == QLatin1String("double"))
            UserMouse::doubleClick(form(), point);
        else
            UserMouse::click(form(), point,
                             how == QLatin1String("right")    ? Qt::RightButton
                             : how == QLatin1String("middle") ? Qt::MiddleButton
                                                              : Qt::LeftButton);
    }
    void dragMouseIntoBox()
    {
        UserMouse::drag(form(), UserMouse::centreOf(picMouse()), UserMouse::centreOf(lblBox()));
    }

    // Opens a page the way a user gets there, and forgets the boxes on the way.
    void enter(const QString &page)
    {
        choose(page.startsWith(QLatin1Char('L'))   ? "mnuLeft"
               : page.startsWith(QLatin1Char('R')) ? "mnuRight"
                                                   : "mnuDouble");
        if (page.endsWith(QLatin1Char('2')))
            act(page == QLatin1String("L2")   ? QStringLiteral("window left")
                : page == QLatin1String("R2") ? QStringLiteral("window right")
                                              : QStringLiteral("window double"));
        QCOMPARE(form().Tasks, page);
        boxes();
    }

    TestSession session;
    QList<AskedBox> startBoxes;
    bool shownDuringPrompt = true;
};

QPointF placeOf(const BoxControl &control)
{
    return {control.left(), control.top()};
}

} // namespace

class CourseTest : public QObject
{
    Q_OBJECT

private slots:
    // The name prompt comes before the course window. The lesson text: seven pieces, one empty
    // line between neighbours, the spaces at their ends kept; shown again, it is not doubled.
    // Only the lesson page's controls are visible.
    void lessonPage()
    {
        Course course;
        QCOMPARE(course.startBoxes, QList<AskedBox>{kNamePrompt});
        QVERIFY(!course.shownDuringPrompt && course.form().isShown());
        const QString text = course.control<Label>("lblMouseDesc").caption();
        const QStringList pieces = text.split(QStringLiteral("\r\n\r\n"));
        QCOMPARE(pieces.size(), 7);
        QCOMPARE(pieces[0],
                 QStringLiteral("     Мышь - это манипулятор для ввода информации в компьютер."));
        QVERIFY(pieces[1].startsWith(
            QStringLiteral("      Мышь представляет собой небольшую коробочку с двумя или тремя "
                           "клавишами, легко умещающуюся в ладони. ")));
        QVERIFY(pieces[2].startsWith(
            QStringLiteral("     Качество мыши определяется ее разрешающей способностью, которая "
                           "измеряется числом точек на дюйм - dpi (dot per inch). ")));
        QCOMPARE(pieces.mid(3),
                 (QStringList{"    Отличительные черты мыши ",
                              "  * способ считывания информации (механические, оптико-механические "
                              "и оптические); ",
                              "  * количество кнопок (2- и 3-кнопочные мыши);  ",
                              " * способ соединения (проводные или беспроводные мыши)"}));
        QCOMPARE(pieces[1].size(), 413);
        QCOMPARE(pieces[2].size(), 269);
        QVERIFY(!pieces[1].endsWith(QLatin1Char(' ')) && pieces[2].endsWith(QStringLiteral(". ")));

        QStringList visible;
        for (const char *name :
             {"lblMouseHead", "lblMouseDesc", "btnNext", "btnPrev", "btnLast", "btnFirst",
              "btnClick", "lblTask", "lblMouse", "lblDblClick", "lblBox", "picMouse", "ImMouse"})
            if (course.control(name).visible())
                visible << name;
        QCOMPARE(visible, (QStringList{"lblMouseHead", "lblMouseDesc", "btnNext"}));
        for (int i = 0; i < 4; ++i)
            QVERIFY(course.control("Image1", i).visible());
        QVERIFY(!course.control<Line>("LineMouse").visible());
        QCOMPARE(course.control<Label>("lblMouseHead").caption(), QStringLiteral("Мышь"));

        course.next();
        course.choose("mnuMouse");
        QCOMPARE(course.control<Label>("lblMouseDesc").caption(), text);
    }

    // "Начать" in the middle of the course asks the name again, zeroes every score and flag
    // (not the total), enables the four exercises and shows the lesson page.
    void newUserResetsTheCourse()
    {
        Course course;
        Form1 &form = course.form();
        course.next();
        course.act(QStringLiteral("window left"));
        form.R = 7, form.Dbl = 3, form.M = 2, form.G1 = 10, form.G2 = 6;
        form.RDown = -1, form.DblDown = -1, form.Resul = 2.5;
        for (const char *name : {"mnuLeft", "mnuRight", "mnuDouble", "mnuMove"})
            course.menu(name).setEnabled(false);
        course.boxes();

        course.session.dialogs.answerInput(QStringLiteral("Петя"));
        course.choose("mnuBegin");
        QCOMPARE(course.boxes(), QList<AskedBox>{kNamePrompt});
        QCOMPARE(form.Nam, QStringLiteral("Петя"));
        QCOMPARE((QList<int>{form.L, form.LDown, form.R, form.RDown, form.Dbl, form.DblDown, form.M,
                             form.MDown, form.G1, form.G2}),
                 QList<int>(10, 0));
        QCOMPARE(form.Resul, 2.5);
        for (const char *name : {"mnuLeft", "mnuRight", "mnuDouble", "mnuMove"})
            QVERIFY(course.menu(name).enabled());
        QCOMPARE(form.Tasks, QStringLiteral("D"));
        QVERIFY(!course.btnClick().visible());
    }

    // OK ends the program with every window, the games too; Cancel changes nothing. The
    // course window's close box ends it without asking.
    void ending_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("ends");
        // clang-format off
        QTest::newRow("Выход, OK") << "ok" << true;
        QTest::newRow("Выход, Cancel") << "cancel" << false;
        QTest::newRow("close box") << "close box" << true;
        // clang-format on
    }
    void ending()
    {
        QFETCH(QString, how);
        QFETCH(bool, ends);
        Course course;
        course.next();
        course.choose("mnuCatch");
        if (how == QLatin1String("close box")) {
            course.form().window()->close();
            QCOMPARE(course.boxes(), kNoBox);
        } else {
            course.session.dialogs.answerMessage(how == QLatin1String("ok") ? 1 : 2);
            course.choose("mnuExit");
            QCOMPARE(course.boxes(),
                     QList<AskedBox>{ScriptedDialogs::message(
                         QStringLiteral("Вы действительно хотите выйти из программы?"), 49,
                         QStringLiteral("Выход"))});
        }
        QCOMPARE(course.session.endCount, ends ? 1 : 0);
        QCOMPARE(course.session.program().form4().isLoaded(), !ends);
        QCOMPARE(course.form().isLoaded(), !ends);
        if (!ends)
            QCOMPARE(course.form().Tasks, QStringLiteral("L"));
    }

    // The whole course with the mouse, from the lesson page back to it, with every box.
    void wholeCourse()
    {
        Course course;
        Form1 &form = course.form();
        course.next();
        course.act(QStringLiteral("window left"));
        QCOMPARE(course.btnClick().caption(), QStringLiteral("1"));
        for (int press = 2; press <= 10; ++press) {
            course.act(QStringLiteral("btnClick left"));
            QCOMPARE(course.btnClick().caption(), QString::number(press));
        }
        course.act(QStringLiteral("btnClick left"));
        QCOMPARE(form.Tasks, QStringLiteral("R"));
        course.act(QStringLiteral("window right"));
        for (int press = 1; press <= 10; ++press)
            course.act(QStringLiteral("btnClick right"));
        QCOMPARE(form.Tasks, QStringLiteral("Dbl"));
        course.act(QStringLiteral("window double"));
        for (int count = 2; count <= 10; ++count) {
            course.act(QStringLiteral("lblDblClick double"));
            QCOMPARE(course.lblDblClick().caption(), QString::number(count));
        }
        course.act(QStringLiteral("lblDblClick double"));
        QCOMPARE(form.Tasks, QStringLiteral("Mov"));
        for (int drop = 1; drop <= 10; ++drop) {
            course.dragMouseIntoBox();
            if (drop % 2 == 1 && drop < 10) // a fresh layout every other time
                course.act(QStringLiteral("window left"));
        }
        QCOMPARE(form.Tasks, QStringLiteral("D"));
        QCOMPARE(course.boxes(), QList<AskedBox>(7, kSuccess));
        QCOMPARE(course.scores(), (QList<int>{10, 10, 10, 10}));
        for (const char *name : {"mnuLeft", "mnuRight", "mnuDouble", "mnuMove"})
            QVERIFY(!course.menu(name).enabled());
    }

    // Wrong buttons give the failure box and change nothing; presses on labels and pictures
    // are theirs, a line is the window's; single clicks do nothing in the double-click tasks.
    // Once the score shows 10, any press ends a running-button task (the score is tested first).
    void presses_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("score"); // set before the press, or -1
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("box"); // "", "failure", "success"
        QTest::addColumn<QString>("pageAfter");
        // clang-format off
        QTest::newRow("L: right on the window") << "L" << -1 << "window right" << "failure" << "L";
        QTest::newRow("L: middle on the window") << "L" << -1 << "window middle" << "failure" << "L";
        QTest::newRow("L: left on the task text") << "L" << -1 << "lblTask left" << "" << "L";
        QTest::newRow("L: left on the picture") << "L" << -1 << "ImMouse left" << "" << "L";
        QTest::newRow("L: the line is the window's") << "L" << -1 << "line left" << "success" << "L2";
        QTest::newRow("L2: right on the button") << "L2" << -1 << "btnClick right" << "failure" << "L2";
        QTest::newRow("L2: left on the window") << "L2" << -1 << "window left" << "" << "L2";
        QTest::newRow("L2 at 10: right on the button") << "L2" << 10 << "btnClick right" << "success" << "R";
        QTest::newRow("R: left on the window") << "R" << -1 << "window left" << "failure" << "R";
        QTest::newRow("R2: middle on the button") << "R2" << -1 << "btnClick middle" << "failure" << "R2";
        QTest::newRow("R2 at 10: left on the button") << "R2" << 10 << "btnClick left" << "success" << "Dbl";
        QTest::newRow("Dbl: one click on the window") << "Dbl" << -1 << "window left" << "" << "Dbl";
        QTest::newRow("Dbl: double click on the text") << "Dbl" << -1 << "lblTask double" << "" << "Dbl";
        QTest::newRow("Dbl2: double click on the window") << "Dbl2" << -1 << "window double" << "" << "Dbl2";
        QTest::newRow("Dbl2: one click on the label") << "Dbl2" << -1 << "lblDblClick left" << "" << "Dbl2";
        // clang-format on
    }
    void presses()
    {
        QFETCH(QString, page);
        QFETCH(int, score);
        QFETCH(QString, action);
        QFETCH(QString, box);
        QFETCH(QString, pageAfter);
        Course course;
        course.enter(page);
        if (score >= 0)
            (page == QLatin1String("L2") ? course.form().L : course.form().R) = score;
        const QList<int> scores = course.scores();
        const QPointF places[2] = {placeOf(course.btnClick()), placeOf(course.lblDblClick())};
        course.act(action);
        QCOMPARE(course.form().Tasks, pageAfter);
        QCOMPARE(course.boxes(), box.isEmpty()                     ? kNoBox
                                 : box == QLatin1String("failure") ? QList<AskedBox>{kFailure}
                                                                   : QList<AskedBox>{kSuccess});
        if (score >= 0) {
            QVERIFY(!course.btnClick().visible());
            QVERIFY(!course.menu(page == QLatin1String("L2") ? "mnuLeft" : "mnuRight").enabled());
        }
        if (pageAfter != page && score < 0)
            return;
        QCOMPARE(course.scores(), scores);
        QCOMPARE(placeOf(course.btnClick()), places[0]);
        QCOMPARE(placeOf(course.lblDblClick()), places[1]);
    }

    // Task 1 counts once per course: a repeat from the menu shows the success box and task 2
    // again, without raising the score.
    void taskOneScoresOncePerCourse_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("action");
        // clang-format off
        QTest::newRow("left") << "L" << "window left";
        QTest::newRow("right") << "R" << "window right";
        QTest::newRow("double click") << "Dbl" << "window double";
        // clang-format on
    }
    void taskOneScoresOncePerCourse()
    {
        QFETCH(QString, page);
        QFETCH(QString, action);
        Course course;
        for (int visit = 1; visit <= 2; ++visit) {
            course.enter(page);
            course.act(action);
            QCOMPARE(course.boxes(), QList<AskedBox>{kSuccess});
            QCOMPARE(course.form().Tasks, page + QLatin1Char('2'));
            QCOMPARE(course.scores().mid(0, 3).count(1), 1);
            QCOMPARE(page == QLatin1String("Dbl") ? course.lblDblClick().caption()
                                                  : course.btnClick().caption(),
                     QStringLiteral("1"));
        }
    }

    // A finished exercise's task 1 page ignores presses: after the right exercise is done,
    // finishing the left one leads to a right page that does nothing; so does ">" later.
    void finishedExercisesIgnorePresses()
    {
        Course course;
        course.enter(QStringLiteral("R2"));
        for (int press = 0; press < 10; ++press)
            course.act(QStringLiteral("btnClick right"));
        course.enter(QStringLiteral("L2"));
        for (int press = 0; press < 10; ++press)
            course.act(QStringLiteral("btnClick left"));
        QCOMPARE(course.form().Tasks, QStringLiteral("R"));
        course.boxes();
        course.act(QStringLiteral("window right"));
        course.choose("mnuMouse");
        course.next();
        QCOMPARE(course.form().Tasks, QStringLiteral("L"));
        course.act(QStringLiteral("window left"));
        QCOMPARE(course.boxes(), kNoBox);
        QCOMPARE(course.scores(), (QList<int>{10, 10, 0, 0}));
    }

    // The running targets jump by r x 500 - 1000 after a re-seed from the clock, and wrap to
    // the middle of the window's outer size (12000 x 9000 twips) only when strictly past the
    // edge.
    void runningTargetsWrapStrictly_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<float>("start");
        QTest::addColumn<float>("draw");
        QTest::addColumn<float>("expected");
        for (const char *target : {"btnClick", "lblDblClick"}) {
            for (bool horizontal : {true, false}) {
                const QString name =
                    QStringLiteral("%1 %2: ").arg(target, horizontal ? "left" : "top");
                // clang-format off
                QTest::newRow(qPrintable(name + "lands on 0 and stays")) << target << horizontal << 1000.0f << 0.0f << 0.0f;
                QTest::newRow(qPrintable(name + "one twip past the edge wraps")) << target << horizontal << 999.0f << 0.0f << (horizontal ? 6000.0f : 4500.0f);
                QTest::newRow(qPrintable(name + "jumps by r x 500 - 1000")) << target << horizontal << 3000.0f << 0.75f << 2375.0f;
                // clang-format on
            }
        }
    }
    void runningTargetsWrapStrictly()
    {
        QFETCH(QString, target);
        QFETCH(bool, horizontal);
        QFETCH(float, start);
        QFETCH(float, draw);
        QFETCH(float, expected);
        Course course;
        UserMouse::resize(course.form(), {800, 600});
        const bool button = target == QLatin1String("btnClick");
        course.enter(button ? QStringLiteral("L2") : QStringLiteral("Dbl2"));
        Form1 &form = course.form();
        BoxControl &control = form.control<BoxControl>(target);
        control.move(horizontal ? start : 3000, horizontal ? 3000 : start);
        course.session.clock.set(40000.25f);
        course.session.random.queue(horizontal ? std::initializer_list<float>{draw, 0.5f}
                                               : std::initializer_list<float>{0.5f, draw});
        course.act(target + (button ? QStringLiteral(" left") : QStringLiteral(" double")));

        QCOMPARE(course.session.random.seeds().last(), 40000.25f);
        QCOMPARE(horizontal ? control.left() : control.top(), expected);
        QCOMPARE(horizontal ? control.top() : control.left(), 2250.0f);
    }

    // The running targets keep their places across pages and from one exercise to the next.
    void runningTargetsKeepTheirPlaces()
    {
        Course course;
        course.enter(QStringLiteral("L2"));
        course.act(QStringLiteral("btnClick left"));
        const QPointF place = placeOf(course.btnClick());
        QVERIFY(place != QPointF(1320, 3120));
        course.choose("mnuMouse");
        course.enter(QStringLiteral("R2"));
        QCOMPARE(placeOf(course.btnClick()), place);

        course.enter(QStringLiteral("Dbl2"));
        course.act(QStringLiteral("lblDblClick double"));
        const QPointF labelPlace = placeOf(course.lblDblClick());
        course.enter(QStringLiteral("Dbl2"));
        QCOMPARE(placeOf(course.lblDblClick()), labelPlace);
    }

    // The drag layout after a re-seed with 1, in a window of 12000 x 9000 twips outside: the
    // box keeps its own size from the top-left edges, the offsets are cut down to whole twips,
    // and the picture goes right of and below the box, or before it where they would overlap.
    void dragLayout_data()
    {
        QTest::addColumn<QList<float>>("draws");
        QTest::addColumn<QPointF>("box");
        QTest::addColumn<QPointF>("picture");
        // clang-format off
        QTest::newRow("all draws 0: the picture touches the box") << QList<float>{0, 0, 0, 0} << QPointF(2172, 1572) << QPointF(4344, 3144);
        QTest::newRow("fractions cut down") << QList<float>{0.1f, 0.1f, 0.1f, 0.1f} << QPointF(2858, 2090) << QPointF(5509, 4038);
        QTest::newRow("box near the right edge: -686.5 is -687") << QList<float>{0.999f, 0.5f, 0.5f, 0.5f} << QPointF(9029, 4164) << QPointF(7850, 6582);
        QTest::newRow("box near the right edge, r3 = 0") << QList<float>{0.999f, 0.5f, 0, 0.5f} << QPointF(9029, 4164) << QPointF(11201, 6582);
        QTest::newRow("box near the bottom: -223.5 is -224") << QList<float>{0.5f, 0.999f, 0.5f, 0.25f} << QPointF(5604, 6750) << QPointF(8802, 6154);
        QTest::newRow("box near the bottom, r4 = 0") << QList<float>{0.5f, 0.999f, 0.5f, 0} << QPointF(5604, 6750) << QPointF(8802, 8322);
        // clang-format on
    }
    void dragLayout()
    {
        QFETCH(QList<float>, draws);
        QFETCH(QPointF, box);
        QFETCH(QPointF, picture);
        Course course;
        UserMouse::resize(course.form(), {800, 600});
        course.session.random.queue({draws[0], draws[1], draws[2], draws[3]});
        course.choose("mnuMove");
        QCOMPARE(course.session.random.seeds(), QList<float>{1});
        QCOMPARE(placeOf(course.lblBox()), box);
        QCOMPARE(placeOf(course.picMouse()), picture);
        QCOMPARE(course.task(), QStringLiteral("Задание\r\n\r\nПеретащите мышь в коробку"));
    }

    // The drag page: a drop of another control or a release elsewhere does nothing; a drop
    // puts the picture where the pointer was released (at the box's corner exactly); only a
    // click on the window after a drop lays the page out again.
    void dragPage()
    {
        Course course;
        course.session.random.queue({0, 0, 0, 0});
        course.choose("mnuMove");
        const QList<float> &seeds = course.session.random.seeds();
        const QPointF start = placeOf(course.picMouse());
        course.lblBox().dropReceived(course.control("lblMouseHead"), QPointF(3, 4));
        UserMouse::drag(course.form(), UserMouse::centreOf(course.picMouse()),
                        UserMouse::centreOf(course.control("lblMouseHead")));
        UserMouse::drag(course.form(), UserMouse::centreOf(course.picMouse()), course.background());
        course.act(QStringLiteral("window left"));
        QCOMPARE(placeOf(course.picMouse()), start);
        QCOMPARE(seeds.size(), 1);

        const QPoint corner = course.lblBox().widget()->pos();
        UserMouse::drag(course.form(), UserMouse::centreOf(course.picMouse()), corner);
        QCOMPARE(placeOf(course.picMouse()), placeOf(course.lblBox()));
        UserMouse::drag(course.form(), UserMouse::centreOf(course.picMouse()),
                        corner + QPoint(10, 20));
        QCOMPARE(placeOf(course.picMouse()), placeOf(course.lblBox()) + QPointF(150, 300));
        QCOMPARE(course.task(), QStringLiteral("Для продолжения щелкните по  форме"));
        course.act(QStringLiteral("lblTask left"));
        course.act(QStringLiteral("lblBox left"));
        QCOMPARE(seeds.size(), 1);
        course.act(QStringLiteral("window left"));
        course.act(QStringLiteral("window left"));
        QCOMPARE(seeds.size(), 2);
        QCOMPARE(course.task(), QStringLiteral("Задание\r\n\r\nПеретащите мышь в коробку"));

        // A page change ends the wait for the click.
        course.dragMouseIntoBox();
        course.choose("mnuMouse");
        course.act(QStringLiteral("window left"));
        QCOMPARE(course.form().Tasks, QStringLiteral("D"));
        QCOMPARE(seeds.size(), 2);
        QCOMPARE(int(course.form().M), 3);
        QCOMPARE(course.boxes(), kNoBox);
    }

    // After the drag task was finished, the page shown again by the double-click task counts
    // the very next drop (M reaches 11).
    void dragScore()
    {
        Course course;
        course.enter(QStringLiteral("Dbl2"));
        course.form().M = 10;
        for (int count = 0; count < 10; ++count)
            course.act(QStringLiteral("lblDblClick double"));
        QCOMPARE(course.form().Tasks, QStringLiteral("Mov"));
        course.dragMouseIntoBox();
        QCOMPARE(int(course.form().M), 11);
        QCOMPARE(course.boxes(), (QList<AskedBox>{kSuccess, kSuccess}));
        QCOMPARE(course.form().Tasks, QStringLiteral("D"));
    }
};

QTEST_MAIN(CourseTest)
#include "tst_course.moc"
