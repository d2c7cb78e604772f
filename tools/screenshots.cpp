// Takes the pictures of the README: starts the program with a fixed user name and no real
// boxes, opens every window through the course window's menu commands and saves each window
// as it shows itself, one PNG per window; then the teacher's journal on a made-up class, and
// its printed report as PDF.
//
// Usage: screenshots OUTPUT_FOLDER   (run it under a real or virtual X server)

#include "courserules.h"
#include "cp1251.h"
#include "crc32.h"
#include "datesfile.h"
#include "dd.h"
#include "dialogs.h"
#include "form.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "form4.h"
#include "fres.h"
#include "journalwindow.h"
#include "menuitem.h"
#include "periodbar.h"
#include "program.h"
#include "runtime.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QMainWindow>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Answers the name prompt with a fixed name and every message box with OK, so that no box
// waits for a person.
class AnsweringDialogs : public Dialogs
{
public:
    int messageBox(const QString &prompt, int, const QString &title) override
    {
        std::fprintf(stderr, "box \"%s\": %s\n", qPrintable(title), qPrintable(prompt));
        return BoxAnswer::Ok;
    }
    QString inputBox(const QString &, const QString &) override { return QStringLiteral("Ученик"); }
};

// Lets the window system map, lay out and paint the windows.
void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void choose(Form1 &form1, const char *command)
{
    form1.control<MenuItem>(QString::fromLatin1(command)).action()->trigger();
    settle(400);
}

bool save(QWidget *window, const QDir &folder, const char *file)
{
    const QString path = folder.filePath(QString::fromLatin1(file));
    if (!window || !window->isVisible()) {
        std::fprintf(stderr, "the window for %s is not shown\n", file);
        return false;
    }
    if (!window->grab().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool save(Form &form, const QDir &folder, const char *file)
{
    return save(form.window(), folder, file);
}

constexpr const char16_t *kNames[] = {u"Анна Козлова",   u"Борис Петров",   u"Вера Соколова",
                                      u"Глеб Иванов",    u"Дарья Лебедева", u"Егор Морозов",
                                      u"Алёна Новикова", u"Женя Волков",    u"Зоя Алексеева",
                                      u"Илья Фёдоров",   u"Кира Семёнова",  u"Лев Павлов"};

// Eighteen more for a class of thirty, one of whom typed a name of a hundred letters.
constexpr const char16_t *kMoreNames[] = {
    u"Максим Орлов",
    u"Мария-Антуанетта Александровна Преображенская-Святополк-Мирская из 5 «Б» класса, "
    u"самая внимательная!",
    u"Никита Зайцев",
    u"Ольга Белова",
    u"Павел Громов",
    u"Полина Карпова",
    u"Роман Тихонов",
    u"София Егорова",
    u"Степан Чернов",
    u"Таисия Быкова",
    u"Тимофей Киселёв",
    u"Ульяна Миронова",
    u"Фёдор Комаров",
    u"Эмма Широкова",
    u"Юрий Гусев",
    u"Яна Фомина",
    u"Ярослав Медведев",
    u"Арина Никитина"};

// A class over three lessons, in the results file's own bytes, with one line that a hand edit
// broke; and into `dates` the dates file of the last two lessons, yesterday's and today's, on
// the classroom's six computers (the first was before the course dated its records).
QByteArray madeUpClass(const std::vector<const char16_t *> &names, QByteArray &dates)
{
    Cp1251 codePage;
    QByteArray bytes;
    const QDateTime now = QDateTime::currentDateTime();
    const qint64 today = std::max(now.toSecsSinceEpoch() - 50 * 60,
                                  QDateTime(now.date(), QTime(0, 1)).toSecsSinceEpoch());
    const qint64 starts[] = {0, today - 86400, today};
    unsigned seed = 7;
    const auto next = [&seed](int bound) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % unsigned(bound));
    };
    for (int lesson = 0; lesson < 3; ++lesson) {
        for (size_t pupil = 0; pupil < names.size(); ++pupil) {
            const char16_t *name = names[pupil];
            int scores[4];
            for (int &score : scores)
                score = std::min(10, lesson + 3 + next(7));
            bytes += '"' + codePage.encode(QString::fromUtf16(name)) + '"';
            for (int score : scores)
                bytes += ',' + QByteArray::number(score);
            // The mouse caught or not; one to eight flags sorted.
            bytes += ',' + QByteArray::number(next(2) * CourseRules::kCatchScore) + ',' +
                     QByteArray::number(CourseRules::sortScore(1 + next(8)));
            const int sum = scores[0] + scores[1] + scores[2] + scores[3];
            bytes += ',' + QByteArray::number(sum / 8.0, 'g', 10) + "\r\n";
            const qsizetype start = bytes.lastIndexOf('\n', bytes.size() - 2) + 1;
            const QByteArray host = "kab12-pc0" + QByteArray::number(pupil % 6 + 1);
            if (lesson > 0)
                dates += DatesFile::format(
                    {start, bytes.size() - start,
                     Crc32::of(
                         std::string_view(bytes.constData() + start, size_t(bytes.size() - start))),
                     starts[lesson] + 97 * qint64(pupil), qint16(now.offsetFromUtc() / 60),
                     std::string_view(host.constData(), size_t(host.size()))});
        }
        if (lesson == 1)
            bytes += '"' + codePage.encode(QStringLiteral("Борис")) + "\",10,10,10\r\n";
    }
    return bytes;
}

