// A bare Qt program that only asks for a name: what start-up is measured against.
#include "promptwatcher.h"

#include <QApplication>
#include <QInputDialog>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    PromptWatcher watcher;
    app.installEventFilter(&watcher);
    QInputDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Пользователь"));
    dialog.setLabelText(QStringLiteral("Введите Ваше имя, пожалуйста"));
    dialog.exec();
    return 0;
}
