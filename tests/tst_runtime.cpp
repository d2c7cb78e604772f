#include "commandbutton.h"
#include "controlref.h"
#include "fonts.h"
#include "image.h"
#include "int16.h"
#include "label.h"
#include "menuitem.h"
#include "mixingrandom.h"
#include "picturebox.h"
#include "runtime.h"
#include "testsession.h"
#include "timer.h"
#include "usermouse.h"

#include <QAction>
#include <QFontInfo>
#include <QMainWindow>
#include <QTest>

namespace {

// One control of each kind; in pixels (twips / 15): button (100,100) 100x50, picture (300,100)
// 50x50, label (100,200) 200x100, a vertical line at x 400, image (450,200) 100x100, and a
// label under the button.
// clang-format off
constexpr ControlLayout kControls[] = {
    {.name = "btn", .kind = ControlKind::CommandButton, .left = 1500, .top = 1500, .width = 1500, .height = 750, .caption = "Кнопка"},
    {.name = "pic", .kind = ControlKind::PictureBox, .left = 4500, .top = 1500, .width = 750, .height = 750, .dragAutomatic = true},
    {.name = "lbl", .kind = ControlKind::Label, .left = 1500, .top = 3000, .width = 3000, .height = 1500, .caption = "Метка"},
    {.name = "ln", .kind = ControlKind::Line, .x1 = 6000, .y1 = 1500, .x2 = 6000, .y2 = 4500},
    {.name = "img", .kind = ControlKind::Image, .left = 6750, .top = 3000, .width = 1500, .height = 1500},
    {.name = "under", .kind = ControlKind::Label, .left = 1500, .top = 1500, .width = 3000, .height = 300},
    {.name = "arr", .index = 1, .kind = ControlKind::Label, .left = 0, .top = 6000, .width = 600, .height = 300},
    {.name = "arr", .index = 0, .kind = ControlKind::Label, .left = 900, .top = 6000, .width = 600, .height = 300},
    {.name = "tmr", .kind = ControlKind::Timer, .interval = 100},
};
constexpr MenuLayout kMenus[] = {{"mnuTop", 0, "&Меню"}, {"mnuCmd", 1, "Команда"}, {"mnuSep", 1, "-"}};
constexpr FormLayout kLayout{.name = "TestForm", .caption = "Проба", .back = rgb(0, 128, 0), .icon = nullptr,
                             .clientWidth = 9000, .clientHeight = 7500, .controls = kControls, .menus = kMenus};
// clang-format on

// Records every event it receives.
class TestForm : public Form
{
public:
    TestForm() : Form(kLayout) {}

    QStringList log;
    int loads = 0;
    int kept = 0; // a member variable, to see it survive an unload
    std::function<void()> onCommand;

    ControlRef<Label> lbl{this, "lbl"};
    ControlRef<PictureBox> pic{this, "pic"};
    ControlRef<Image> img{this, "img"};
    ControlRef<Timer> tmr{this, "tmr"};
    ControlRef<MenuItem> mnuCmd{this, "mnuCmd"};
    ControlArrayRef<Label> arr{this, "arr"};

private:
    void connectEvents() override
    {
        for (const char *name : {"lbl", "under", "btn", "pic", "img"}) {
            auto &control = this->control<BoxControl>(QString::fromLatin1(name));
            const QString n = QString::fromLatin1(name);
            control.onClick([this, n] { log << n + ".Click"; });
            control.onDblClick([this, n] { log << n + ".DblClick"; });
            control.onMouseDown([this, n](int b, int, float, float) {
                log << n + QStringLiteral(".MouseDown %1").arg(b);
            });
            control.onDragDrop([this, n](BoxControl &source, float x, float y) {
                log << QStringLiteral("%1.DragDrop %2 %3 %4").arg(n, source.name()).arg(x).arg(y);
            });
        }
        tmr->onTimer([this] { log << "tmr.Timer"; });
        mnuCmd->onClick([this] {
            log << "mnuCmd.Click";
            if (onCommand)
                onCommand();
        });
    }
    void formLoad() override { ++loads; }
    void formClick() override { log << "Form.Click"; }
    void formDblClick() override { log << "Form.DblClick"; }
    void formMouseDown(int button, int shift, float x, float y) override
    {
        log << QStringLiteral("Form.MouseDown %1 %2 %3 %4").arg(button).arg(shift).arg(x).arg(y);
    }
};

} // namespace

class RuntimeTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<TestForm> m_form;

