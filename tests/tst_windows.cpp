#include "dd.h"
#include "form.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "form4.h"
#include "form4layout.h"
#include "fres.h"
#include "image.h"
#include "label.h"
#include "menuitem.h"
#include "picturebox.h"
#include "testsession.h"
#include "timer.h"
#include "usermouse.h"

#include <QAction>
#include <QApplication>
#include <QImageReader>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScopeGuard>
#include <QTest>

// The five windows beside the course window, as they load from their stored layouts, and the
// course window's commands that open them.
class WindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void controlGeometry_data();
    void controlGeometry();
    void controlLooks_data();
    void controlLooks();
    void textPlacement_data();
    void textPlacement();
    void controlPictures_data();
    void controlPictures();
    void windowLooks_data();
    void windowLooks();
    void systemColoursFollowThePalette();

    void commandShowsOneWindow_data();
    void commandShowsOneWindow();
    void rulesText();
    void rulesShowFourParagraphs();
    void aboutTexts();

    void flagsStandInOneRow();
    void resultsGridIsEmpty();
    void catchGameAsOpened();
    void catchGameAsStored();
};

namespace {

Form &formNamed(Program &program, const QString &name)
{
    if (name == QLatin1String("Form2"))
        return program.form2();
    if (name == QLatin1String("Form3"))
        return program.form3();
    if (name == QLatin1String("Form4"))
        return program.form4();
    if (name == QLatin1String("DD"))
        return program.dd();
    if (name == QLatin1String("FRes"))
        return program.fres();
    qFatal("no window %s", qPrintable(name));
}

Form &shown(Program &program, const QString &name)
{
    Form &form = formNamed(program, name);
    form.show();
    return form;
}

QColor titleText()
{
    return QApplication::palette().color(QPalette::Active, QPalette::BrightText);
}

QColor highlightText()
{
    return QApplication::palette().color(QPalette::Active, QPalette::HighlightedText);
}

int pixels(double twips)
{
    return qRound(twips / 15.0);
}

// The image of the given size inside an icon file, or the only image of another file.
QImage fileImage(const QString &path, int size = 0)
{
    QImageReader reader(path);
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (size == 0 || image.width() == size)
            return image.convertToFormat(QImage::Format_ARGB32);
    }
    return {};
}

// One line of text as drawn: the rows it covers and how far its ink reaches left and right.
struct InkLine
{
    int top, bottom, left, right;
};

// Finds the lines of text in a control as it paints itself: runs of rows that hold pixels
// clearly unlike the background. `inset` skips a border.
QList<InkLine> inkLines(QWidget *widget, const QColor &background, int inset = 0)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto isInk = [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return qAbs(qRed(p) - background.red()) + qAbs(qGreen(p) - background.green()) +
                   qAbs(qBlue(p) - background.blue()) >
               96;
    };
    QList<InkLine> lines;
    bool inLine = false;
    for (int y = inset; y < image.height() - inset; ++y) {
        int left = -1, right = -1;
        for (int x = inset; x < image.width() - inset; ++x) {
            if (isInk(x, y)) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        if (left < 0) {
            inLine = false;
            continue;
        }
        if (!inLine)
            lines.append({y, y, left, right});
        InkLine &line = lines.last();
        line.bottom = y;
        line.left = std::min(line.left, left);
        line.right = std::max(line.right, right);
        inLine = true;
    }
    return lines;
}

const QString kRules = QStringLiteral(
    "Вы указываете начальный капитал, который имеется на Вашем счету, и затем можете делать "
    "ставки, не превышающие сумму Вашего счета.\r\n\r\n"
    " После нажатия на кнопку ПУСК в окнах меняются цифры. По истечению 25 секунд цифры "
    "останавливаются. \r\n\r\n"
    " При выпадении трех одинаковых цифр Ваша ставка утраивается, а двух одинаковых - "
    "удваивается. Если все цифры разные, то Вы теряете свои деньги. \r\n\r\n"
    " Игра прекращается либо по Вашему желанию, либо при обнулении Вашего счета");

MenuItem &menuCommand(TestSession &session, const char *name)
{
    return session.program().form1().control<MenuItem>(QString::fromLatin1(name));
}

