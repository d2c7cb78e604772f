// The start-up benchmark's watch as a Qt plugin, so that a program built without it, such as
// the packaged one, can be started to its name prompt and no further:
//   QT_PLUGIN_PATH=build/bench/plugins QT_QPA_GENERIC_PLUGINS=promptprobe mouse-tutor
// Qt loads the generic plugins a program is started with while it makes the application
// object, before any window exists.
#include "promptwatcher.h"

#include <QCoreApplication>
#include <QGenericPlugin>

class PromptProbe : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "promptprobe.json")

public:
    QObject *create(const QString &, const QString &) override
    {
        auto *watcher = new PromptWatcher;
        QCoreApplication::instance()->installEventFilter(watcher);
        return watcher;
    }
};

#include "promptprobe.moc"
