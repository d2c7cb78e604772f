#include "commandbutton.h"
#include "dd.h"
#include "form1.h"
#include "form4.h"
#include "fres.h"
#include "journalwindow.h"
#include "label.h"
#include "menuitem.h"
#include "pupilschart.h"
#include "testsession.h"
#include "usermouse.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

// The events Qt hands on to the tools.
QList<std::pair<QAccessible::Event, QObject *>> recorded;

void record(QAccessibleEvent *event)
{
    recorded.append({event->type(), event->object()});
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// A window as a user meets it; the course window on a page: "", "L", "L2", "R2" or "Dbl2".
Form &shown(TestSession &session, const char *window, const QString &page = {})
{
    Program &p = session.program();
    const QList<Form *> forms{&p.form1(), &p.dd(), &p.form4(), &p.fres()};
    Form *form = *std::find_if(forms.begin(), forms.end(),
                               [&](Form *f) { return qstrcmp(f->layout().name, window) == 0; });
    if (form != &p.form1()) {
        form->show();
        return *form;
    }
    session.start();
    if (!page.isEmpty())
        UserMouse::choose(form->control<MenuItem>(page[0] == u'L'   ? "mnuLeft"
                                                  : page[0] == u'R' ? "mnuRight"
                                                                    : "mnuDouble"));
    const QPoint free(5, 5); // no control there on the exercise pages
    if (page == QLatin1String("L2"))
        UserMouse::click(*form, free);
    else if (page == QLatin1String("R2"))
        UserMouse::click(*form, free, Qt::RightButton);
    else if (page == QLatin1String("Dbl2"))
        UserMouse::doubleClick(*form, free);
    return *form;
}

// The tables read best a case to a line.
// clang-format off

// A disabled case is disabled by the test: no stored control starts disabled.
struct ControlCase
{
    const char *window, *control, *page;
    QAccessible::Role role; const char *name; bool showing, enabled, focusable;
};
const ControlCase kControls[] = {
    {"Form1", "lblMouseHead", "", QAccessible::StaticText, "Мышь", true, true, false},
    {"Form1", "lblTask", "", QAccessible::StaticText, "", false, true, false},
    {"Form1", "lblTask", "L", QAccessible::StaticText, "Задание 1\n\nЩелкните  левой кнопкой мыши по форме", true, true, false},
    {"FRes", "lblFIO_0", "", QAccessible::StaticText, "Имя", true, true, false},
    {"Form1", "btnNext", "", QAccessible::Button, ">", true, true, true},
    {"Form1", "btnNext", "", QAccessible::Button, ">", true, false, true},
    {"Form1", "btnClick", "", QAccessible::Button, "0", false, true, true},
    {"Form1", "Image1_1", "", QAccessible::Graphic, "Компьютерная мышь с проводом", true, true, false},
    {"Form1", "picMouse", "", QAccessible::Graphic, "Мышка, которую нужно перетащить", false, true, true},
    {"DD", "Picture1_6", "", QAccessible::Graphic, "Флаг России", true, true, false},
    {"Form1", "LineMouse", "L", QAccessible::Separator, "", true, true, false},
};

// The first controls a window shows, in reading order, and how many controls it lists.
struct OrderCase { const char *window, *firstShown; int listed; };
const OrderCase kOrders[] = {
    {"Form1", "lblMouseHead lblMouseDesc Image1_3 Image1_1 Image1_0 Image1_2 btnNext", 18},
    {"FRes", "lblFIO_0 lblLeft lblRight lblDouble lblMove lblGame1 lblGame2 lblTotal Label1_0 Label2_0", 88},
    {"DD", "Label1 Label2 Label3 Picture1_0 Picture1_1", 15},
    {"Form4", "pic", 8}, // its two timers are not there
};

// The teacher's journal, a class of two read: what a screen reader finds by name.
struct JournalCase { const char *object; QAccessible::Role role; const char *name; };
const JournalCase kJournal[] = {
    {"records", QAccessible::Table, "Записи"},
    {"pupils", QAccessible::Table, "Ученики"},
    {"skipped", QAccessible::Table, "Пропущенные строки"},
    {"search", QAccessible::EditableText, "Ученик:"},
    {"period", QAccessible::ComboBox, "Период:"},
    {"periodFrom", QAccessible::SpinBox, "Период с"},
    {"chartPair", QAccessible::ComboBox, "Столбцы:"},
    {"chart", QAccessible::Chart, "Диаграмма: лучший и последний итог"},
};

// clang-format on

// A journal with `lines` read.
void readJournal(JournalWindow &window, QTemporaryDir &folder, const QByteArray &lines)
{
    QFile file(folder.filePath("res.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lines) == lines.size());
    file.close();
    QSignalSpy looked(&window, &JournalWindow::lookDone);
    window.openFiles({file.fileName()});
    QVERIFY(looked.wait(5000));
    window.findChild<PupilsChart *>("chart")->redraw();
}

// The entries of `menu` and of its submenus, each with the letter Alt takes it by.
void collectMnemonics(const QMenu &menu, QStringList &problems)
{
    QStringList letters;
    for (QAction *action : menu.actions()) {
        if (action->isSeparator())
            continue;
        const QString text = QString(action->text()).remove(QStringLiteral("&&"));
        const qsizetype at = text.indexOf(u'&');
        if (at < 0 || at + 1 >= text.size() || text.indexOf(u'&', at + 1) >= 0) {
            problems << menu.title() + " → " + action->text() + ": no single mnemonic";
            continue;
        }
        const QString letter = text.at(at + 1).toLower();
        if (letters.contains(letter))
            problems << menu.title() + " → " + action->text() + ": " + letter + " taken";
        letters << letter;
        if (action->menu()) {
            emit action->menu()->aboutToShow();
            collectMnemonics(*action->menu(), problems);
        }
    }
}

} // namespace

// What a screen reader or an automation tool finds in the windows through Qt's accessibility.
class AccessibilityTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Offscreen, no screen reader is there to switch Qt's accessibility on.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler(record);
    }

    // Role, name, state and place of each kind of control; a label's text; a button's press.
    void controls_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kControls)); ++i) {
            const ControlCase &c = kControls[i];
            QTest::addRow("%s %s%s%s%s", c.window, c.control, *c.page ? " on page " : "", c.page,
                          c.enabled ? "" : " disabled")
                << i;
        }
    }
    void controls()
    {
        QFETCH(int, row);
        const ControlCase &c = kControls[row];
        TestSession session;
        Form &form = shown(session, c.window, QString::fromLatin1(c.page));
        QWidget *widget = form.surface()->findChild<QWidget *>(c.control);
        if (!c.enabled)
            form.control<BoxControl>(c.control).setEnabled(false);

        QAccessibleInterface *iface = accessible(widget);
        QCOMPARE(iface->role(), c.role);
        QCOMPARE(iface->text(QAccessible::Name), QString(c.name));
        const QAccessible::State state = iface->state();
        QCOMPARE((QList<bool>{!state.invisible, !state.disabled, bool(state.focusable)}),
                 (QList<bool>{c.showing, c.enabled, c.focusable}));
        if (c.showing) {
            const QRect onScreen(widget->mapToGlobal(QPoint()), widget->size());
            QCOMPARE(iface->rect(), onScreen);
            // What a tool finds under the pointer there; a line takes no mouse.
            QAccessibleInterface *hit =
                iface->parent()->childAt(onScreen.center().x(), onScreen.center().y());
            QVERIFY(c.role == QAccessible::Separator || (hit && hit->object() == widget));
        }
        QAccessibleTextInterface *text = iface->textInterface();
        QCOMPARE(text != nullptr, c.role == QAccessible::StaticText);
        if (text)
            QCOMPARE(text->text(0, text->characterCount()), QString(c.name));
        QAccessibleActionInterface *actions = iface->actionInterface();
        QCOMPARE(actions && actions->actionNames().contains(actions->pressAction()),
                 c.role == QAccessible::Button && c.enabled);
    }

    // The client area lists its controls as a sighted user reads the page: the texts, then the
    // rest, each from the top down and from left to right. It comes first in its window.
    void readingOrder_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kOrders)); ++i)
            QTest::addRow("%s", kOrders[i].window) << i;
    }
    void readingOrder()
    {
        QFETCH(int, row);
        const OrderCase &c = kOrders[row];
        TestSession session;
        Form &form = shown(session, c.window);
        QAccessibleInterface *surface = accessible(form.surface());
        QCOMPARE(accessible(form.window())->indexOfChild(surface), 0);
        QCOMPARE(surface->childCount(), c.listed);
        QStringList showing;
        for (int i = 0; i < surface->childCount(); ++i) {
            QAccessibleInterface *child = surface->child(i);
            QCOMPARE(surface->indexOfChild(child), i);
            QCOMPARE(child->parent(), surface);
            if (!child->state().invisible)
                showing << child->object()->objectName();
        }
        const QStringList expected = QString(c.firstShown).split(QLatin1Char(' '));
        QCOMPARE(showing.mid(0, expected.size()), expected);
    }

    // A button's press action does what a left click of the mouse does: the same handlers with
    // the same arguments, in the same order, to the same outcome.
    void pressIsAClick_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("pageAfter");
        // clang-format off
        QTest::newRow("> on the lesson") << "" << "btnNext" << "L";
        QTest::newRow("running button, left task") << "L2" << "btnClick" << "L2";
        QTest::newRow("running button, right task: wrong button") << "R2" << "btnClick" << "R2";
        // clang-format on
    }
    void pressIsAClick()
    {
        QFETCH(QString, page);
        QFETCH(QString, button);
        QFETCH(QString, pageAfter);
        QStringList outcomes;
        for (bool byTool : {false, true}) {
            TestSession session;
            auto &course = static_cast<Form1 &>(shown(session, "Form1", page));
            // Events the course leaves unhandled: the press on ">" with its arguments, and a
            // click on the running button, which does not come when the button jumps away.
            QStringList log;
            course.control<CommandButton>("btnNext").onMouseDown(
                [&](int b, int s, float x, float y) {
                    log << QStringLiteral("down %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y);
                });
            course.control<CommandButton>("btnClick").onClick([&] { log << "click"; });
            auto &target = course.control<CommandButton>(button);
            const auto outcome = [&] {
                QStringList parts{course.Tasks, QStringLiteral("L %1 R %2, button at %3 %4: %5")
                                                    .arg(int(course.L))
                                                    .arg(int(course.R))
                                                    .arg(target.left())
                                                    .arg(target.top())
                                                    .arg(target.caption())};
                for (const AskedBox &box : session.dialogs.takeAsked())
                    parts << box.title;
                return (parts + log).join(QLatin1Char('|'));
            };
            const QString before = outcome();
            if (byTool) {
                QAccessibleActionInterface *actions =
                    accessible(target.widget())->actionInterface();
                actions->doAction(actions->pressAction());
                QCoreApplication::processEvents();
            } else {
                UserMouse::click(course, UserMouse::centreOf(target));
            }
            QCOMPARE(course.Tasks, pageAfter);
            outcomes << outcome();
            QVERIFY(outcomes.last() != before);
        }
        QCOMPARE(outcomes[1], outcomes[0]);
    }

    // The running number of the double-click page is heard as it counts: one name change for
    // each new number, none when the caption is set to what it already reads.
    void counterAnnouncesItsName()
    {
        TestSession session;
        Form &course = shown(session, "Form1", QStringLiteral("Dbl2"));
        auto &counter = course.control<Label>("lblDblClick");
        const std::pair<QAccessible::Event, QObject *> nameChange{QAccessible::NameChanged,
                                                                  counter.widget()};
        recorded.clear();
        UserMouse::doubleClick(course, UserMouse::centreOf(counter));
        QCOMPARE(recorded.count(nameChange), 1);
        QCOMPARE(accessible(counter.widget())->text(QAccessible::Name), QStringLiteral("2"));
        counter.setCaption(QStringLiteral("2"));
        QCOMPARE(recorded.count(nameChange), 1);
    }

    // Each table and control of the journal has a name; the chart reads its values, pupil by
    // pupil, and follows the filter.
    void journalNames_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kJournal)); ++i)
            QTest::addRow("%s", kJournal[i].object) << i;
    }
    void journalNames()
    {
        QFETCH(int, row);
        const JournalCase &c = kJournal[row];
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QTemporaryDir folder;
        JournalWindow window;
        readJournal(window, folder,
                    "\"Anna\",11,10,10,10,0,0,5.125\r\n\"Boris\",9,10,10,10,0,0,4.875\r\n");
        window.show();
        QAccessibleInterface *iface = accessible(window.findChild<QWidget *>(c.object));
        QCOMPARE(iface->role(), c.role);
        // A list is named by its choice, and its label is a relation.
        const auto labels = iface->relations(QAccessible::Label);
        QCOMPARE(c.role == QAccessible::ComboBox ? labels.value(0).first->text(QAccessible::Name)
                                                 : iface->text(QAccessible::Name),
                 QString(c.name));
        if (c.role == QAccessible::Chart) {
            QCOMPARE(iface->text(QAccessible::Description),
                     "Anna: лучший 5,125, последний 5,125; Boris: лучший 4,875, последний 4,875");
            window.findChild<QLineEdit *>("search")->setText("bor");
            window.findChild<PupilsChart *>("chart")->redraw();
            QCOMPARE(iface->text(QAccessible::Description), "Boris: лучший 4,875, последний 4,875");
        }
        // Whatever the keyboard reaches is named (Qt's inner parts by their control).
        for (QWidget *widget : window.findChildren<QWidget *>()) {
            if (widget->focusPolicy() & Qt::TabFocus && !widget->focusProxy() &&
                !widget->inherits("QTabBar") && !widget->objectName().startsWith("qt_"))
                QVERIFY2(!accessible(widget)->text(QAccessible::Name).isEmpty(),
                         qPrintable(widget->objectName() + ' ' +
                                    widget->parentWidget()->metaObject()->className()));
        }
    }

    // Every entry of the journal's menus has a letter of its own in its menu; the files open
    // are closed by their number.
    void journalMnemonics()
    {
        QTemporaryDir folder;
        JournalWindow window;
        readJournal(window, folder, "\"Anna\",11,10,10,10,0,0,5.125\r\n");
        QStringList problems;
        QStringList bar;
        for (QAction *action : window.menuBar()->actions()) {
            bar << action->text();
            collectMnemonics(*action->menu(), problems);
        }
        QCOMPARE(bar, (QStringList{"&Файл", "&Правка", "&Вид", "&Класс"}));
        QCOMPARE(problems, QStringList());
    }

    // Shift+F10 (and the menu key) on a row opens that row's menu, under it.
    void journalRowMenuFromKeyboard()
    {
        QTemporaryDir folder;
        JournalWindow window;
        readJournal(window, folder,
                    "\"Anna\",11,10,10,10,0,0,5.125\r\n\"Boris\",9,10,10,10,0,0,4.875\r\n");
        window.show();
        auto *pupils = window.findChild<QTableView *>("pupils");
        window.findChild<QTabWidget *>()->setCurrentWidget(pupils);
        pupils->setFocus();
        pupils->setCurrentIndex(pupils->model()->index(1, 0));
        QStringList seen;
        for (const bool menuKey : {false, true}) {
            QTimer::singleShot(0, [&] {
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                QVERIFY(menu);
                seen << QString::number(menu->actions().size()) +
                            (menu->geometry().contains(pupils->viewport()->mapToGlobal(
                                 pupils->visualRect(pupils->currentIndex()).center()))
                                 ? " at the row"
                                 : " elsewhere");
                menu->close();
            });
            if (menuKey) {
                QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                        pupils->mapToGlobal(QPoint(5, 5)));
                QApplication::sendEvent(pupils, &event);
            } else {
                QTest::keyClick(pupils, Qt::Key_F10, Qt::ShiftModifier);
            }
        }
        QCOMPARE(seen, (QStringList{"3 at the row", "3 at the row"}));
    }

    // Tab goes through the search row, the switches, the tabs and the table shown, then the
    // status bar's buttons.
    void journalTabOrder()
    {
        QTemporaryDir folder;
        JournalWindow window;
        readJournal(window, folder, "\"Anna\",11,10,10,10,0,0,5.125\r\nbad\r\n");
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.findChild<QLineEdit *>("search")->setFocus();
        QStringList order;
        for (int i = 0; i < 9; ++i) {
            QWidget *focused = QApplication::focusWidget();
            order << (focused->objectName().isEmpty() ? focused->metaObject()->className()
                                                      : focused->objectName());
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(order.join(' '), "search period startLesson doubtfulOnly countDoubtful "
                                  "qt_tabwidget_tabbar records skippedButton search");
    }

    // A menu separator has no text, so it shows its line only and has no name; its caption
    // still reads "-".
    void menuSeparators()
    {
        TestSession session;
        Form &course = shown(session, "Form1");
        for (const char *name : {"mnuMin", "mnuMin2"}) {
            QAction *action = course.control<MenuItem>(name).action();
            QCOMPARE(course.control<MenuItem>(name).caption(), QStringLiteral("-"));
            QVERIFY(action->isSeparator() && action->text().isEmpty());
            auto *menu = qobject_cast<QMenu *>(action->associatedObjects().value(0));
            QAccessibleInterface *separator =
                accessible(menu)->child(int(menu->actions().indexOf(action)));
            QCOMPARE(separator->object(), action);
            QCOMPARE(separator->role(), QAccessible::Separator);
            QCOMPARE(separator->text(QAccessible::Name), QString());
        }
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