void closeWithCloseBox(Form &form)
{
    form.window()->close();
    // The unloaded window is deleted on the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int shownWindowsTitled(const QString &title)
{
    int count = 0;
    for (const QWidget *w : QApplication::topLevelWidgets())
        count += w->isVisible() && w->windowTitle() == title;
    return count;
}

// The results table's columns: cell array, left and width in twips.
struct Column
{
    const char *cells;
    float left, width;
};
constexpr Column kResultColumns[8] = {
    {"Label1", 120, 1932}, {"Label2", 2280, 612}, {"Label3", 3000, 612}, {"Label4", 3720, 612},
    {"Label5", 4440, 612}, {"Label6", 5160, 612}, {"Label7", 5880, 612}, {"Label8", 6840, 612},
};

} // namespace

void WindowsTest::controlGeometry_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    const auto row = [](const char *window, const char *name, int index, float left, float top,
                        float width, float height) {
        QTest::addRow("%s.%s(%d)", window, name, index)
            << QString::fromLatin1(window) << QString::fromLatin1(name) << index << left << top
            << width << height;
    };
    row("Form2", "Picture1", -1, 3120, 120, 852, 732);
    row("Form2", "Label3", -1, 120, 2280, 3492, 732);
    row("Form2", "Label2", -1, 240, 1320, 3372, 732);
    row("Form2", "Label1", -1, 120, 120, 2772, 972);
    row("Form3", "Label2", -1, 120, 720, 3732, 5172);
    row("Form3", "Label1", -1, 120, 120, 3492, 372);
    for (int i = 0; i < 12; ++i)
        row("DD", "Picture1", i, 120 + 600 * i, 240, 492, 492);
    row("DD", "Label1", -1, 0, 1440, 1452, 2532);
    row("DD", "Label2", -1, 1440, 1440, 5052, 2532);
    row("DD", "Label3", -1, 6480, 1440, 1212, 2532);
    // The catch game's own load moves `pic`: its place is checked in catchGameAsStored.
    row("Form4", "lblSuccess", -1, 240, 2040, 3852, 852);
    row("Form4", "imSuc", -1, 840, 240, 2772, 1812);
    for (int i = 0; i < 5; ++i)
        row("Form4", "Image1", i, 1920 + 480 * i, 3360, 372, 372);
    const char *headers[8] = {"lblFIO",  "lblLeft",  "lblRight", "lblDouble",
                              "lblMove", "lblGame1", "lblGame2", "lblTotal"};
    for (int c = 0; c < 8; ++c) {
        const Column &column = kResultColumns[c];
        row("FRes", headers[c], c == 0 ? 0 : -1, column.left, 120, column.width, 252);
        for (int i = 0; i < 10; ++i)
            row("FRes", column.cells, i, column.left, 480 + 360 * i, column.width, 252);
    }
}

// Every control stands where its window's layout puts it, in twips and on the screen.
void WindowsTest::controlGeometry()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(float, left);
    QFETCH(float, top);
    QFETCH(float, width);
    QFETCH(float, height);

    TestSession session;
    Form &form = shown(session.program(), window);
    auto &control = form.control<BoxControl>(name, index);
    QCOMPARE(control.left(), left);
    QCOMPARE(control.top(), top);
    QCOMPARE(control.width(), width);
    QCOMPARE(control.height(), height);
    QCOMPARE(control.widget()->parentWidget(), form.surface());
    QCOMPARE(control.widget()->geometry(),
             QRect(pixels(left), pixels(top), pixels(width), pixels(height)));
}

