#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

// Where a CSV table is saved. A plain file, or a name not taken yet, is written whole or not at
// all: into a new file in the same folder, which takes the name only once it is on the disk,
// with the old file's permissions (a new one gets 0666 less the umask). A device or a pipe
// under the name is written as it is, never replaced, and "-" or /dev/stdout is standard
// output. A file the table is made from is never written over.
class CsvFile : public QIODevice
{
public:
    enum class Opened { Yes, Refused, Failed };

    CsvFile() = default;
    ~CsvFile() override; // what was not committed is removed

    // `sources`: the files the table is made from; the output may be none of them, by any path
    // or link. When not opened, errorString() says why.
    Opened start(const QString &path, const QStringList &sources);
    // Gives the written file its name; false, with the reason as errorString(), when it could
    // not, and then nothing of it is left.
    bool commit();

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    Opened opened(int fd, bool owned);
    bool fail(int error);
    void discard();

    int m_fd = -1;
    bool m_ownsFd = false;
    QByteArray m_target;    // the name the written file takes
    QByteArray m_temporary; // where it is written meanwhile; empty when written in place
};
