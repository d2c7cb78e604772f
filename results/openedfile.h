#pragma once

#include "filehandle.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cerrno>
#include <sys/stat.h>

// A results file (or a table written beside one) opened and looked at, the one way the program
// does it: the open never waits for the other end of a pipe (O_NONBLOCK), never makes a terminal
// the program's own (O_NOCTTY), and the descriptor is not passed to programs started later
// (O_CLOEXEC). Only a plain file is read or shared with other programs: a pipe or a device
// could block, never end, or swallow the pupils' lines.
class OpenedFile
{
public:
    enum class Kind { Unknown, Plain, Folder, Other };

    OpenedFile() = default;
    // `flags`: the access (O_RDONLY, O_WRONLY, O_RDWR) and what else the open needs.
    OpenedFile(const QByteArray &name, int flags, mode_t mode = 0);
    OpenedFile(const QString &path, int flags, mode_t mode = 0);

    int fd() const { return m_file.fd(); }
    // Unknown when it could not be opened or looked at.
    Kind kind() const { return m_kind; }
    bool isPlain() const { return m_kind == Kind::Plain; }
    // Why the open or the look failed; 0 when neither did.
    int error() const { return m_error; }
    bool missing() const { return fd() < 0 && (m_error == ENOENT || m_error == ENOTDIR); }
    // What the look found.
    const struct stat &status() const { return m_status; }
    // Why the file cannot be read as a results file, in Russian; empty for a plain file.
    QString readProblem() const;

    int close() { return m_file.close(); }
    int release() { return m_file.release(); }

    static Kind kindOf(const struct stat &status);
    // Writes all of `bytes` to `fd`, again after an interruption or a short write: 0, or the
    // error that stopped it (ENOSPC for a write that took nothing). `written`: how much went.
    static int writeWhole(int fd, QByteArrayView bytes, qsizetype &written);

private:
    FileHandle m_file;
    struct stat m_status = {};
    Kind m_kind = Kind::Unknown;
    int m_error = 0;
};