void WindowsTest::controlLooks_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption"); // a null text: the control has no caption
    QTest::addColumn<QColor>("back");
    QTest::addColumn<QColor>("fore");  // invalid: not checked
    QTest::addColumn<QString>("face"); // empty: the window's font
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");

    const QColor title = titleText();
    const QColor highlight = highlightText();
    const QColor yellow(255, 255, 0);
    const auto row = [](const char *window, const char *name, int index, const QString &caption,
                        const QColor &back, const QColor &fore, const char *face, double points,
                        bool bold, bool italic) {
        QTest::addRow("%s.%s(%d)", window, name, index)
            << QString::fromLatin1(window) << QString::fromLatin1(name) << index << caption << back
            << fore << QString::fromLatin1(face) << points << bold << italic;
    };
    row("Form2", "Picture1", -1, {}, title, {}, "", 0, false, false);
    row("Form2", "Label3", -1, {}, title, {}, "Times New Roman", 7.8, false, false);
    row("Form2", "Label2", -1, {}, title, {}, "Monotype Corsiva", 10.2, false, true);
    row("Form2", "Label1", -1, {}, title, {}, "Monotype Corsiva", 12, true, true);
    row("Form3", "Label2", -1, {}, highlight, {}, "MS Sans Serif", 9.6, false, false);
    row("Form3", "Label1", -1, QStringLiteral("Правила игры"), highlight, {}, "MS Sans Serif", 13.2,
        false, false);
    const QColor darkRed(128, 0, 0);
    row("DD", "Label1", -1, QStringLiteral("Северная Америка"), title, darkRed, "MS Sans Serif",
        10.8, true, false);
    row("DD", "Label2", -1, QStringLiteral("Европа"), title, darkRed, "MS Sans Serif", 10.8, true,
        false);
    row("DD", "Label3", -1, QStringLiteral("Азия"), title, darkRed, "MS Sans Serif", 10.8, true,
        false);
    row("DD", "Picture1", 0, {}, QColor(0, 0, 255), {}, "", 0, false, false);
    row("DD", "Picture1", 11, {}, QColor(0, 0, 255), {}, "", 0, false, false);
    row("Form4", "pic", -1, {}, yellow, {}, "", 0, false, false);
    row("Form4", "lblSuccess", -1, QStringLiteral("победа"), yellow, {}, "MS Sans Serif", 28.8,
        true, false);
    const QColor brown(128, 64, 0);
    const char *headers[8][2] = {{"lblFIO", "Имя"},      {"lblLeft", "Левая"},
                                 {"lblRight", "Правая"}, {"lblDouble", "Двойной"},
                                 {"lblMove", "Движ"},    {"lblGame1", "Игра 1"},
                                 {"lblGame2", "Игра 2"}, {"lblTotal", "Итог"}};
    for (int c = 0; c < 8; ++c) {
        row("FRes", headers[c][0], c == 0 ? 0 : -1, QString::fromUtf8(headers[c][1]), brown,
            highlight, "MS Sans Serif", 6.6, true, false);
    }
}

// Captions, colours and fonts as the layouts give them.
void WindowsTest::controlLooks()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QColor, back);
    QFETCH(QColor, fore);
    QFETCH(QString, face);
    QFETCH(double, points);
    QFETCH(bool, bold);
    QFETCH(bool, italic);

    TestSession session;
    Form &form = shown(session.program(), window);
    auto &control = form.control<BoxControl>(name, index);
    if (!caption.isNull())
        QCOMPARE(form.control<Label>(name, index).caption(), caption);
    QCOMPARE(control.backColor(), back);
    if (fore.isValid())
        QCOMPARE(control.foreColor(), fore);
    // The catch game's load hides its victory display; catchGameAsStored sees it as stored.
    if (window != QLatin1String("Form4"))
        QVERIFY(control.visible());
    QVERIFY(control.enabled());
    if (face.isEmpty())
        return;
    const QFont font = control.font();
    QCOMPARE(font.family(), face);
    QVERIFY2(qAbs(font.pointSizeF() - points) < 0.01,
             qPrintable(QString::number(font.pointSizeF())));
    QCOMPARE(font.bold(), bold);
    QCOMPARE(font.italic(), italic);
}

void WindowsTest::textPlacement_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("centred");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("border");
    QTest::addColumn<QString>("text"); // written into an empty cell first

    const auto row = [](const char *window, const char *name, int index, bool centred, int lines,
                        int border, const char *text = nullptr) {
        QTest::addRow("%s.%s(%d)", window, name, index)
            << QString::fromLatin1(window) << QString::fromLatin1(name) << index << centred << lines
            << border << QString::fromUtf8(text);
    };
    row("Form2", "Label1", -1, true, 2, 0); // the heading and the name
    row("Form2", "Label2", -1, true, 1, 0);
    row("Form2", "Label3", -1, true, 2, 0); // the credit wraps within its width
    row("Form3", "Label1", -1, true, 1, 0);
    row("DD", "Label1", -1, true, 2, 1); // "Северная Америка" wraps within its width
    row("DD", "Label2", -1, true, 1, 1);
    row("DD", "Label3", -1, true, 1, 1);
    row("Form4", "lblSuccess", -1, true, 1, 0);
    row("FRes", "lblFIO", 0, true, 1, 0);
    row("FRes", "lblDouble", -1, true, 1, 0);
    // Result cells: the name and the two button columns centred, the others left-aligned.
    row("FRes", "Label1", 0, true, 1, 0, "Ученик");
    row("FRes", "Label3", 9, true, 1, 0, "10");
    row("FRes", "Label4", 0, false, 1, 0, "10");
    row("FRes", "Label8", 9, false, 1, 0, "4,125");
}

