#include "dd.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "form4.h"
#include "fres.h"
#include "image.h"
#include "label.h"
#include "menuitem.h"
#include "picturebox.h"
#include "pictures.h"
#include "testsession.h"
#include "usermouse.h"

#include <QApplication>
#include <QBitmap>
#include <QFile>
#include <QImageReader>
#include <QMainWindow>
#include <QTest>
#include <QtEndian>

namespace {

// Desktop colours unlike any fixed colour, so that a colour taken from the wrong place shows.
const QColor kTitleText(255, 240, 200), kHighlightText(200, 230, 255), kYellow(255, 255, 0);

// The tables read best a case to a line or two.
// clang-format off

// A window as the course window's command shows it (the results window has none); its icon is
// the program's where it has none of its own.
struct WindowCase
{
    const char *window, *command, *caption, *icon;
    QColor back; QSize clientTwips; int widgetsOnClientArea;
};
const WindowCase kWindows[] = {
    {"Form2", "mnuAut", "Об авторе", ":/toymouse.ico", kTitleText, {4200, 3624}, 4},
    {"Form3", "mnuRules", "Правила игры", ":/toymouse.ico", kHighlightText, {3960, 5988}, 2},
    {"DD", "mnuChoose", "Поместите в нужный раздел", ":/flags/russia.ico", kTitleText, {7620, 3948}, 15},
    {"Form4", "mnuCatch", "Поймай мышь", ":/toymouse.ico", kYellow, {4320, 3840}, 8},
    {"FRes", nullptr, "Результаты", ":/toymouse.ico", QColor(128, 255, 128), {7668, 4176}, 88},
};

// A control of each kind in each window. Not checked: a null caption or picture, an invalid
// colour, 0 lines of text as drawn (an empty caption is given a number first).
struct ControlCase
{
    const char *window, *name; int index; QRectF twips;
    const char *caption, *picture; QColor back, fore; int lines; bool centred;
};
const ControlCase kControls[] = {
    {"Form2", "Picture1", -1, {3120, 120, 852, 732}, nullptr, ":/portrait.gif", kTitleText, {}, 0, false},
    // The heading and the name on two lines.
    {"Form2", "Label1", -1, {120, 120, 2772, 972}, nullptr, nullptr, kTitleText, {}, 2, true},
    {"Form3", "Label1", -1, {120, 120, 3492, 372}, "Правила игры", nullptr, kHighlightText, {}, 1, true},
    {"DD", "Picture1", 11, {6720, 240, 492, 492}, nullptr, ":/flags/usa.ico", QColor(0, 0, 255), {}, 0, false},
    // Wraps inside its border.
    {"DD", "Label1", -1, {0, 1440, 1452, 2532}, "Северная Америка", nullptr, kTitleText, QColor(128, 0, 0), 2, true},
    {"Form4", "lblSuccess", -1, {240, 2040, 3852, 852}, "победа", nullptr, kYellow, {}, 1, true},
    {"Form4", "imSuc", -1, {840, 240, 2772, 1812}, nullptr, ":/toymouse.ico", {}, {}, 0, false},
    {"FRes", "lblFIO", 0, {120, 120, 1932, 252}, "Имя", nullptr, QColor(128, 64, 0), kHighlightText, 1, true},
    {"FRes", "Label8", 9, {6840, 3720, 612, 252}, "", nullptr, kYellow, {}, 1, false},
};
// clang-format on

const QString kRules = QStringLiteral(
    "Вы указываете начальный капитал, который имеется на Вашем счету, и затем можете делать "
    "ставки, не превышающие сумму Вашего счета.\r\n\r\n"
    " После нажатия на кнопку ПУСК в окнах меняются цифры. По истечению 25 секунд цифры "
    "останавливаются. \r\n\r\n"
    " При выпадении трех одинаковых цифр Ваша ставка утраивается, а двух одинаковых - "
    "удваивается. Если все цифры разные, то Вы теряете свои деньги. \r\n\r\n"
    " Игра прекращается либо по Вашему желанию, либо при обнулении Вашего счета");

// One row a case, tagged with its window and what it shows.
template <class Case, std::size_t N>
void addRows(const Case (&cases)[N], const char *const Case::*what)
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(N); ++i)
        QTest::addRow("%s %s", cases[i].window, cases[i].*what) << i;
}

