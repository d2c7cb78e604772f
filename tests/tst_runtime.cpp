#include "boxcontrol.h"
#include "commandbutton.h"
#include "controlref.h"
#include "fonts.h"
#include "form.h"
#include "image.h"
#include "int16.h"
#include "label.h"
#include "line.h"
#include "menuitem.h"
#include "mixingrandom.h"
#include "picturebox.h"
#include "runtime.h"
#include "testsession.h"
#include "timer.h"
#include "twips.h"
#include "usermouse.h"

#include <QAction>
#include <QFontInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>

namespace {

// A window with one control of each kind, laid out side by side (pixels = twips / 15).
constexpr ControlLayout kControls[] = {
    {.name = "btn",
     .kind = ControlKind::CommandButton,
     .left = 1500,
     .top = 1500,
     .width = 1500,
     .height = 750,
     .caption = "Кнопка"},
    {.name = "pic",
     .kind = ControlKind::PictureBox,
     .left = 4500,
     .top = 1500,
     .width = 750,
     .height = 750,
     .dragAutomatic = true},
    {.name = "lbl",
     .kind = ControlKind::Label,
     .left = 1500,
     .top = 3000,
     .width = 3000,
     .height = 1500,
     .caption = "Метка"},
    {.name = "ln", .kind = ControlKind::Line, .x1 = 6000, .y1 = 1500, .x2 = 6000, .y2 = 4500},
    {.name = "img",
     .kind = ControlKind::Image,
     .left = 6750,
     .top = 3000,
     .width = 1500,
     .height = 1500},
    {.name = "under",
     .kind = ControlKind::Label,
     .left = 1500,
     .top = 1500,
     .width = 3000,
     .height = 300,
     .caption = "Под кнопкой"},
    {.name = "arr",
     .index = 1,
     .kind = ControlKind::Label,
     .left = 0,
     .top = 6000,
     .width = 600,
     .height = 300},
    {.name = "arr",
     .index = 0,
     .kind = ControlKind::Label,
     .left = 900,
     .top = 6000,
     .width = 600,
     .height = 300},
    {.name = "tmr", .kind = ControlKind::Timer, .interval = 100},
};

constexpr MenuLayout kMenus[] = {
    {"mnuTop", 0, "&Меню"},
    {"mnuCmd", 1, "Команда"},
    {"mnuSep", 1, "-"},
};

constexpr FormLayout kLayout{.name = "TestForm",
                             .caption = "Проба",
                             .back = rgb(0, 128, 0),
                             .icon = nullptr,
                             .clientWidth = 9000,
                             .clientHeight = 7500,
                             .controls = kControls,
                             .menus = kMenus};

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
    ControlRef<Label> under{this, "under"};
    ControlRef<CommandButton> btn{this, "btn"};
    ControlRef<PictureBox> pic{this, "pic"};
    ControlRef<Image> img{this, "img"};
    ControlRef<Line> ln{this, "ln"};
    ControlRef<Timer> tmr{this, "tmr"};
    ControlRef<MenuItem> mnuCmd{this, "mnuCmd"};
    ControlArrayRef<Label> arr{this, "arr"};

private:
    void connectEvents() override
    {
        watch(*lbl, "lbl");
        watch(*under, "under");
        watch(*btn, "btn");
        watch(*pic, "pic");
        watch(*img, "img");
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

    void watch(BoxControl &control, const QString &name)
    {
        control.onClick([this, name] { log << name + ".Click"; });
        control.onDblClick([this, name] { log << name + ".DblClick"; });
        control.onMouseDown([this, name](int button, int, float, float) {
            log << name + QStringLiteral(".MouseDown %1").arg(button);
        });
        control.onDragDrop([this, name](BoxControl &source, float x, float y) {
            log << QStringLiteral("%1.DragDrop %2 %3 %4").arg(name, source.name()).arg(x).arg(y);
        });
    }
};

QPoint px(int xTwips, int yTwips)
{
    return {xTwips / 15, yTwips / 15};
}

} // namespace

class RuntimeTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pressesGoToTheControlUnderThePointer_data();
    void pressesGoToTheControlUnderThePointer();
    void windowPressCarriesButtonShiftAndTwips();
    void doubleClicks_data();
    void doubleClicks();
    void doubleClickWithoutHandlerIsTwoClicks();
    void dragAndDrop_data();
    void dragAndDrop();
    void dragShowsAnOutlineThatFollowsThePointer();
    void carriedControlIsNotItsOwnTarget();
    void lifetimeOfAWindow();
    void hiddenWindowKeepsItsTimers();
    void twipsReadBackAsSet_data();
    void twipsReadBackAsSet();
    void outerSizeIncludesTheMenuBar();
    void controlArrays();
    void menuItems();
    void checkedCounters_data();
    void checkedCounters();
    void uncaughtErrorShowsTheBoxAndEnds();
    void endStopsTheRunningHandler();
    void reseedMixesIntoTheState();
    void drawsAreUniformBelowOne();
    void fontsHaveCyrillicFaces_data();
    void fontsHaveCyrillicFaces();