// Where the text of a label lands as it is drawn: centred labels put every line in the middle,
// and a caption wraps onto as many lines as its width needs.
void WindowsTest::textPlacement()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(bool, centred);
    QFETCH(int, lines);
    QFETCH(int, border);
    QFETCH(QString, text);

    TestSession session;
    Form &form = shown(session.program(), window);
    auto &label = form.control<Label>(name, index);
    if (!text.isEmpty())
        label.setCaption(text);
    QWidget *widget = label.widget();
    const QList<InkLine> ink = inkLines(widget, label.backColor(), border);
    QCOMPARE(ink.size(), lines);
    for (const InkLine &line : ink) {
        const int leftGap = line.left - border;
        const int rightGap = widget->width() - border - 1 - line.right;
        if (centred)
            QVERIFY2(qAbs(leftGap - rightGap) <= 4,
                     qPrintable(QStringLiteral("gaps %1 and %2").arg(leftGap).arg(rightGap)));
        else
            QVERIFY2(leftGap <= 2, qPrintable(QStringLiteral("gap %1").arg(leftGap)));
    }
}

void WindowsTest::controlPictures_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("path");

    const auto row = [](const char *window, const char *name, int index, const char *path) {
        QTest::addRow("%s.%s(%d)", window, name, index)
            << QString::fromLatin1(window) << QString::fromLatin1(name) << index
            << QString::fromLatin1(path);
    };
    row("Form2", "Picture1", -1, ":/portrait.gif");
    row("Form4", "pic", -1, ":/toymouse.ico");
    row("Form4", "imSuc", -1, ":/toymouse.ico");
    for (int i = 0; i < 5; ++i)
        row("Form4", "Image1", i, ":/mouse_grey_tilted.ico");
    const char *flags[12] = {"denmark", "finland", "germany", "italy",          "japan",  "norway",
                             "russia",  "sweden",  "turkey",  "united_kingdom", "canada", "usa"};
    for (int i = 0; i < 12; ++i)
        row("DD", "Picture1", i, qPrintable(QStringLiteral(":/flags/%1.ico").arg(flags[i])));
}

// Each picture control shows its own picture: the large image of an icon, the portrait whole.
void WindowsTest::controlPictures()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, path);

    TestSession session;
    Form &form = shown(session.program(), window);
    QPixmap picture;
    if (auto *box = dynamic_cast<PictureBox *>(
            form.findControl(index < 0 ? name : QStringLiteral("%1_%2").arg(name).arg(index))))
        picture = box->picture();
    else
        picture = form.control<Image>(name, index).picture();
    const QImage expected = fileImage(path, path.endsWith(QLatin1String(".ico")) ? 32 : 0);
    QVERIFY(!expected.isNull());
    QCOMPARE(picture.toImage().convertToFormat(QImage::Format_ARGB32), expected);
}

void WindowsTest::windowLooks_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("back");
    QTest::addColumn<QSize>("client"); // twips
    QTest::addColumn<bool>("menu");
    QTest::addColumn<QString>("icon"); // empty: none of its own

    QTest::newRow("Form2") << "Form2"
                           << "Об авторе" << titleText() << QSize(4200, 3624) << false << "";
    QTest::newRow("Form3") << "Form3"
                           << "Правила игры" << highlightText() << QSize(3960, 5988) << false << "";
    QTest::newRow("DD") << "DD"
                        << "Поместите в нужный раздел" << titleText() << QSize(7620, 3948) << false
                        << ":/flags/russia.ico";
    QTest::newRow("Form4") << "Form4"
                           << "Поймай мышь" << QColor(255, 255, 0) << QSize(4320, 3840) << true
                           << ":/toymouse.ico";
    QTest::newRow("FRes") << "FRes"
                          << "Результаты" << QColor(128, 255, 128) << QSize(7668, 4176) << false
                          << "";
}