// The journal, shown, once it has read a results file of the class.
bool openJournal(JournalWindow &journal, const QString &fileName,
                 const std::vector<const char16_t *> &names)
{
    QFile file(fileName);
    QFile datesFile(fileName + QStringLiteral(".dates"));
    QByteArray dates;
    if (!file.open(QIODevice::WriteOnly) || file.write(madeUpClass(names, dates)) < 0 ||
        !datesFile.open(QIODevice::WriteOnly) || datesFile.write(dates) < 0)
        return false;
    file.close();
    datesFile.close();
    // As in a Russian classroom: totals with a decimal comma.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QEventLoop loop;
    QObject::connect(&journal, &JournalWindow::lookDone, &loop, &QEventLoop::quit);
    journal.openFiles({file.fileName()});
    journal.show();
    loop.exec();
    return true;
}

// The journal on the made-up class of twelve: today's records, one of them come in while it
// was open, with the panel of skipped lines; and its chart of all the lessons, the first and the
// latest total side by side; then the pupils of a class of thirty saved as PDF, which
// tools/screenshots.sh turns into a picture of its first page.
bool saveJournal(const QDir &folder)
{
    JournalWindow journal;
    if (!openJournal(journal, QStringLiteral("class.txt"), {std::begin(kNames), std::end(kNames)}))
        return false;
    auto *tabs = journal.findChild<QTabWidget *>();
    auto *skipped = journal.findChild<QDockWidget *>();
    auto *period = journal.findChild<QComboBox *>(QStringLiteral("period"));
    // A pupil's attempt comes in while the journal is open, its date not written yet.
    QFile file(QStringLiteral("class.txt"));
    if (!file.open(QIODevice::Append) ||
        file.write(Cp1251().encode(QStringLiteral("\"Егор Морозов\",10,10,10,10,10,10,5\r\n"))) < 0)
        return false;
    file.close();
    QEventLoop loop;
    QObject::connect(&journal, &JournalWindow::lookDone, &loop, &QEventLoop::quit);
    loop.exec();
    period->setCurrentIndex(PeriodBar::Today);
    tabs->setCurrentIndex(0);
    skipped->show();
    settle(400);
    bool ok = save(&journal, folder, "journal.png");
    period->setCurrentIndex(PeriodBar::All);
    journal.findChild<QComboBox *>(QStringLiteral("chartPair"))->setCurrentIndex(1);
    tabs->setCurrentIndex(2);
    skipped->hide();
    settle(400);
    ok = save(&journal, folder, "journal-chart.png") && ok;

    JournalWindow thirty;
    std::vector<const char16_t *> names(std::begin(kNames), std::end(kNames));
    names.insert(names.end(), std::begin(kMoreNames), std::end(kMoreNames));
    if (!openJournal(thirty, QStringLiteral("5b.txt"), names))
        return false;
    thirty.findChild<QTabWidget *>()->setCurrentIndex(1);
    QFile pdf(folder.filePath(QStringLiteral("journal-report.pdf")));
    if (!pdf.open(QIODevice::WriteOnly) || !thirty.report().writePdf(pdf)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(pdf.fileName()));
        return false;
    }
    std::printf("%s\n", qPrintable(pdf.fileName()));
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("mouse-tutor"));
    if (QApplication::arguments().size() != 2) {
        std::fprintf(stderr, "usage: screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QDir(QApplication::arguments().at(1)).absolutePath());
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    // The results command reads and appends res.txt in the working folder: give it an empty
    // folder of its own, so that the picture shows a fresh table and no real results change.
    QTemporaryDir scratch;
    if (!scratch.isValid() || !QDir::setCurrent(scratch.path())) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        return 1;
    }

    AnsweringDialogs dialogs;
    Runtime::setDialogs(&dialogs);
    bool ok = false;
    {
        Program program;
        program.start();
        settle(600);
        Form1 &form1 = program.form1();
        ok = save(form1, folder, "course.png");

        choose(form1, "mnuRules");
        ok = save(program.form3(), folder, "rules.png") && ok;
        choose(form1, "mnuAut");
        ok = save(program.form2(), folder, "about.png") && ok;
        choose(form1, "mnuCatch");
        ok = save(program.form4(), folder, "catch.png") && ok;
        choose(form1, "mnuChoose");
        ok = save(program.dd(), folder, "sort.png") && ok;

        choose(form1, "mnuRes");
        FRes &fres = program.fres();
        if (!fres.isShown()) {
            // The results command does not show the table (yet): show it as it first opens.
            fres.show();
            settle(400);
        }
        ok = save(fres, folder, "results.png") && ok;
    }
    ok = saveJournal(folder) && ok;
    Runtime::setDialogs(nullptr);
    return ok ? 0 : 1;
}
