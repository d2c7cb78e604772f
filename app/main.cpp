#include "program.h"
#include "runtime.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Мышь"));
    Program program;
    program.start();
    // The name prompt may already have ended the run (an error on start-up).
    return Runtime::hasEnded() ? 0 : QApplication::exec();
}