// Each window's caption, background, client size, menu bar and icon.
void WindowsTest::windowLooks()
{
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QColor, back);
    QFETCH(QSize, client);
    QFETCH(bool, menu);
    QFETCH(QString, icon);

    TestSession session;
    Form &form = shown(session.program(), window);
    QCOMPARE(form.caption(), caption);
    QCOMPARE(form.window()->windowTitle(), caption);
    QCOMPARE(form.backColor(), back);
    QCOMPARE(form.surface()->size(), QSize(pixels(client.width()), pixels(client.height())));
    QCOMPARE(form.window()->menuWidget() != nullptr, menu);
    if (!icon.isEmpty()) {
        const QImage shownIcon = form.window()->windowIcon().pixmap(32, 32).toImage();
        QCOMPARE(shownIcon.convertToFormat(QImage::Format_ARGB32), fileImage(icon, 32));
    }
}

// The title-text and highlight-text colours are the desktop's, read when a window loads.
void WindowsTest::systemColoursFollowThePalette()
{
    const QPalette original = QApplication::palette();
    const QColor title(12, 34, 56);
    const QColor highlight(200, 100, 50);
    QPalette palette = original;
    palette.setColor(QPalette::BrightText, title);
    palette.setColor(QPalette::HighlightedText, highlight);
    QApplication::setPalette(palette);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(original); });

    TestSession session;
    Program &program = session.program();
    program.form2().show();
    QCOMPARE(program.form2().backColor(), title);
    QCOMPARE(program.form2().control<Label>(QStringLiteral("Label1")).backColor(), title);
    program.form3().show();
    QCOMPARE(program.form3().backColor(), highlight);
    QCOMPARE(program.form3().control<Label>(QStringLiteral("Label2")).backColor(), highlight);
    program.dd().show();
    QCOMPARE(program.dd().backColor(), title);
    QCOMPARE(program.dd().control<Label>(QStringLiteral("Label3")).backColor(), title);
    program.fres().show();
    QCOMPARE(program.fres().control<Label>(QStringLiteral("lblTotal")).foreColor(), highlight);

    // What the window paints is that colour too.
    const QImage painted = program.form3().surface()->grab().toImage();
    QCOMPARE(QColor(painted.pixel(painted.width() - 2, 2)), highlight);
}

void WindowsTest::commandShowsOneWindow_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Поймай") << "mnuCatch"
                            << "Form4"
                            << "Поймай мышь";
    QTest::newRow("Помести в нужный раздел") << "mnuChoose"
                                             << "DD"
                                             << "Поместите в нужный раздел";
    QTest::newRow("Помощь") << "mnuRules"
                            << "Form3"
                            << "Правила игры";
    QTest::newRow("Об авторе") << "mnuAut"
                               << "Form2"
                               << "Об авторе";
}

// A command shows the one window of its kind, without an owner and without a modal state;
// choosing it again shows the same window; after the close box it loads a new one.
void WindowsTest::commandShowsOneWindow()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(QString, caption);

    TestSession session;
    session.start();
    Form &form = formNamed(session.program(), window);
    MenuItem &item = menuCommand(session, qPrintable(command));
    QCOMPARE(item.caption(), QString::fromUtf8(QTest::currentDataTag()));

    UserMouse::choose(item);
    QVERIFY(form.isShown());
    QPointer<QMainWindow> first = form.window();
    QCOMPARE(first->parentWidget(), nullptr);
    QVERIFY(!first->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(session.program().form1().isShown());
    QVERIFY(session.program().form1().window()->isEnabled());

    UserMouse::choose(item);
    QCOMPARE(form.window(), first.data());
    QCOMPARE(shownWindowsTitled(caption), 1);

    closeWithCloseBox(form);
    QVERIFY(first.isNull());
    QVERIFY(!form.isLoaded());
    QCOMPARE(shownWindowsTitled(caption), 0);
    UserMouse::choose(item);
    QVERIFY(form.isShown());
    QVERIFY(form.window());
    QCOMPARE(shownWindowsTitled(caption), 1);
    QCOMPARE(session.dialogs.takeAsked().size(), 1); // the name prompt only
    QCOMPARE(session.endCount, 0);
}