private:
    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<TestForm> m_form;
};

void RuntimeTest::init()
{
    m_session = std::make_unique<TestSession>();
    installFontSubstitutions();
    m_form = std::make_unique<TestForm>();
    m_form->show();
}

void RuntimeTest::cleanup()
{
    m_form.reset();
    m_session.reset();
}

void RuntimeTest::pressesGoToTheControlUnderThePointer_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("hideTarget");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("label") << px(1995, 3495) << false
                           << QStringList{"lbl.MouseDown 1", "lbl.Click"};
    QTest::newRow("image") << px(7000, 3500) << false
                           << QStringList{"img.MouseDown 1", "img.Click"};
    QTest::newRow("button above the label it overlaps")
        << px(1800, 1600) << false << QStringList{"btn.MouseDown 1", "btn.Click"};
    QTest::newRow("line: the window's")
        << px(6000, 3000) << false << QStringList{"Form.MouseDown 1 0 6000 3000", "Form.Click"};
    QTest::newRow("hidden label: the window's")
        << px(1995, 3495) << true << QStringList{"Form.MouseDown 1 0 1995 3495", "Form.Click"};
    QTest::newRow("background") << px(300, 300) << false
                                << QStringList{"Form.MouseDown 1 0 300 300", "Form.Click"};
}

void RuntimeTest::pressesGoToTheControlUnderThePointer()
{
    QFETCH(QPoint, point);
    QFETCH(bool, hideTarget);
    QFETCH(QStringList, events);
    if (hideTarget)
        m_form->lbl->setVisible(false);
    UserMouse::click(*m_form, point);
    QCOMPARE(m_form->log, events);
}

void RuntimeTest::windowPressCarriesButtonShiftAndTwips()
{
    QTest::mousePress(m_form->window()->windowHandle(), Qt::RightButton, Qt::ShiftModifier,
                      m_form->surface()->mapTo(m_form->window(), QPoint(10, 20)));
    QTest::mouseRelease(m_form->window()->windowHandle(), Qt::RightButton, Qt::ShiftModifier,
                        m_form->surface()->mapTo(m_form->window(), QPoint(10, 20)));
    UserMouse::click(*m_form, QPoint(11, 21), Qt::MiddleButton);
    UserMouse::click(*m_form, px(1800, 1600), Qt::RightButton);
    // A command button clicks with the left button only.
    QCOMPARE(m_form->log,
             (QStringList{"Form.MouseDown 2 1 150 300", "Form.Click", "Form.MouseDown 4 0 165 315",
                          "Form.Click", "btn.MouseDown 2"}));
}

void RuntimeTest::doubleClicks_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("window: press, click, double click")
        << px(300, 300) << QStringList{"Form.MouseDown 1 0 300 300", "Form.Click", "Form.DblClick"};
    QTest::newRow("label: its own, never the window's")
        << px(2000, 3500) << QStringList{"lbl.MouseDown 1", "lbl.Click", "lbl.DblClick"};
    QTest::newRow("button: two presses")
        << px(1800, 1600)
        << QStringList{"btn.MouseDown 1", "btn.Click", "btn.MouseDown 1", "btn.Click"};
}

void RuntimeTest::doubleClicks()
{
    QFETCH(QPoint, point);
    QFETCH(QStringList, events);
    UserMouse::doubleClick(*m_form, point);
    QCOMPARE(m_form->log, events);
}

void RuntimeTest::doubleClickWithoutHandlerIsTwoClicks()
{
    m_form->img->onDblClick({});
    UserMouse::doubleClick(*m_form, px(7005, 3495));
    QCOMPARE(m_form->log,
             (QStringList{"img.MouseDown 1", "img.Click", "img.MouseDown 1", "img.Click"}));
}

void RuntimeTest::dragAndDrop_data()
{
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QStringList>("events");

    // The picture is held at its centre (4875, 1875); the drop point is in the target's twips.
    QTest::newRow("onto a label") << px(2400, 3600) << QStringList{"lbl.DragDrop pic 900 600"};
    QTest::newRow("onto an image") << px(7500, 4200) << QStringList{"img.DragDrop pic 750 1200"};
    QTest::newRow("through a line onto the background") << px(6000, 2400) << QStringList{};
    QTest::newRow("onto the background") << px(600, 6600) << QStringList{};
    QTest::newRow("without moving: a click") << px(4875, 1875) << QStringList{"pic.Click"};
}

