#include "commandbutton.h"
#include "form1.h"
#include "form4.h"
#include "image.h"
#include "label.h"
#include "line.h"
#include "menuitem.h"
#include "picturebox.h"
#include "testsession.h"
#include "twips.h"
#include "usermouse.h"

#include <QMainWindow>
#include <QTest>

namespace {

const QString kSuccessText = QStringLiteral("Задание выполнено удачно");
const AskedBox kSuccess = ScriptedDialogs::message(kSuccessText, 48, QStringLiteral("Ура!!!"));
const AskedBox kFailure = ScriptedDialogs::message(
    QStringLiteral("Ошибка!!!\r\n\r\nПопробуйте еще раз"), 16, QStringLiteral("Увы!!!"));
const AskedBox kNamePrompt = ScriptedDialogs::input(QStringLiteral("Введите Ваше имя, пожалуйста"),
                                                    QStringLiteral("Пользователь"));

// The course as a user meets it: a running program and a mouse on its course window.
class Course
{
public:
    explicit Course(const QString &name = QStringLiteral("Ученик"))
    {
        session.start(name);
        startBoxes = session.dialogs.takeAsked();
    }

    Form1 &form() { return session.program().form1(); }
    template <class T> T &control(const char *name, int index = -1)
    {
        return form().control<T>(QString::fromUtf8(name), index);
    }
    CommandButton &btnClick() { return control<CommandButton>("btnClick"); }
    Label &lblDblClick() { return control<Label>("lblDblClick"); }
    Label &lblBox() { return control<Label>("lblBox"); }
    Label &lblTask() { return control<Label>("lblTask"); }
    PictureBox &picMouse() { return control<PictureBox>("picMouse"); }
    MenuItem &menu(const char *name) { return control<MenuItem>(name); }
    void choose(const char *name) { UserMouse::choose(menu(name)); }

    // A point of the client area where no control takes the mouse.
    QPoint background()
    {
        const QWidget *surface = form().surface();
        for (int y = surface->height() - 5; y > 0; y -= 10) {
            for (int x = 5; x < surface->width(); x += 10) {
                if (!surface->childAt(x, y))
                    return {x, y};
            }
        }
        qFatal("no free place on the window");
    }

    void pressWindow(Qt::MouseButton button = Qt::LeftButton)
    {
        UserMouse::click(form(), background(), button);
    }
    void doubleClickWindow() { UserMouse::doubleClick(form(), background()); }
    void pressRunningButton(Qt::MouseButton button = Qt::LeftButton)
    {
        UserMouse::click(form(), UserMouse::centreOf(btnClick()), button);
    }
    void doubleClickRunningLabel()
    {
        UserMouse::doubleClick(form(), UserMouse::centreOf(lblDblClick()));
    }
    void dragMouseIntoBox()
    {
        UserMouse::drag(form(), UserMouse::centreOf(picMouse()), UserMouse::centreOf(lblBox()));
    }
    void next()
    {
        UserMouse::click(form(), UserMouse::centreOf(control<CommandButton>("btnNext")));
    }

    QList<AskedBox> boxes() { return session.dialogs.takeAsked(); }

    TestSession session;
    QList<AskedBox> startBoxes;
};

} // namespace

class CourseTest : public QObject
{
    Q_OBJECT

private slots:
    void namePromptComesBeforeTheWindow();
    void lessonPage();
    void lessonTextIsNotDoubledWhenShownAgain();
    void newUserResetsTheCourse();
    void exitConfirmation_data();
    void exitConfirmation();
    void closeBoxEndsTheProgram();

    void wholeCourse();
    void wrongButtons_data();
    void wrongButtons();
    void atTenAnyButtonFinishes_data();
    void atTenAnyButtonFinishes();
    void taskOneScoresOncePerCourse_data();
    void taskOneScoresOncePerCourse();
    void finishedExercisesIgnorePresses();
    void runningTargetsWrapStrictly_data();
    void runningTargetsWrapStrictly();
    void runningTargetsKeepTheirPlaces();
    void dragLayout_data();
    void dragLayout();
    void dropPlacesThePictureAtThePointer();
    void dropOfAnotherControlIsIgnored();
    void clickOnTheWindowLaysOutAgainOnlyAfterADrop();
    void dragScoreSurvivesLeavingThePage();
    void dragPageCountsAgainAfterItWasFinished();
};

