#include "promptwatcher.h"

#include <QEvent>
#include <QWindow>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

bool PromptWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Expose)
        return false;
    auto *window = qobject_cast<QWindow *>(watched);
    if (!window || window->title() != QStringLiteral("Пользователь") || !window->isExposed())
        return false;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("exposed %lld maxrss_kb %ld\n",
                static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, usage.ru_maxrss);
    std::fflush(stdout);
    _exit(0);
}
