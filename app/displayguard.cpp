#include "displayguard.h"

#include "filepath.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdio>
#include <unistd.h>

namespace {

struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};

QList<HeldMessage> &held()
{
    static QList<HeldMessage> messages;
    return messages;
}

// The display the program was told to open its windows on, as standard error shows it; empty
// when none.
QString display()
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return FilePath::printable(FilePath::decode(value));
    }
    return {};
}

// Why no window can be opened.
QString noScreen()
{
    return display().isEmpty()
               ? QStringLiteral("не задан дисплей (программа запущена не в графическом сеансе)")
               : QStringLiteral("нет связи с дисплеем «%1»").arg(display());
}

[[noreturn]] void giveUp(const QString &why)
{
    const QString line = QStringLiteral("mouse-tutor: не удалось открыть окно: %1.\n").arg(why);
    std::fputs(FilePath::encode(line).constData(), stderr);
    // Not exit(): the half-made application object must not be torn down.
    ::_exit(1);
}

void guarded(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg)
        giveUp(noScreen());
    held().append({type, QByteArray(context.category ? context.category : ""), text});
}

} // namespace

DisplayGuard::DisplayGuard() : m_previous(qInstallMessageHandler(guarded))
{
    m_watch = std::thread([this] {
        std::unique_lock lock(m_lock);
        if (!m_made.wait_for(lock, kPatience, [this] { return m_dismissed; }))
            giveUp(QStringLiteral("дисплей «%1» не отвечает").arg(display()));
    });
}

void DisplayGuard::dismiss()
{
    if (!m_previous)
        return;
    {
        const std::lock_guard lock(m_lock);
        m_dismissed = true;
    }
    m_made.notify_one();
    m_watch.join();
    qInstallMessageHandler(m_previous);
    for (const HeldMessage &message : std::as_const(held()))
        m_previous(message.type,
                   QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                   message.text);
    held().clear();
    m_previous = nullptr;
}