private slots:
    void init()
    {
        m_session = std::make_unique<TestSession>();
        installFontSubstitutions();
        m_form = std::make_unique<TestForm>();
        m_form->show();
    }
    void cleanup()
    {
        m_form.reset();
        m_session.reset();
    }

    // Every mouse event goes to the visible control under the pointer and never on to the
    // window; lines and hidden controls let it through to the window.
    void mouseRouting_data()
    {
        QTest::addColumn<QString>(
            "gesture"); // click, right, shift-right, [right, middle] double, drag
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("events");
        const QPoint label(133, 233), picture(325, 125), background(20, 20);
        auto row = [](const char *tag, const char *gesture, QPoint from, QPoint to,
                      const char *setup, const QStringList &events) {
            QTest::newRow(tag) << gesture << from << to << setup << events;
        };
        // clang-format off
        row("label", "click", label, {}, "", {"lbl.MouseDown 1", "lbl.Click"});
        row("image", "click", {467, 233}, {}, "", {"img.MouseDown 1", "img.Click"});
        row("button above a label", "click", {120, 105}, {}, "", {"btn.MouseDown 1", "btn.Click"});
        row("a button clicks with the left button only", "right", {120, 105}, {}, "", {"btn.MouseDown 2"});
        row("line: the window's", "click", {400, 200}, {}, "", {"Form.MouseDown 1 0 6000 3000", "Form.Click"});
        row("hidden label: the window's", "click", label, {}, "hide label", {"Form.MouseDown 1 0 1995 3495", "Form.Click"});
        row("window: button, shift and twips", "shift-right", {10, 20}, {}, "", {"Form.MouseDown 2 1 150 300", "Form.Click"});
        row("window double click: press, click, double click", "double", background, {}, "", {"Form.MouseDown 1 0 300 300", "Form.Click", "Form.DblClick"});
        row("window right double click: two presses", "right double", background, {}, "", {"Form.MouseDown 2 0 300 300", "Form.Click", "Form.MouseDown 2 0 300 300", "Form.Click"});
        row("window middle double click: two presses", "middle double", background, {}, "", {"Form.MouseDown 4 0 300 300", "Form.Click", "Form.MouseDown 4 0 300 300", "Form.Click"});
        row("label double click: its own", "double", label, {}, "", {"lbl.MouseDown 1", "lbl.Click", "lbl.DblClick"});
        row("button double click: two presses", "double", {120, 105}, {}, "", {"btn.MouseDown 1", "btn.Click", "btn.MouseDown 1", "btn.Click"});
        row("no double-click handler: two clicks", "double", {467, 233}, {}, "no double clicks", {"img.MouseDown 1", "img.Click", "img.MouseDown 1", "img.Click"});
        // The picture is held at its centre; the drop point is in the target's twips.
        row("drag onto a label", "drag", picture, {160, 240}, "", {"lbl.DragDrop pic 900 600"});
        row("drag onto an image", "drag", picture, {500, 280}, "", {"img.DragDrop pic 750 1200"});
        row("drag onto a line: nothing", "drag", picture, {400, 160}, "", {});
        row("drag onto the background: nothing", "drag", picture, {40, 440}, "", {});
        row("press and release without moving: a click", "drag", picture, picture, "", {"pic.Click"});
        row("released beside the label: no click", "drag", label, background, "", {"lbl.MouseDown 1"});
        row("the carried control is not its own target", "drag", {140, 240}, {150, 250}, "picture on label", {"lbl.DragDrop pic 750 750"});
        // clang-format on
    }
    void mouseRouting()
    {
        QFETCH(QString, gesture);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QString, setup);
        QFETCH(QStringList, events);
        TestForm &form = *m_form;
        if (setup == QLatin1String("hide label"))
            form.lbl->setVisible(false);
        else if (setup == QLatin1String("no double clicks"))
            form.img->onDblClick({});
        else if (setup == QLatin1String("picture on label"))
            form.pic->move(1995, 3495);
        const QPointF picturePlace(form.pic->left(), form.pic->top());

        if (gesture == QLatin1String("click"))
            UserMouse::click(form, from);
        else if (gesture == QLatin1String("right"))
            UserMouse::click(form, from, Qt::RightButton);
        else if (gesture.endsWith(QLatin1String("double")))
            UserMouse::doubleClick(form, from,
                                   gesture.startsWith(QLatin1String("right"))    ? Qt::RightButton
                                   : gesture.startsWith(QLatin1String("middle")) ? Qt::MiddleButton
                                                                                 : Qt::LeftButton);
        else if (gesture == QLatin1String("drag"))
            UserMouse::drag(form, from, to);
        else {
            const QPoint at = form.surface()->mapTo(form.window(), from);
            QTest::mouseClick(form.window()->windowHandle(), Qt::RightButton, Qt::ShiftModifier,
                              at);
        }
        QCOMPARE(form.log, events);
        // The dragged control does not move by itself.
        QCOMPARE(QPointF(form.pic->left(), form.pic->top()), picturePlace);
    }

    // Loading builds the controls and runs the load handler once; the close box unloads them
    // but keeps member variables; touching a control loads the window again as stored.
    void lifetime()
    {
        TestForm &form = *m_form;
        form.lbl->setCaption(QStringLiteral("Изменено"));
        form.kept = 7;
        form.hide();
        QVERIFY(form.isLoaded() && form.tmr->running());
        form.tmr->tick();
        QCOMPARE(form.log, QStringList{"tmr.Timer"});

        form.show();
        form.window()->close();
        QVERIFY(!form.isLoaded());
        QCOMPARE(form.kept, 7);
        QCOMPARE(form.lbl->caption(), QStringLiteral("Метка"));
        QCOMPARE(form.loads, 2);
        QVERIFY(!form.isShown());
    }

    void twipsReadBackAsSet_data()
    {
        QTest::addColumn<float>("twips");
        QTest::addColumn<int>("pixels");
        // clang-format off
        QTest::newRow("whole pixel") << 1500.0f << 100;
        QTest::newRow("rounds down") << 1507.0f << 100;
        QTest::newRow("rounds up") << 1508.0f << 101;
        QTest::newRow("fraction of a twip") << 1234.567f << 82;
        QTest::newRow("negative") << -622.0f << -41;
        QTest::newRow("huge stays finite") << 1.0e12f << 1000000;
        // clang-format on
    }
    void twipsReadBackAsSet()
    {
        QFETCH(float, twips);
        QFETCH(int, pixels);
        Label &label = *m_form->lbl;
        label.move(twips, twips);
        QCOMPARE(QPointF(label.left(), label.top()), QPointF(twips, twips));
        QCOMPARE(label.widget()->pos(), QPoint(pixels, pixels));
    }

    void outerSizeArraysMenusAndTimers()
    {
        TestForm &form = *m_form;
        QCOMPARE(form.surface()->size(), QSize(600, 500));
        UserMouse::resize(form, {640, 560}); // the outer size, frame and menu bar included
        QCOMPARE(QSizeF(form.width(), form.height()), QSizeF(9600, 8400));

        QCOMPARE(form.arr.count(), 2);
        QCOMPARE(form.arr[0].left(), 900.0f);
        QCOMPARE(form.arr[1].widget()->objectName(), QStringLiteral("arr_1"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, form.arr[2]);

        QCOMPARE(form.control<MenuItem>(QStringLiteral("mnuSep")).caption(), QStringLiteral("-"));
        QCOMPARE(form.mnuCmd->action()->text(), QStringLiteral("Команда"));
        QCOMPARE(form.tmr->interval(), 100);
        UserMouse::choose(*form.mnuCmd);
        form.mnuCmd->setEnabled(false);
        UserMouse::choose(*form.mnuCmd);
        QCOMPARE(form.log, QStringList{"mnuCmd.Click"});
    }

    void checkedCounters_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("overflows");
        // clang-format off
        QTest::newRow("up to the top") << 32766 << 1 << false;
        QTest::newRow("past the top") << 32767 << 1 << true;
        QTest::newRow("down to the bottom") << -32767 << -1 << false;
        QTest::newRow("past the bottom") << -32768 << -1 << true;
        // clang-format on
    }
    void checkedCounters()
    {
        QFETCH(int, start);
        QFETCH(int, step);
        QFETCH(bool, overflows);
        Int16 counter = start;
        try {
            counter = counter + step;
            QVERIFY(!overflows);
        } catch (const RuntimeError &error) {
            QVERIFY(overflows);
            QCOMPARE(error.number(), 6);
        }
        QCOMPARE(int(counter), overflows ? start : start + step);
    }

    // Ending stops the running handler at once, and nothing loads a window afterwards.
    void endStopsTheRunningHandler()
    {
        bool ranOn = false;
        m_form->onCommand = [&] {
            endProgram();
            ranOn = true;
        };
        UserMouse::choose(*m_form->mnuCmd);
        QVERIFY(!ranOn);
        QCOMPARE(m_session->endCount, 1);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, m_form->lbl->caption());
        QVERIFY(!m_form->isLoaded());
    }

    // A re-seed mixes into the state: the same seed twice gives two different sequences, yet
    // the same history gives the same numbers. Draws are uniform in [0, 1).
    void randomNumbers()
    {
        MixingRandom random, again;
        random.reseed(1);
        again.reseed(1);
        const float first[2] = {random.next(), random.next()};
        random.reseed(1);
        QVERIFY(random.next() != first[0]);
        QCOMPARE(again.next(), first[0]);

        int buckets[10] = {};
        for (int i = 0; i < 100000; ++i) {
            const float r = random.next();
            QVERIFY(r >= 0.0f && r < 1.0f);
            ++buckets[int(r * 10)];
        }
        for (int count : buckets)
            QVERIFY2(count > 9500 && count < 10500, "not uniform");
    }

    void fontsHaveCyrillicFaces_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("installed");
        // clang-format off
        QTest::newRow("MS Sans Serif") << "MS Sans Serif" << "Liberation Sans";
        QTest::newRow("Arial") << "Arial" << "Liberation Sans";
        QTest::newRow("Times New Roman") << "Times New Roman" << "Liberation Serif";
        QTest::newRow("Monotype Corsiva") << "Monotype Corsiva" << "Z003";
        QTest::newRow("Comic Sans MS") << "Comic Sans MS" << "Andika";
        // clang-format on
    }
    void fontsHaveCyrillicFaces()
    {
        QFETCH(QString, face);
        QFETCH(QString, installed);
        QFont font(face);
        font.setPointSizeF(9.6);
        QVERIFY(QFontInfo(font).family().startsWith(installed));
        QVERIFY(QFontMetrics(font).inFont(QChar(0x0416))); // Ж
    }
};

QTEST_MAIN(RuntimeTest)
#include "tst_runtime.moc"