// "Помощь" shows the rules: four paragraphs, one empty line between neighbours, set whole at
// each load, so a reopened window shows them once.
void WindowsTest::rulesText()
{
    QCOMPARE(kRules.size(), 459);
    TestSession session;
    session.start();
    Form3 &form = session.program().form3();
    for (int opening = 1; opening <= 3; ++opening) {
        UserMouse::choose(menuCommand(session, "mnuRules"));
        QCOMPARE(form.control<Label>(QStringLiteral("Label2")).caption(), kRules);
        QCOMPARE(form.control<Label>(QStringLiteral("Label1")).caption(),
                 QStringLiteral("Правила игры"));
        closeWithCloseBox(form);
    }
}

// As drawn, the rules are four blocks of lines with an empty line between neighbours, and
// the space that starts paragraphs 2 to 4 shows as an indent.
void WindowsTest::rulesShowFourParagraphs()
{
    TestSession session;
    Form3 &form = session.program().form3();
    form.show();
    auto &label = form.control<Label>(QStringLiteral("Label2"));
    const QList<InkLine> lines = inkLines(label.widget(), label.backColor());
    QVERIFY(lines.size() >= 4);

    const int lineHeight = QFontMetrics(label.font()).height();
    QList<InkLine> firstLines{lines.first()};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        // An empty line leaves a gap of about one line's height.
        if (lines[i].top - lines[i - 1].bottom > lineHeight * 3 / 4)
            firstLines.append(lines[i]);
    }
    QCOMPARE(firstLines.size(), 4);
    QVERIFY(firstLines[0].left <= 2);
    for (int p = 1; p < 4; ++p)
        QVERIFY2(
            firstLines[p].left > firstLines[0].left + 1,
            qPrintable(
                QStringLiteral("paragraph %1 starts at %2").arg(p + 1).arg(firstLines[p].left)));
    QVERIFY(lines.last().bottom < label.widget()->height() - 1);
}