void CourseTest::namePromptComesBeforeTheWindow()
{
    TestSession session;
    bool shownDuringPrompt = true;
    session.dialogs.onAsk(
        [&](const AskedBox &) { shownDuringPrompt = session.program().form1().isShown(); });
    session.start(QString()); // cancelled
    QCOMPARE(session.dialogs.asked(), QList<AskedBox>{kNamePrompt});
    QVERIFY(!shownDuringPrompt);
    Form1 &form = session.program().form1();
    QVERIFY(form.isShown());
    QCOMPARE(form.Nam, QString());
    QCOMPARE(form.Tasks, QStringLiteral("D"));
    QCOMPARE(form.caption(), QStringLiteral("Mouse"));
}

void CourseTest::lessonPage()
{
    Course course;
    const QString pieces[7] = {
        QStringLiteral("     Мышь - это манипулятор для ввода информации в компьютер."),
        {},
        {},
        QStringLiteral("    Отличительные черты мыши "),
        QStringLiteral("  * способ считывания информации (механические, оптико-механические и "
                       "оптические); "),
        QStringLiteral("  * количество кнопок (2- и 3-кнопочные мыши);  "),
        QStringLiteral(" * способ соединения (проводные или беспроводные мыши)"),
    };
    const QStringList shown =
        course.control<Label>("lblMouseDesc").caption().split(QStringLiteral("\r\n\r\n"));
    QCOMPARE(shown.size(), 7);
    for (int i : {0, 3, 4, 5, 6})
        QCOMPARE(shown[i], pieces[i]);
    QVERIFY(shown[1].startsWith(QStringLiteral(
        "      Мышь представляет собой небольшую коробочку с двумя или тремя клавишами, легко "
        "умещающуюся в ладони.")));
    QCOMPARE(shown[1].size(), 413);
    QVERIFY(!shown[1].endsWith(QLatin1Char(' ')));
    QVERIFY(shown[2].startsWith(QStringLiteral(
        "     Качество мыши определяется ее разрешающей способностью, которая измеряется числом "
        "точек на дюйм - dpi (dot per inch).")));
    QVERIFY(shown[2].contains(QStringLiteral("400-800 dpi")));
    QCOMPARE(shown[2].size(), 269);
    QVERIFY(shown[2].endsWith(QStringLiteral(". ")));
    for (const QString &piece : shown)
        QVERIFY(!piece.contains(QLatin1Char('\r')) && !piece.contains(QLatin1Char('\n')));

    QCOMPARE(course.control<Label>("lblMouseHead").caption(), QStringLiteral("Мышь"));
    for (const char *name : {"lblMouseHead", "lblMouseDesc"})
        QVERIFY(course.control<Label>(name).visible());
    for (int i = 0; i < 4; ++i)
        QVERIFY(course.control<Image>("Image1", i).visible());
    QVERIFY(course.control<CommandButton>("btnNext").visible());
    for (const char *name : {"btnPrev", "btnLast", "btnFirst", "btnClick"})
        QVERIFY(!course.control<CommandButton>(name).visible());
    for (const char *name : {"lblTask", "lblMouse", "lblDblClick", "lblBox"})
        QVERIFY(!course.control<Label>(name).visible());
    QVERIFY(!course.picMouse().visible());
    QVERIFY(!course.control<Line>("LineMouse").visible());
    QVERIFY(!course.control<Image>("ImMouse").visible());
}

void CourseTest::lessonTextIsNotDoubledWhenShownAgain()
{
    Course course;
    const QString text = course.control<Label>("lblMouseDesc").caption();
    course.next();
    QVERIFY(!course.control<Label>("lblMouseDesc").visible());
    course.choose("mnuMouse");
    QCOMPARE(course.form().Tasks, QStringLiteral("D"));
    QCOMPARE(course.control<Label>("lblMouseDesc").caption(), text);
}