void RuntimeTest::dragAndDrop()
{
    QFETCH(QPoint, to);
    QFETCH(QStringList, events);
    UserMouse::drag(*m_form, px(4875, 1875), to);
    QCOMPARE(m_form->log, events);
    // The dragged control does not move by itself.
    QCOMPARE(m_form->pic->left(), 4500.0f);
    QCOMPARE(m_form->pic->top(), 1500.0f);
}

void RuntimeTest::dragShowsAnOutlineThatFollowsThePointer()
{
    auto *overlay = m_form->surface()->findChild<QWidget *>(QStringLiteral("dragOverlay"));
    QVERIFY(!overlay || !overlay->isVisible());
    UserMouse::press(*m_form, px(4875, 1875));
    UserMouse::move(*m_form, px(3000, 6000));
    overlay = m_form->surface()->findChild<QWidget *>(QStringLiteral("dragOverlay"));
    QVERIFY(overlay && overlay->isVisible());
    // An outline of the picture, held where the pointer took it.
    QCOMPARE(overlay->geometry(), QRect(px(3000 - 375, 6000 - 375), QSize(50, 50)));
    UserMouse::release(*m_form, px(3000, 6000));
    QVERIFY(!overlay->isVisible());
}

void RuntimeTest::carriedControlIsNotItsOwnTarget()
{
    // The picture stands on the label; released over its own old place, it lands on the label.
    m_form->pic->move(1995, 3495);
    UserMouse::drag(*m_form, px(2100, 3600), px(2250, 3750));
    QCOMPARE(m_form->log, QStringList{"lbl.DragDrop pic 750 750"});
}

void RuntimeTest::lifetimeOfAWindow()
{
    TestForm &form = *m_form;
    QCOMPARE(form.loads, 1);
    form.lbl->setCaption(QStringLiteral("Изменено"));
    form.kept = 7;
    QVERIFY(form.tmr->running());

    form.window()->close(); // the close box
    QVERIFY(!form.isLoaded());
    QCOMPARE(form.kept, 7);

    // Touching a control loads the window again, from the stored layout.
    QCOMPARE(form.lbl->caption(), QStringLiteral("Метка"));
    QCOMPARE(form.loads, 2);
    QVERIFY(!form.isShown());
    form.show();
    QVERIFY(form.isShown());
    QCOMPARE(form.loads, 2);
}

void RuntimeTest::hiddenWindowKeepsItsTimers()
{
    m_form->hide();
    QVERIFY(m_form->isLoaded());
    QVERIFY(m_form->tmr->running());
    m_form->tmr->tick();
    QCOMPARE(m_form->log, QStringList{"tmr.Timer"});
    m_form->tmr->setEnabled(false);
    QVERIFY(!m_form->tmr->running());
}

void RuntimeTest::twipsReadBackAsSet_data()
{
    QTest::addColumn<float>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("whole pixel") << 1500.0f << 100;
    QTest::newRow("rounds down") << 1507.0f << 100;
    QTest::newRow("rounds up") << 1508.0f << 101;
    QTest::newRow("fraction of a twip") << 1234.567f << 82;
    QTest::newRow("negative") << -622.0f << -41;
    QTest::newRow("huge stays finite") << 1.0e12f << 1000000;
}

void RuntimeTest::twipsReadBackAsSet()
{
    QFETCH(float, twips);
    QFETCH(int, pixels);
    Label &label = *m_form->lbl;
    label.setLeft(twips);
    label.setTop(twips);
    QCOMPARE(label.left(), twips);
    QCOMPARE(label.top(), twips);
    QCOMPARE(label.widget()->x(), pixels);
    QCOMPARE(label.widget()->y(), pixels);
}

void RuntimeTest::outerSizeIncludesTheMenuBar()
{
    const QMainWindow *window = m_form->window();
    QVERIFY(m_form->width() >= 9000);
    QCOMPARE(m_form->width(), pixelsToTwips(window->frameGeometry().width()));
    QCOMPARE(m_form->height(), pixelsToTwips(window->frameGeometry().height()));
    QCOMPARE(m_form->surface()->size(), QSize(600, 500));
    QVERIFY(m_form->height() >= 7500 + pixelsToTwips(window->menuBar()->height()));
}

void RuntimeTest::controlArrays()
{
    QCOMPARE(m_form->arr.count(), 2);
    QCOMPARE(m_form->arr[1].left(), 0.0f);
    QCOMPARE(m_form->arr[0].left(), 900.0f);
    QCOMPARE(m_form->arr[1].widget()->objectName(), QStringLiteral("arr_1"));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_form->arr[2]);
}

