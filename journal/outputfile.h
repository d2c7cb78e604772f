#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

// Where the journal writes what it saves: a CSV table, a PDF, a print to a file, whatever a
// writer makes. A plain file, or a name not taken yet, is written whole or not at all: into a
// new file in the same folder, which takes the name only once it is on the disk, with the old
// file's permissions (a new one gets 0666 less the umask); until then it goes with this object,
// and with the program if a signal ends it (SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE,
// SIGXFSZ). A device or a pipe under the name is written as it is, never replaced, and "-" or
// /dev/stdout is standard output.
//
// The name's links are followed here, not by the system, so that the file they lead to is the
// one replaced. As the system does for a shell, a link in a shared folder (sticky and writable
// by all, as /tmp) is followed only when it belongs to the user or to the folder's owner: one
// that another user planted there is refused, wherever in the name it stands. A file the output
// is made from is refused too, by whatever name or link, and so is the dates file beside it.
class OutputFile : public QIODevice
{
public:
    enum class Opened { Yes, Refused, Failed };

    OutputFile() = default;
    ~OutputFile() override; // what was not committed is removed
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // `sources`: the files the output is made from; the output may be none of them. When not
    // opened, errorString() says why.
    Opened start(const QString &path, const QStringList &sources);
    // For a writer that opens a file by its name (a library that takes a path): the name to
    // write to until commit(), the new file beside the output or the device itself. A writer
    // writes either there or into this device, never both.
    QByteArray writingName() const;
    // Where such a writer may keep files of its own meanwhile: beside the new file, or, for a
    // device or a pipe, in the system's temporary folder.
    QByteArray writingFolder() const;
    // Whether what is written goes out at once, with no way to take it back: standard output,
    // a device or a pipe.
    bool streams() const { return isOpen() && m_temporary.isEmpty(); }
    // Gives the written file its name; false, with the reason as errorString(), when it could
    // not, and then nothing of it is left.
    bool commit();

    // Removes every new file not given its name yet, as the program ends abruptly; does only
    // what a signal handler may.
    static void removeUnfinished();
    // Whether the open descriptor `fd` is a plain file that is one of `sources`.
    static bool isSource(int fd, const QStringList &sources);

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    Opened opened(int fd, bool owned);
    Opened refuse(const QString &reason);
    Opened fail(int error);
    bool failed(int error);
    void discard();

    int m_fd = -1;
    bool m_ownsFd = false;
    int m_folder = -1;      // the folder a new file is written in, till it takes the name
    QByteArray m_name;      // the output's name in that folder
    QByteArray m_temporary; // the new file's name there; empty when written in place
    int m_slot = -1;        // where a signal finds the new file to remove
};
