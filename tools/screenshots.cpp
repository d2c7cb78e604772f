// Takes the pictures of the README: starts the program with a fixed user name and no real
// boxes, opens every window through the course window's menu commands and saves each window
// as it shows itself, one PNG per window.
//
// Usage: screenshots OUTPUT_FOLDER   (run it under a real or virtual X server)

#include "dd.h"
#include "dialogs.h"
#include "form.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "form4.h"
#include "fres.h"
#include "menuitem.h"
#include "program.h"
#include "runtime.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QMainWindow>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

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

bool save(Form &form, const QDir &folder, const char *file)
{
    const QString path = folder.filePath(QString::fromLatin1(file));
    QMainWindow *window = form.window();
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
    Runtime::setDialogs(nullptr);
    return ok ? 0 : 1;
}