void CourseTest::newUserResetsTheCourse()
{
    Course course;
    Form1 &form = course.form();
    course.next();
    course.pressWindow(); // left task 1 scored
    form.R = 7;
    form.Dbl = 3;
    form.M = 2;
    form.G1 = 10;
    form.G2 = 6;
    form.RDown = -1;
    form.DblDown = -1;
    form.Resul = 2.5;
    for (const char *name : {"mnuLeft", "mnuRight", "mnuDouble", "mnuMove"})
        course.menu(name).setEnabled(false);
    course.boxes();

    course.session.dialogs.answerInput(QStringLiteral("Петя"));
    course.choose("mnuBegin");
    QCOMPARE(course.boxes(), QList<AskedBox>{kNamePrompt});
    QCOMPARE(form.Nam, QStringLiteral("Петя"));
    for (int value : {int(form.L), int(form.LDown), int(form.R), int(form.RDown), int(form.Dbl),
                      int(form.DblDown), int(form.M), int(form.MDown), int(form.G1), int(form.G2)})
        QCOMPARE(value, 0);
    QCOMPARE(form.Resul, 2.5);
    for (const char *name : {"mnuLeft", "mnuRight", "mnuDouble", "mnuMove"})
        QVERIFY(course.menu(name).enabled());
    QCOMPARE(form.Tasks, QStringLiteral("D"));
    QVERIFY(!course.btnClick().visible());
}

void CourseTest::exitConfirmation_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ends");
    QTest::newRow("OK") << 1 << true;
    QTest::newRow("Cancel") << 2 << false;
}

void CourseTest::exitConfirmation()
{
    QFETCH(int, answer);
    QFETCH(bool, ends);
    Course course;
    course.next();
    course.choose("mnuCatch");
    QVERIFY(course.session.program().form4().isShown());
    course.session.dialogs.answerMessage(answer);
    course.choose("mnuExit");
    QCOMPARE(course.boxes(), QList<AskedBox>{ScriptedDialogs::message(
                                 QStringLiteral("Вы действительно хотите выйти из программы?"), 49,
                                 QStringLiteral("Выход"))});
    QCOMPARE(course.session.endCount, ends ? 1 : 0);
    QCOMPARE(course.session.program().form4().isLoaded(), !ends);
    if (ends) {
        QVERIFY(!course.form().isLoaded());
        return;
    }
    QCOMPARE(course.form().Tasks, QStringLiteral("L"));
    QVERIFY(course.form().isShown());
}

void CourseTest::closeBoxEndsTheProgram()
{
    Course course;
    course.choose("mnuCatch");
    course.form().window()->close();
    QCOMPARE(course.session.endCount, 1);
    QVERIFY(!course.session.program().form4().isLoaded());
    QVERIFY(course.boxes().isEmpty());
}

// The whole course with the mouse, from the name prompt to the lesson page again.
void CourseTest::wholeCourse()
{
    Course course;
    Form1 &form = course.form();
    QList<AskedBox> expected{kNamePrompt};
    QCOMPARE(course.startBoxes, expected);

    course.next();
    QCOMPARE(form.Tasks, QStringLiteral("L"));
    course.pressWindow();
    expected << kSuccess;
    QCOMPARE(course.btnClick().caption(), QStringLiteral("1"));
    for (int press = 2; press <= 10; ++press) {
        course.pressRunningButton();
        QCOMPARE(course.btnClick().caption(), QString::number(press));
    }
    course.pressRunningButton();
    expected << kSuccess;
    QCOMPARE(form.Tasks, QStringLiteral("R"));
    QVERIFY(!course.btnClick().visible());

    course.pressWindow(Qt::RightButton);
    expected << kSuccess;
    QCOMPARE(course.btnClick().caption(), QStringLiteral("1"));
    for (int press = 2; press <= 10; ++press)
        course.pressRunningButton(Qt::RightButton);
    QCOMPARE(course.btnClick().caption(), QStringLiteral("10"));
    course.pressRunningButton(Qt::RightButton);
    expected << kSuccess;
    QCOMPARE(form.Tasks, QStringLiteral("Dbl"));

    course.doubleClickWindow();
    expected << kSuccess;
    QCOMPARE(course.lblDblClick().caption(), QStringLiteral("1"));
    for (int count = 2; count <= 10; ++count) {
        course.doubleClickRunningLabel();
        QCOMPARE(course.lblDblClick().caption(), QString::number(count));
    }
    course.doubleClickRunningLabel();
    expected << kSuccess;
    QCOMPARE(form.Tasks, QStringLiteral("Mov"));

    for (int drop = 1; drop <= 10; ++drop) {
        course.dragMouseIntoBox();
        if (drop % 2 == 1 && drop < 10) // a fresh layout every other time
            course.pressWindow();
    }
    expected << kSuccess;
    QCOMPARE(form.Tasks, QStringLiteral("D"));
    QVERIFY(course.control<Label>("lblMouseDesc").visible());

    QCOMPARE(course.boxes(), expected.mid(1));
    QCOMPARE(int(form.L), 10);
    QCOMPARE(int(form.R), 10);
    QCOMPARE(int(form.Dbl), 10);
    QCOMPARE(int(form.M), 10);
    for (const char *name : {"mnuLeft", "mnuRight", "mnuDouble", "mnuMove"})
        QVERIFY(!course.menu(name).enabled());
    QVERIFY(course.menu("mnuMouse").enabled());
}

