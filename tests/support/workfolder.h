#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A fresh temporary folder as the working directory for one test, where the program keeps its
// res.txt; the previous working directory comes back at the end.
class WorkFolder
{
public:
    WorkFolder() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_folder.path()); }
    ~WorkFolder() { QDir::setCurrent(m_previous); }
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    bool isValid() const { return m_folder.isValid(); }
    QString path(const QString &name = QStringLiteral("res.txt")) const
    {
        return m_folder.filePath(name);
    }

    QByteArray read(const QString &name = QStringLiteral("res.txt")) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool write(const QByteArray &bytes, const QString &name = QStringLiteral("res.txt")) const
    {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

private:
    QString m_previous;
    QTemporaryDir m_folder;
};
