#pragma once

#include "encodingguess.h"
#include "linesink.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <sys/types.h>

// Follows one results file while pupils' programs append to it. Each look reads only what was
// added since the last one, under the shared lock and a piece at a time, so that a program
// appending meanwhile waits for one piece at most; the file is never written. A file that was
// replaced, or cut shorter than what was read, is read again from the start.
//
// Lines are numbered as a reading of the whole file numbers them, however the file was written:
// a CR read at the end of one look and its LF at the start of the next are one line end.
//
// A last line without its line end is most likely being written. It is held back while the
// file changes, and handed out, not ended, once the file has stood unchanged for the settle
// time: a file whose writer stopped halfway, or edited by hand, still shows all it holds. If
// the file then grows, that line is voided and handed out again with what was added to it.
// "Unchanged" is measured twice, and either suffices: by the file's modification time, so that a
// file that was left long ago is read whole at once, and by this follower's own looks on a
// steady clock, so that a modification time ahead of this computer's clock (a network share)
// cannot hold a line for ever. With no settle time every line is handed out at once, the
// unended last one too, as a file read only once wants.
//
// Each name is handed out with how it is read (see EncodingGuess): by its own bytes, and by a
// byte order mark at the file's start, which is no part of line 1.
class FileFollower
{
public:
    enum class State { Unread, Read, Missing, Unreadable, Cancelled };

    static constexpr std::chrono::milliseconds kSettle{3000};
    static constexpr std::chrono::milliseconds kAtOnce{0};

    // Takes the lines, and hears before them when earlier ones no longer hold.
    class Sink : public LineSink
    {
    public:
        // Everything handed out before is void: the file comes again from line 1.
        virtual void startedOver() = 0;
        // The unended last line handed out before is void: it comes again, longer.
        virtual void lastLineVoided() = 0;
        // Another program holds the file's lock, and reading waits for it (at most
        // FileLock::kWait); then, with `false`, the wait is over.
        virtual void lockWaited(bool waiting) { Q_UNUSED(waiting) }
    };

    class Clock
    {
    public:
        virtual ~Clock() = default;
        // Milliseconds on a clock that only goes forward.
        virtual qint64 steadyMs() const = 0;
        // Milliseconds since 1970, as files' times are given.
        virtual qint64 wallMs() const = 0;
    };

    // The file as one look sees it, so that the follower can be given bytes without the system
    // (a fuzz target does).
    struct Look
    {
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = 0;
        qint64 modifiedMs = 0;
    };
    class Contents
    {
    public:
        virtual ~Contents() = default;
        // Up to `capacity` bytes from `position`; -1 with the reason in errno on a failure.
        virtual qint64 read(qint64 position, char *buffer, qint64 capacity) = 0;
        // The same for bytes before the last ended line, which no writer is at work on: a file
        // may skip the lock there.
        virtual qint64 readEnded(qint64 position, char *buffer, qint64 capacity)
        {
            return read(position, buffer, capacity);
        }
    };

    // `clock` (the system's when null) must outlive the follower.
    explicit FileFollower(QString path, std::chrono::milliseconds settle = kAtOnce,
                          const Clock *clock = nullptr);

    const QString &path() const { return m_path; }
    State state() const { return m_state; }
    // Why the file could not be read, in Russian; empty while it can.
    const QString &problem() const { return m_problem; }
    // The file's size when it was last looked at.
    qint64 size() const { return m_size; }
    // What the names read so far were read as.
    FileEncodings encodings() const { return m_encodings | m_unendedEncodings; }

    // Reads what was added since the last look. Setting `cancel` stops a long read; the file is
    // then no longer followed, and what was handed out stays.
    State poll(Sink &sink, const std::atomic_bool *cancel = nullptr);
    // The same, with the file as `look` and `contents` give it.
    State poll(const Look &look, Contents &contents, Sink &sink,
               const std::atomic_bool *cancel = nullptr);
    // No longer follows the file, as after a cancelled read.
    State stop();

private:
    class Tracker;

    State fail(State state, QString problem);
    bool settled(const Look &look, bool replaced);
    void skipByteOrderMark(Contents &contents);
    void nameRead(TextEncoding encoding, std::string_view name, bool ended);
    void skipFeedAfterReturn(Contents &contents);
    bool tailStillThere(Contents &contents) const;

    QString m_path;
    std::chrono::milliseconds m_settle;
    const Clock &m_clock;
    State m_state = State::Unread;
    QString m_problem;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    qint64 m_size = 0;
    qint64 m_offset = 0; // after the last ended line
    qint64 m_end = 0;    // after everything read
    qint64 m_nextLine = 1;
    bool m_unendedOut = false;  // a line without its line end was handed out
    bool m_unendedHeld = false; // one was read but not handed out
    QByteArray m_tail;     // the last bytes before m_offset, to notice a file rewritten in place
    bool m_marked = false; // by a UTF-8 byte order mark
    FileEncodings m_encodings;        // of the ended lines
    FileEncodings m_unendedEncodings; // of an unended last line handed out
    // When the file was last seen to change, by the steady clock.
    qint64 m_watchedSize = -1;
    qint64 m_watchedModified = 0;
    qint64 m_unchangedSince = 0;
};
