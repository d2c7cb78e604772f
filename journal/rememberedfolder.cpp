#include "rememberedfolder.h"

#include "filepath.h"

#include <QDir>
#include <QSettings>
#include <sys/stat.h>

namespace {

QSettings settings()
{
    return QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal"));
}

} // namespace

QString RememberedFolder::get(const QString &key)
{
    const QString folder = settings().value(key).toString();
    struct stat status = {};
    if (!folder.isEmpty() && ::stat(FilePath::encode(folder).constData(), &status) == 0 &&
        S_ISDIR(status.st_mode))
        return folder;
    return QDir::homePath();
}

void RememberedFolder::keep(const QString &key, const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash >= 0)
        settings().setValue(key, slash == 0 ? QStringLiteral("/") : path.left(slash));
}