// "Об авторе": the heading and the authors' name on two lines of the first label, the
// position and the credit in the others, each of its fixed length; set again at each load.
void WindowsTest::aboutTexts()
{
    TestSession session;
    session.start();
    Form2 &form = session.program().form2();
    for (int opening = 1; opening <= 2; ++opening) {
        UserMouse::choose(menuCommand(session, "mnuAut"));
        const QStringList heading =
            form.control<Label>(QStringLiteral("Label1")).caption().split(QStringLiteral("\r\n"));
        QCOMPARE(heading.size(), 2);
        QCOMPARE(heading[0], QStringLiteral("Автор программы"));
        QCOMPARE(heading[1].size(), 26);
        const QString position = form.control<Label>(QStringLiteral("Label2")).caption();
        const QString credit = form.control<Label>(QStringLiteral("Label3")).caption();
        QCOMPARE(position.size(), 31);
        QCOMPARE(credit.size(), 75);
        for (const QString &line : {heading[1], position, credit}) {
            QCOMPARE(line.trimmed(), line);
            QVERIFY(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
        }
        closeWithCloseBox(form);
    }
}

// The sort game's twelve flags: one row, 108 twips apart, each one draggable.
void WindowsTest::flagsStandInOneRow()
{
    TestSession session;
    DD &form = session.program().dd();
    form.show();
    QCOMPARE(form.controlCount(QStringLiteral("Picture1")), 12);
    for (int i = 0; i < 12; ++i) {
        auto &flag = form.control<PictureBox>(QStringLiteral("Picture1"), i);
        QCOMPARE(flag.index(), i);
        QCOMPARE(flag.top(), 240.0f);
        QVERIFY(flag.dragAutomatic());
        if (i < 11) {
            auto &next = form.control<PictureBox>(QStringLiteral("Picture1"), i + 1);
            QCOMPARE(next.left() - (flag.left() + flag.width()), 108.0f);
        }
    }
    // A flag moved onto a section is drawn above it.
    auto &flag = form.control<PictureBox>(QStringLiteral("Picture1"), 0);
    flag.move(3000, 2000);
    QCOMPARE(form.surface()->childAt(UserMouse::centreOf(flag)), flag.widget());
}

// Before any result is written, the table is 8 x 10 empty yellow cells, 108 twips of the
// window's green between rows, in the window's own font.
void WindowsTest::resultsGridIsEmpty()
{
    TestSession session;
    FRes &form = session.program().fres();
    form.show();
    QCOMPARE(form.controlCount(QStringLiteral("lblFIO")), 1);
    for (const Column &column : kResultColumns) {
        const QString cells = QString::fromLatin1(column.cells);
        QCOMPARE(form.controlCount(cells), 10);
        for (int row = 0; row < 10; ++row) {
            auto &cell = form.control<Label>(cells, row);
            QCOMPARE(cell.index(), row);
            QCOMPARE(cell.caption(), QString());
            QCOMPARE(cell.backColor(), QColor(255, 255, 0));
            QCOMPARE(cell.font(), form.surface()->font());
            QVERIFY(cell.visible());
            if (row < 9) {
                auto &below = form.control<Label>(cells, row + 1);
                QCOMPARE(below.top() - (cell.top() + cell.height()), 108.0f);
            }
        }
    }
}

// The catch game opened from the menu, in what stays true once its own load has run: its menu,
// its pictures' sizes and its timers' intervals.
void WindowsTest::catchGameAsOpened()
{
    TestSession session;
    session.start();
    UserMouse::choose(menuCommand(session, "mnuCatch"));
    Form4 &form = session.program().form4();
    QVERIFY(form.isShown());

    QMenuBar *bar = form.window()->menuBar();
    QCOMPARE(bar->actions().size(), 1);
    QCOMPARE(bar->actions()[0]->text(), QStringLiteral("&Игра"));
    QMenu *game = bar->actions()[0]->menu();
    QVERIFY(game);
    const QList<QAction *> items = game->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0]->text(), QStringLiteral("Новая игра"));
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[2]->text(), QStringLiteral("Выход"));
    // The items by name are the ones in the menu; the separator reads back as a separator.
    QCOMPARE(form.control<MenuItem>(QStringLiteral("mnuGame")).action(), bar->actions()[0]);
    QCOMPARE(form.control<MenuItem>(QStringLiteral("mnuNew")).action(), items[0]);
    QCOMPARE(form.control<MenuItem>(QStringLiteral("mnuMin")).action(), items[1]);
    QCOMPARE(form.control<MenuItem>(QStringLiteral("mnuExit")).action(), items[2]);
    for (QAction *item : items)
        QVERIFY(item->isEnabled());

    auto &pic = form.control<PictureBox>(QStringLiteral("pic"));
    QCOMPARE(pic.width(), 492.0f);
    QCOMPARE(pic.height(), 372.0f);
    QCOMPARE(form.controlCount(QStringLiteral("Image1")), 5);
    QCOMPARE(form.control<Timer>(QStringLiteral("Timer1")).interval(), 100);
    QCOMPARE(form.control<Timer>(QStringLiteral("Timer2")).interval(), 300);
}

// The catch game's layout as stored, before any load handler changes it: everything visible,
// the victory display included, and both timers enabled.
void WindowsTest::catchGameAsStored()
{
    TestSession session;
    Form stored(form4Layout());
    stored.show();
    auto &pic = stored.control<PictureBox>(QStringLiteral("pic"));
    QCOMPARE(QPointF(pic.left(), pic.top()), QPointF(240, 240));
    QCOMPARE(stored.control<Label>(QStringLiteral("lblSuccess")).caption(),
             QStringLiteral("победа"));
    QList<BoxControl *> shownControls{&pic,
                                      &stored.control<BoxControl>(QStringLiteral("lblSuccess")),
                                      &stored.control<BoxControl>(QStringLiteral("imSuc"))};
    for (int i = 0; i < 5; ++i)
        shownControls.append(&stored.control<BoxControl>(QStringLiteral("Image1"), i));
    for (BoxControl *control : shownControls) {
        QVERIFY(control->visible());
        QVERIFY(control->widget()->isVisible());
    }
    for (const char *name : {"Timer1", "Timer2"})
        QVERIFY(stored.control<Timer>(QString::fromLatin1(name)).enabled());
}

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
