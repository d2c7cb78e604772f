#include "rememberedfolder.h"

#include "filepath.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <sys/stat.h>

namespace {

QSettings settings()
{
    return QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal"));
}

// A folder the dialogs can open: Qt's own conversion of its name (which turns bytes that are not
// UTF-8 into U+FFFD) must give the same bytes.
bool isFolder(const QString &path)
{
    const QByteArray bytes = FilePath::encode(path);
    struct stat status = {};
    return !path.isEmpty() && QFile::encodeName(path) == bytes &&
           ::stat(bytes.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

QString RememberedFolder::get(const QString &key, const QStringList &openFiles)
{
    for (const QString &folder :
         {settings().value(key).toString(), folderOf(openFiles.value(0)), QDir::homePath()}) {
        if (isFolder(folder))
            return folder;
    }
    return QDir::homePath();
}

void RememberedFolder::keep(const QString &key, const QString &path)
{
    const QString folder = folderOf(path);
    if (!folder.isEmpty())
        settings().setValue(key, folder);
}
