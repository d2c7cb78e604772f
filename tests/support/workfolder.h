#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>
#include <cstdio>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// A fresh temporary folder (in `parent`) as the working directory for one test, where the
// program keeps its res.txt; the previous working directory comes back at the end, and the
// folder is removed even when a test made it read-only.
class WorkFolder
{
public:
    explicit WorkFolder(const QString &parent = QDir::tempPath())
        : m_previous(QDir::currentPath()), m_folder(parent + QStringLiteral("/mouse-XXXXXX"))
    {
        if (!m_folder.isValid() || !QDir::setCurrent(m_folder.path()))
            qFatal("cannot make a temporary working folder");
    }
    ~WorkFolder()
    {
        QDir::setCurrent(m_previous);
        QFile::setPermissions(m_folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // By the names' bytes: Qt cannot name what is not UTF-8.
        ::nftw(
            QFile::encodeName(m_folder.path()).constData(),
            [](const char *name, const struct stat *, int, FTW *place) {
                if (place->level > 0)
                    std::remove(name);
                return 0;
            },
            16, FTW_DEPTH | FTW_PHYS);
    }
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    // res.txt as it is now; empty when it cannot be read.
    static QByteArray read()
    {
        QFile file(QStringLiteral("res.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static bool write(const QByteArray &bytes)
    {
        QFile file(QStringLiteral("res.txt"));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // A device that takes no byte, as /dev/full, made in the folder: a program that wrongly
    // replaces what it writes to then replaces this one, not the system's. Where no device can
    // be made (not root), a link to /dev/full stands in, which only root could replace.
    static bool makeFullDevice(const char *name)
    {
        if (::mknod(name, S_IFCHR | 0666, makedev(1, 7)) == 0)
            return true;
        return ::geteuid() != 0 && ::symlink("/dev/full", name) == 0;
    }

private:
    QString m_previous;
    QTemporaryDir m_folder;
};
