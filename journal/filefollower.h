#pragma once

#include "linesink.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <sys/types.h>

// Follows one results file while pupils' programs append to it. Each look reads only what was
// added since the last one, under the shared lock and a piece at a time, so that a program
// appending meanwhile waits for one piece at most; the file is never written. A file that was
// replaced, or cut shorter than what was read, is read again from the start.
//
// A last line without its line end is handed out as it stands, since a file edited by hand may
// end so; if the file later grows, that line is handed out again with what was added to it.
class FileFollower
{
public:
    enum class State { Unread, Read, Missing, Unreadable, Cancelled };

    // Takes the lines, and hears before them when earlier ones no longer hold.
    class Sink : public LineSink
    {
    public:
        // Everything handed out before is void: the file comes again from line 1.
        virtual void startedOver() = 0;
        // The unended last line handed out before is void: it comes again, longer.
        virtual void lastLineVoided() = 0;
    };

    explicit FileFollower(QString path);

    const QString &path() const { return m_path; }
    State state() const { return m_state; }
    // Why the file could not be read, in Russian; empty while it can.
    const QString &problem() const { return m_problem; }
    // The file's size when it was last looked at.
    qint64 size() const { return m_size; }

    // Reads what was added since the last look. Setting `cancel` stops a long read; the file is
    // then no longer followed, and what was handed out stays.
    State poll(Sink &sink, const std::atomic_bool *cancel = nullptr);
    // No longer follows the file, as after a cancelled read.
    State stop();

private:
    State fail(State state, QString problem);
    bool tailStillThere(int fd) const;

    QString m_path;
    State m_state = State::Unread;
    QString m_problem;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    qint64 m_size = 0;
    qint64 m_offset = 0; // after the last ended line
    qint64 m_end = 0;    // after everything read
    qint64 m_nextLine = 1;
    bool m_unended = false; // a line without its line end was handed out
    QByteArray m_tail;      // the last bytes before m_offset, to notice a file rewritten in place
};