namespace {

// Opens a page the way a user gets there and forgets the boxes on the way.
void enterPage(Course &course, const QString &page)
{
    if (page.startsWith(QLatin1String("L")))
        course.choose("mnuLeft");
    else if (page.startsWith(QLatin1String("R")))
        course.choose("mnuRight");
    else if (page.startsWith(QLatin1String("Dbl")))
        course.choose("mnuDouble");
    if (page == QLatin1String("L2"))
        course.pressWindow(Qt::LeftButton);
    else if (page == QLatin1String("R2"))
        course.pressWindow(Qt::RightButton);
    else if (page == QLatin1String("Dbl2"))
        course.doubleClickWindow();
    QCOMPARE(course.form().Tasks, page);
    course.boxes();
}

void act(Course &course, const QString &action)
{
    Form1 &form = course.form();
    const QStringList words = action.split(QLatin1Char(' '));
    const QString &what = words[0];
    const QString &how = words[1];
    const Qt::MouseButton button = how == QLatin1String("right")    ? Qt::RightButton
                                   : how == QLatin1String("middle") ? Qt::MiddleButton
                                                                    : Qt::LeftButton;
    QPoint point;
    if (what == QLatin1String("window"))
        point = course.background();
    else if (what == QLatin1String("line"))
        point = QPoint(488, 232); // where LineMouse starts on the left-button page
    else
        point = UserMouse::centreOf(form.control<BoxControl>(what));
    if (how == QLatin1String("double"))
        UserMouse::doubleClick(form, point);
    else
        UserMouse::click(form, point, button);
}

} // namespace

void CourseTest::wrongButtons_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QString>("pageAfter");

    QTest::newRow("L: right on the window") << "L"
                                            << "window right" << true << "L";
    QTest::newRow("L: middle on the window") << "L"
                                             << "window middle" << true << "L";
    QTest::newRow("L: left on the task text") << "L"
                                              << "lblTask left" << false << "L";
    QTest::newRow("L: left on the picture") << "L"
                                            << "ImMouse left" << false << "L";
    QTest::newRow("L: right on the label") << "L"
                                           << "lblMouse right" << false << "L";
    QTest::newRow("L: the line is the window's") << "L"
                                                 << "line left" << false << "L2";
    QTest::newRow("L2: right on the button") << "L2"
                                             << "btnClick right" << true << "L2";
    QTest::newRow("L2: middle on the button") << "L2"
                                              << "btnClick middle" << true << "L2";
    QTest::newRow("L2: left on the window") << "L2"
                                            << "window left" << false << "L2";
    QTest::newRow("R: left on the window") << "R"
                                           << "window left" << true << "R";
    QTest::newRow("R2: left on the button") << "R2"
                                            << "btnClick left" << true << "R2";
    QTest::newRow("R2: right on the window") << "R2"
                                             << "window right" << false << "R2";
    QTest::newRow("Dbl: one click on the window") << "Dbl"
                                                  << "window left" << false << "Dbl";
    QTest::newRow("Dbl: double click on the text") << "Dbl"
                                                   << "lblTask double" << false << "Dbl";
    QTest::newRow("Dbl2: double click on the window") << "Dbl2"
                                                      << "window double" << false << "Dbl2";
    QTest::newRow("Dbl2: one click on the label") << "Dbl2"
                                                  << "lblDblClick left" << false << "Dbl2";
}