Form &formNamed(Program &p, const char *name)
{
    const QList<Form *> forms{&p.form2(), &p.form3(), &p.form4(), &p.dd(), &p.fres()};
    return **std::find_if(forms.begin(), forms.end(),
                          [&](Form *form) { return qstrcmp(form->layout().name, name) == 0; });
}

void closeWithCloseBox(Form &form)
{
    form.window()->close();
    // The unloaded window is deleted on the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

int word(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// Where a label's text lands as drawn: the box around the pixels unlike its background (the
// outermost pixels, where a border is, left aside).
QRect inkBox(const Label &label)
{
    const QRect inside = label.widget()->rect().adjusted(1, 1, -1, -1);
    const QImage image = label.widget()->grab(inside).toImage();
    const QRgb back = label.backColor().rgb();
    return QRegion(QBitmap::fromImage(image.createMaskFromColor(back))).boundingRect();
}

} // namespace

// The five windows beside the course window as they load, the commands that open them, and the
// pictures drawn for the program.
class WindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::BrightText, kTitleText);
        palette.setColor(QPalette::HighlightedText, kHighlightText);
        QApplication::setPalette(palette);
        Program program; // registers the pictures
    }

    // Each window as its command shows it: one modeless window without an owner, the same one
    // when chosen again, a new one after the close box.
    void windows_data() { addRows(kWindows, &WindowCase::caption); }
    void windows()
    {
        QFETCH(int, row);
        const WindowCase &w = kWindows[row];
        TestSession session;
        session.start();
        Form &form = formNamed(session.program(), w.window);
        MenuItem *item =
            w.command ? &session.program().form1().control<MenuItem>(w.command) : nullptr;
        item ? UserMouse::choose(*item) : form.show();
        QVERIFY(form.isShown());
        QCOMPARE(form.window()->windowTitle(), QString(w.caption));
        QCOMPARE(form.backColor(), w.back);
        QCOMPARE(form.surface()->size(), w.clientTwips / 15);
        QCOMPARE(form.surface()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly).size(),
                 w.widgetsOnClientArea);
        QCOMPARE(argb(form.window()->windowIcon().pixmap(32).toImage()), argb(QImage(w.icon)));
        if (!item)
            return;
        const QMainWindow *first = form.window();
        QVERIFY(!first->parentWidget() && !first->isModal() && !QApplication::activeModalWidget());
        UserMouse::choose(*item);
        QCOMPARE(form.window(), first);
        closeWithCloseBox(form);
        QVERIFY(!form.isLoaded());
        UserMouse::choose(*item);
        QVERIFY(form.isShown());
        QCOMPARE(session.dialogs.takeAsked().size(), 1); // the name prompt only
    }

    // A control of each kind in each window as the runtime built it: place and size in twips
    // and on the screen, caption, colours, picture (the large image of an icon), and its text
    // as drawn: how many lines, centred or at the left.
    void controls_data() { addRows(kControls, &ControlCase::name); }
    void controls()
    {
        QFETCH(int, row);
        const ControlCase &c = kControls[row];
        TestSession session;
        Form &form = formNamed(session.program(), c.window);
        form.show();
        auto &control = form.control<BoxControl>(c.name, c.index);
        QCOMPARE(QRectF(control.left(), control.top(), control.width(), control.height()), c.twips);
        QCOMPARE(control.widget()->geometry(),
                 QRect((c.twips.topLeft() / 15).toPoint(), (c.twips.size() / 15).toSize()));
        if (c.back.isValid())
            QCOMPARE(control.backColor(), c.back);
        if (c.fore.isValid())
            QCOMPARE(control.foreColor(), c.fore);
        if (c.picture) {
            const auto *box = dynamic_cast<PictureBox *>(&control);
            const QPixmap &shown = box ? box->picture() : dynamic_cast<Image &>(control).picture();
            QCOMPARE(argb(shown.toImage()), argb(QImage(c.picture)));
        }
        auto *label = dynamic_cast<Label *>(&control);
        if (c.caption)
            QCOMPARE(label->caption(), QString(c.caption));
        if (c.lines == 0)
            return;
        if (label->caption().isEmpty())
            label->setCaption(QStringLiteral("4,125"));
        const QRect ink = inkBox(*label);
        const int rightMargin = label->widget()->width() - 3 - ink.right();
        QCOMPARE(ink.height() > QFontMetrics(label->font()).lineSpacing() ? 2 : 1, c.lines);
        QVERIFY(c.centred ? qAbs(ink.left() - rightMargin) <= 4 : ink.left() <= 2);
    }

    // The rules and the About texts are the same at each opening: set whole, never appended.
    // About: the heading and the authors' name on two lines, then the position and the credit.
    void textsAtEachOpening()
    {
        TestSession session;
        session.start();
        Form &about = session.program().form2();
        const auto text = [&](const char *name) { return about.control<Label>(name).caption(); };
        for (int opening = 0; opening < 2; ++opening) {
            UserMouse::choose(session.program().form1().control<MenuItem>("mnuRules"));
            UserMouse::choose(session.program().form1().control<MenuItem>("mnuAut"));
            QCOMPARE(session.program().form3().control<Label>("Label2").caption(), kRules);
            QStringList texts = text("Label1").split("\r\n") << text("Label2") << text("Label3");
            QCOMPARE(texts.value(0), QStringLiteral("Автор программы"));
            QCOMPARE((QList<qsizetype>{texts.size(), texts.value(1).size(), texts.value(2).size(),
                                       texts.value(3).size()}),
                     (QList<qsizetype>{4, 26, 31, 75}));
            closeWithCloseBox(session.program().form3());
            closeWithCloseBox(about);
        }
    }

    void icons_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *path : {Pictures::ToyMouse, Pictures::WhiteTiltedMouse,
                                 Pictures::GreyTiltedMouse, Pictures::UprightMouse})
            QTest::newRow(path) << QString(path);
        for (const char *path : Pictures::Flags)
            QTest::newRow(path) << QString(path);
    }

    // Each icon holds a 32 x 32 and then a 16 x 16 image of 16 colours on a transparent
    // background.
    void icons()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.size() > 38);
        // Reserved, type icon, 2 entries; each entry's width, height, colours, bits a pixel.
        QList<int> header{word(bytes, 0), word(bytes, 2), word(bytes, 4)};
        for (int at : {6, 22})
            header << quint8(bytes[at]) << quint8(bytes[at + 1]) << quint8(bytes[at + 2])
                   << word(bytes, at + 6);
        QCOMPARE(header, (QList<int>{0, 1, 2, 32, 32, 16, 4, 16, 16, 16, 4}));
        QImageReader reader(path);
        for (int size : {32, 16}) {
            const QImage image = reader.read();
            QCOMPARE(image.size(), QSize(size, size));
            QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
            reader.jumpToNextImage();
        }
    }

    // The portrait: a 69 x 64 interlaced GIF87a with a 256-entry global palette.
    void portrait()
    {
        QFile file(QStringLiteral(":/portrait.gif"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const qsizetype image = 13 + 3 * 256; // the image descriptor, past header and palette
        QVERIFY(bytes.size() > image + 10 && bytes.startsWith("GIF87a"));
        // Screen size, palette flag and size; descriptor mark, image size and interlace flag.
        QCOMPARE((QList<int>{word(bytes, 6), word(bytes, 8), quint8(bytes[10]) & 0x87,
                             quint8(bytes[image]), word(bytes, image + 5), word(bytes, image + 7),
                             quint8(bytes[image + 9]) & 0x40}),
                 (QList<int>{69, 64, 0x87, 0x2C, 69, 64, 0x40}));
        QCOMPARE(QImage(file.fileName()).size(), QSize(69, 64));
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