void RuntimeTest::menuItems()
{
    MenuItem &command = *m_form->mnuCmd;
    QCOMPARE(m_form->control<MenuItem>(QStringLiteral("mnuTop")).caption(),
             QStringLiteral("&Меню"));
    QVERIFY(m_form->control<MenuItem>(QStringLiteral("mnuSep")).action()->isSeparator());
    UserMouse::choose(command);
    command.setEnabled(false);
    UserMouse::choose(command);
    QCOMPARE(m_form->log, QStringList{"mnuCmd.Click"});
}

void RuntimeTest::checkedCounters_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("overflows");
    QTest::newRow("up to the top") << 32766 << 1 << false;
    QTest::newRow("past the top") << 32767 << 1 << true;
    QTest::newRow("down to the bottom") << -32767 << -1 << false;
    QTest::newRow("past the bottom") << -32768 << -1 << true;
}

void RuntimeTest::checkedCounters()
{
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(bool, overflows);
    Int16 counter = start;
    try {
        counter = counter + step;
        QVERIFY(!overflows);
        QCOMPARE(int(counter), start + step);
    } catch (const RuntimeError &error) {
        QVERIFY(overflows);
        QCOMPARE(error.number(), 6);
        QCOMPARE(int(counter), start);
    }
}

void RuntimeTest::uncaughtErrorShowsTheBoxAndEnds()
{
    m_form->onCommand = [] {
        Int16 counter = 32767;
        counter = counter + 1;
    };
    UserMouse::choose(*m_form->mnuCmd);
    QCOMPARE(m_session->dialogs.asked(),
             QList<AskedBox>{ScriptedDialogs::message(
                 QStringLiteral("Ошибка выполнения 6:\r\n\r\nПереполнение"), 16,
                 QStringLiteral("Мышь"))});
    QCOMPARE(m_session->endCount, 1);
    QVERIFY(!m_form->isLoaded());
}

void RuntimeTest::endStopsTheRunningHandler()
{
    bool ranOn = false;
    m_form->onCommand = [&] {
        endProgram();
        ranOn = true;
    };
    UserMouse::choose(*m_form->mnuCmd);
    QVERIFY(!ranOn);
    QCOMPARE(m_session->endCount, 1);
    QVERIFY(!m_form->isLoaded());
    // No further handler runs, and nothing loads the window again.
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, m_form->lbl->caption());
    QVERIFY(!m_form->isLoaded());
    QVERIFY(m_session->dialogs.asked().isEmpty());
}

void RuntimeTest::reseedMixesIntoTheState()
{
    MixingRandom random;
    random.reseed(1);
    const QList<float> first = {random.next(), random.next(), random.next(), random.next()};
    random.reseed(1);
    const QList<float> second = {random.next(), random.next(), random.next(), random.next()};
    QVERIFY(first != second);

    // Same history, same numbers: the program's runs are reproducible.
    MixingRandom again;
    again.reseed(1);
    QCOMPARE(again.next(), first[0]);
}

void RuntimeTest::drawsAreUniformBelowOne()
{
    MixingRandom random;
    random.reseed(45296.5f);
    int buckets[10] = {};
    constexpr int draws = 100000;
    for (int i = 0; i < draws; ++i) {
        const float r = random.next();
        QVERIFY(r >= 0.0f && r < 1.0f);
        ++buckets[int(r * 10)];
    }
    for (int count : buckets)
        QVERIFY2(count > draws / 10 * 0.95 && count < draws / 10 * 1.05, "not uniform");
}

void RuntimeTest::fontsHaveCyrillicFaces_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("installed");
    QTest::newRow("MS Sans Serif") << "MS Sans Serif"
                                   << "Liberation Sans";
    QTest::newRow("Arial") << "Arial"
                           << "Liberation Sans";
    QTest::newRow("Times New Roman") << "Times New Roman"
                                     << "Liberation Serif";
    QTest::newRow("Monotype Corsiva") << "Monotype Corsiva"
                                      << "Z003";
    QTest::newRow("Comic Sans MS") << "Comic Sans MS"
                                   << "Andika";
}

void RuntimeTest::fontsHaveCyrillicFaces()
{
    QFETCH(QString, face);
    QFETCH(QString, installed);
    QFont font(face);
    font.setPointSizeF(9.6);
    QVERIFY(QFontInfo(font).family().startsWith(installed));
    QVERIFY(QFontMetrics(font).inFont(QChar(0x0416))); // Ж
}

QTEST_MAIN(RuntimeTest)
#include "tst_runtime.moc"