void CourseTest::wrongButtons()
{
    QFETCH(QString, page);
    QFETCH(QString, action);
    QFETCH(bool, fails);
    QFETCH(QString, pageAfter);
    Course course;
    enterPage(course, page);
    Form1 &form = course.form();
    const int scores[3] = {form.L, form.R, form.Dbl};
    const float buttonPlace[2] = {course.btnClick().left(), course.btnClick().top()};
    const float labelPlace[2] = {course.lblDblClick().left(), course.lblDblClick().top()};

    act(course, action);

    const QList<AskedBox> boxes = course.boxes();
    if (fails)
        QCOMPARE(boxes, QList<AskedBox>{kFailure});
    else if (pageAfter == page)
        QCOMPARE(boxes, QList<AskedBox>{});
    QCOMPARE(form.Tasks, pageAfter);
    if (pageAfter != page)
        return;
    QCOMPARE(int(form.L), scores[0]);
    QCOMPARE(int(form.R), scores[1]);
    QCOMPARE(int(form.Dbl), scores[2]);
    QCOMPARE(course.btnClick().left(), buttonPlace[0]);
    QCOMPARE(course.btnClick().top(), buttonPlace[1]);
    QCOMPARE(course.lblDblClick().left(), labelPlace[0]);
    QCOMPARE(course.lblDblClick().top(), labelPlace[1]);
}

void CourseTest::atTenAnyButtonFinishes_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("next");
    QTest::newRow("left exercise, right button") << "L2" << int(Qt::RightButton) << "R";
    QTest::newRow("left exercise, middle button") << "L2" << int(Qt::MiddleButton) << "R";
    QTest::newRow("right exercise, left button") << "R2" << int(Qt::LeftButton) << "Dbl";
}

// The score is tested before the button, so once it shows 10 any press ends the task.
void CourseTest::atTenAnyButtonFinishes()
{
    QFETCH(QString, page);
    QFETCH(int, button);
    QFETCH(QString, next);
    Course course;
    enterPage(course, page);
    Form1 &form = course.form();
    (page == QLatin1String("L2") ? form.L : form.R) = 10;
    course.pressRunningButton(Qt::MouseButton(button));
    QCOMPARE(course.boxes(), QList<AskedBox>{kSuccess});
    QCOMPARE(form.Tasks, next);
    QVERIFY(!course.btnClick().visible());
    QVERIFY(!course.menu(page == QLatin1String("L2") ? "mnuLeft" : "mnuRight").enabled());
    QCOMPARE(int(page == QLatin1String("L2") ? form.L : form.R), 10);
}

void CourseTest::taskOneScoresOncePerCourse_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("action");
    QTest::newRow("left") << "L"
                          << "window left";
    QTest::newRow("right") << "R"
                           << "window right";
    QTest::newRow("double click") << "Dbl"
                                  << "window double";
}

void CourseTest::taskOneScoresOncePerCourse()
{
    QFETCH(QString, page);
    QFETCH(QString, action);
    Course course;
    Form1 &form = course.form();
    auto score = [&] {
        return page == QLatin1String("L")   ? int(form.L)
               : page == QLatin1String("R") ? int(form.R)
                                            : int(form.Dbl);
    };
    auto shown = [&] {
        return page == QLatin1String("Dbl") ? course.lblDblClick().caption()
                                            : course.btnClick().caption();
    };
    for (int visit = 1; visit <= 2; ++visit) {
        enterPage(course, page);
        act(course, action);
        QCOMPARE(course.boxes(), QList<AskedBox>{kSuccess});
        QCOMPARE(form.Tasks, page + QLatin1Char('2'));
        QCOMPARE(score(), 1);
        QCOMPARE(shown(), QStringLiteral("1"));
    }
}

void CourseTest::finishedExercisesIgnorePresses()
{
    Course course;
    Form1 &form = course.form();
    // The right exercise first, from the menu: it ends on the double-click page.
    enterPage(course, QStringLiteral("R2"));
    for (int press = 0; press < 10; ++press)
        course.pressRunningButton(Qt::RightButton);
    QCOMPARE(form.Tasks, QStringLiteral("Dbl"));
    QVERIFY(!course.menu("mnuRight").enabled());

    // The left exercise then leads to the right one, which no longer takes presses.
    enterPage(course, QStringLiteral("L2"));
    for (int press = 0; press < 10; ++press)
        course.pressRunningButton();
    QCOMPARE(form.Tasks, QStringLiteral("R"));
    course.boxes();
    course.pressWindow(Qt::RightButton);
    course.pressWindow(Qt::LeftButton);
    QCOMPARE(course.boxes(), QList<AskedBox>{});
    QCOMPARE(form.Tasks, QStringLiteral("R"));

    // ">" still leads to left task 1, where presses do nothing now.
    course.choose("mnuMouse");
    course.next();
    QCOMPARE(form.Tasks, QStringLiteral("L"));
    course.pressWindow();
    QCOMPARE(course.boxes(), QList<AskedBox>{});
    QCOMPARE(int(form.L), 10);
}

void CourseTest::runningTargetsWrapStrictly_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<float>("start");
    QTest::addColumn<float>("draw");
    QTest::addColumn<float>("expected"); // negative: the middle of the window

    for (const char *target : {"btnClick", "lblDblClick"}) {
        for (bool horizontal : {true, false}) {
            const QString name = QStringLiteral("%1 %2: ").arg(target, horizontal ? "left" : "top");
            QTest::newRow(qPrintable(name + "lands on 0 and stays"))
                << target << horizontal << 1000.0f << 0.0f << 0.0f;
            QTest::newRow(qPrintable(name + "one twip past the edge wraps"))
                << target << horizontal << 999.0f << 0.0f << -1.0f;
            QTest::newRow(qPrintable(name + "jumps by r x 500 - 1000"))
                << target << horizontal << 3000.0f << 0.75f << 2375.0f;
        }
    }
}

void CourseTest::runningTargetsWrapStrictly()
{
    QFETCH(QString, target);
    QFETCH(bool, horizontal);
    QFETCH(float, start);
    QFETCH(float, draw);
    QFETCH(float, expected);
    Course course;
    enterPage(course,
              target == QLatin1String("btnClick") ? QStringLiteral("L2") : QStringLiteral("Dbl2"));
    Form1 &form = course.form();
    BoxControl &control = form.control<BoxControl>(target);
    control.move(horizontal ? start : 3000, horizontal ? 3000 : start);
    course.session.clock.set(40000.25f);
    course.session.random.queue(horizontal ? std::initializer_list<float>{draw, 0.5f}
                                           : std::initializer_list<float>{0.5f, draw});
    if (target == QLatin1String("btnClick"))
        course.pressRunningButton();
    else
        course.doubleClickRunningLabel();

    QCOMPARE(course.session.random.seeds().last(), 40000.25f);
    const float middle = horizontal ? form.width() / 2 : form.height() / 2;
    QCOMPARE(horizontal ? control.left() : control.top(), expected < 0 ? middle : expected);
    QCOMPARE(horizontal ? control.top() : control.left(), 2250.0f);
    QCOMPARE(form.width(), pixelsToTwips(form.window()->frameGeometry().width()));
}

void CourseTest::runningTargetsKeepTheirPlaces()
{
    Course course;
    enterPage(course, QStringLiteral("L2"));
    course.pressRunningButton();
    const QPointF place(course.btnClick().left(), course.btnClick().top());
    QVERIFY(place != QPointF(1320, 3120));
    course.choose("mnuMouse");
    enterPage(course, QStringLiteral("R2"));
    QCOMPARE(QPointF(course.btnClick().left(), course.btnClick().top()), place);

    enterPage(course, QStringLiteral("Dbl2"));
    course.doubleClickRunningLabel();
    const QPointF labelPlace(course.lblDblClick().left(), course.lblDblClick().top());
    enterPage(course, QStringLiteral("Dbl2"));
    QCOMPARE(QPointF(course.lblDblClick().left(), course.lblDblClick().top()), labelPlace);
}

void CourseTest::dragLayout_data()
{
    QTest::addColumn<QList<float>>("draws");
    QTest::addColumn<QString>("horizontal"); // where the picture lies: right, left, touching
    QTest::addColumn<QString>("vertical");   // below, above, touching

    QTest::newRow("all draws 0") << QList<float>{0, 0, 0, 0} << "touching"
                                 << "touching";
    QTest::newRow("middle") << QList<float>{0.5f, 0.5f, 0.5f, 0.5f} << "right"
                            << "below";
    QTest::newRow("box near the right edge") << QList<float>{0.999f, 0.5f, 0.5f, 0.5f} << "left"
                                             << "below";
    QTest::newRow("box near the right edge, r3 = 0")
        << QList<float>{0.999f, 0.5f, 0, 0.5f} << "touching"
        << "below";
    QTest::newRow("box near the bottom") << QList<float>{0.5f, 0.999f, 0.5f, 0.5f} << "right"
                                         << "above";
    QTest::newRow("box near the bottom, r4 = 0") << QList<float>{0.5f, 0.999f, 0.5f, 0} << "right"
                                                 << "touching";
}

void CourseTest::dragLayout()
{
    QFETCH(QList<float>, draws);
    QFETCH(QString, horizontal);
    QFETCH(QString, vertical);
    Course course;
    course.session.random.queue({draws[0], draws[1], draws[2], draws[3]});
    course.choose("mnuMove");
    QCOMPARE(course.session.random.seeds(), QList<float>{1});

    const Label &box = course.lblBox();
    const PictureBox &picture = course.picMouse();
    const float W = course.form().width();
    const float H = course.form().height();
    // The box keeps its own size from the left and top, and room for the picture beyond it.
    QCOMPARE(box.left(), std::floor(draws[0] * (W - 2 * 2172 - 492 - 300)) + 2172);
    QCOMPARE(box.top(), std::floor(draws[1] * (H - 2 * 1572 - 372 - 300)) + 1572);

    if (horizontal == QLatin1String("touching"))
        QCOMPARE(picture.left(), box.left() + box.width());
    else if (horizontal == QLatin1String("right"))
        QVERIFY(picture.left() > box.left() + box.width());
    else
        QVERIFY(picture.left() + picture.width() <= box.left());
    if (vertical == QLatin1String("touching"))
        QCOMPARE(picture.top(), box.top() + box.height());
    else if (vertical == QLatin1String("below"))
        QVERIFY(picture.top() > box.top() + box.height());
    else
        QVERIFY(picture.top() + picture.height() <= box.top());
    QVERIFY(picture.left() >= 0 && picture.top() >= 0);
    QCOMPARE(course.lblTask().caption(),
             QStringLiteral("Задание\r\n\r\nПеретащите мышь в коробку"));
    QCOMPARE(course.form().Tasks, QStringLiteral("Mov"));
}

void CourseTest::dropPlacesThePictureAtThePointer()
{
    Course course;
    course.session.random.queue({0, 0, 0, 0});
    course.choose("mnuMove");
    const QPoint corner = course.lblBox().widget()->pos();
    UserMouse::drag(course.form(), UserMouse::centreOf(course.picMouse()), corner);
    QCOMPARE(course.picMouse().left(), course.lblBox().left());
    QCOMPARE(course.picMouse().top(), course.lblBox().top());
    QCOMPARE(int(course.form().M), 1);

    UserMouse::drag(course.form(), UserMouse::centreOf(course.picMouse()), corner + QPoint(10, 20));
    QCOMPARE(course.picMouse().left(), course.lblBox().left() + 150);
    QCOMPARE(course.picMouse().top(), course.lblBox().top() + 300);
    QCOMPARE(int(course.form().M), 2);
}

void CourseTest::dropOfAnotherControlIsIgnored()
{
    Course course;
    course.choose("mnuMove");
    const QPointF place(course.picMouse().left(), course.picMouse().top());
    course.lblBox().dropReceived(course.control<Label>("lblMouseHead"), QPointF(3, 4));
    QCOMPARE(int(course.form().M), 0);
    QCOMPARE(course.form().MDown, 0);

    // Released on the heading or the window, the picture stays where it was.
    UserMouse::drag(course.form(), UserMouse::centreOf(course.picMouse()),
                    UserMouse::centreOf(course.control<Label>("lblMouseHead")));
    UserMouse::drag(course.form(), UserMouse::centreOf(course.picMouse()), course.background());
    QCOMPARE(QPointF(course.picMouse().left(), course.picMouse().top()), place);
    QCOMPARE(int(course.form().M), 0);
    QCOMPARE(course.boxes(), QList<AskedBox>{});
}

void CourseTest::clickOnTheWindowLaysOutAgainOnlyAfterADrop()
{
    Course course;
    Form1 &form = course.form();
    course.choose("mnuMove");
    const qsizetype layouts = course.session.random.seeds().size();
    course.pressWindow();
    QCOMPARE(course.session.random.seeds().size(), layouts);

    course.dragMouseIntoBox();
    QCOMPARE(int(form.MDown), -1);
    QCOMPARE(course.lblTask().caption(), QStringLiteral("Для продолжения щелкните по  форме"));
    UserMouse::click(form, UserMouse::centreOf(course.lblTask()));
    UserMouse::click(form, UserMouse::centreOf(course.lblBox()));
    QCOMPARE(course.session.random.seeds().size(), layouts);

    course.pressWindow();
    QCOMPARE(course.session.random.seeds().size(), layouts + 1);
    QCOMPARE(int(form.MDown), 0);
    QCOMPARE(course.lblTask().caption(),
             QStringLiteral("Задание\r\n\r\nПеретащите мышь в коробку"));
    course.pressWindow();
    QCOMPARE(course.session.random.seeds().size(), layouts + 1);

    // A page change resets the wait: the click after it lays out nothing.
    course.dragMouseIntoBox();
    course.choose("mnuMouse");
    QCOMPARE(int(form.MDown), 0);
    course.pressWindow();
    QCOMPARE(form.Tasks, QStringLiteral("D"));
    QCOMPARE(course.session.random.seeds().size(), layouts + 1);
}

void CourseTest::dragScoreSurvivesLeavingThePage()
{
    Course course;
    course.choose("mnuMove");
    for (int drop = 0; drop < 4; ++drop)
        course.dragMouseIntoBox();
    course.choose("mnuMouse");
    course.choose("mnuMove");
    for (int drop = 0; drop < 5; ++drop)
        course.dragMouseIntoBox();
    QCOMPARE(course.boxes(), QList<AskedBox>{});
    QCOMPARE(int(course.form().M), 9);
    course.dragMouseIntoBox();
    QCOMPARE(course.boxes(), QList<AskedBox>{kSuccess});
    QCOMPARE(course.form().Tasks, QStringLiteral("D"));
    QVERIFY(!course.menu("mnuMove").enabled());
}

void CourseTest::dragPageCountsAgainAfterItWasFinished()
{
    Course course;
    Form1 &form = course.form();
    course.choose("mnuMove");
    for (int drop = 0; drop < 10; ++drop)
        course.dragMouseIntoBox();
    QCOMPARE(int(form.M), 10);

    enterPage(course, QStringLiteral("Dbl2"));
    for (int count = 0; count < 10; ++count)
        course.doubleClickRunningLabel();
    QCOMPARE(form.Tasks, QStringLiteral("Mov"));
    course.boxes();
    course.dragMouseIntoBox();
    QCOMPARE(int(form.M), 11);
    QCOMPARE(course.boxes(), QList<AskedBox>{kSuccess});
    QCOMPARE(form.Tasks, QStringLiteral("D"));
}

QTEST_MAIN(CourseTest)
#include "tst_course.moc"
