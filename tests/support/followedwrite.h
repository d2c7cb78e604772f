#pragma once

#include "linelog.h"
#include "piecesource.h"
#include "resultsparser.h"

#include <QRandomGenerator>

// A results file written in pieces, with a follower's look after each. The pieces, the writer's
// pauses past the settle time, and (where asked) up to three times the file cut shorter and
// written again from there, or replaced by a copy, follow from a seed; every eighth seed writes
// a byte at a time, so that CR and LF fall apart at every place. The file is kept in memory,
// unless an implementation keeps it elsewhere; its time, and the follower's clock, are the
// writer's.
class FollowedWrite : public FileFollower::Clock, public FileFollower::Contents
{
public:
    explicit FollowedWrite(QString path) : m_path(std::move(path)) {}

    virtual void append(const QByteArray &bytes)
    {
        m_bytes += bytes;
        m_look.modifiedMs = m_now;
    }
    virtual void cut(qint64 size)
    {
        m_bytes.truncate(size);
        m_look.modifiedMs = m_now;
    }
    virtual void replace()
    {
        ++m_look.inode;
        m_look.modifiedMs = m_now;
    }
    virtual FileFollower::State look(FileFollower &follower, FileFollower::Sink &sink)
    {
        m_look.size = m_bytes.size();
        return follower.poll(m_look, *this, sink);
    }
    qint64 read(qint64 position, char *buffer, qint64 capacity) override
    {
        const qint64 n = std::max<qint64>(0, std::min(capacity, m_bytes.size() - position));
        if (n > 0)
            std::memcpy(buffer, m_bytes.constData() + position, size_t(n));
        return n;
    }
    qint64 steadyMs() const override { return m_now; }
    qint64 wallMs() const override { return m_now; }

    // Null when the follower's lines, voided ones taken away, end up as one read of `bytes`
    // gives them, and no unended line was handed out while the file kept changing (unless
    // every line is asked for at once); else what went wrong. `log` keeps the lines.
    const char *run(const QByteArray &bytes, quint32 seed, std::chrono::milliseconds settle,
                    bool cutAndReplace, LineLog &log)
    {
        QRandomGenerator random(seed);
        FileFollower follower(m_path, settle, this);
        const auto lookAfter = [&](bool changed) -> const char * {
            log.unendedHandedOut = false;
            if (look(follower, log) != FileFollower::State::Read)
                return "the file could not be read";
            if (changed && settle.count() > 0 && log.unendedHandedOut)
                return "an unended line was handed out while the file changed";
            return log.consistent ? nullptr : "a line was voided that was not the unended last";
        };
        const char *failure = lookAfter(true);
        int mishaps = cutAndReplace ? 3 : 0;
        for (qsizetype at = 0; at < bytes.size() && !failure;) {
            const int move = mishaps > 0 ? random.bounded(16) : 2;
            if (move == 0 && at > 0) {
                --mishaps;
                at -= random.bounded(1, int(std::min<qsizetype>(at, 32)) + 1);
                cut(at);
            } else if (move == 1) {
                --mishaps;
                replace();
            } else {
                const int most = random.bounded(8) == 0 ? 256 : 12;
                const qsizetype piece = seed % 8 == 0 ? 1 : random.bounded(1, most + 1);
                append(bytes.mid(at, piece));
                at += std::min(piece, bytes.size() - at);
            }
            m_now += 1 + random.bounded(500);
            failure = lookAfter(true);
            if (!failure && random.bounded(4) == 0) {
                m_now += settle.count();
                failure = lookAfter(false);
            }
        }
        m_now += settle.count();
        if (!failure)
            failure = lookAfter(false);
        if (!failure && !log.same(wholeRead(bytes), false))
            failure = "the lines differ from one read of the whole file";
        // Each name and start read by its own bytes and the file's mark, however it came.
        const bool marked = bytes.startsWith(EncodingGuess::kByteOrderMark.data());
        for (const LineLog::Line &line : log.lines) {
            const std::string &text = line.isRecord ? line.name : line.head;
            if (!failure && line.encoding != EncodingGuess::of(text, marked, line.cut))
                failure = "a name was read otherwise than by its own bytes";
        }
        return failure;
    }

    // One read of the whole file, after its byte order mark.
    static LineLog wholeRead(const QByteArray &bytes)
    {
        const qint64 start = bytes.startsWith(EncodingGuess::kByteOrderMark.data())
                                 ? qint64(EncodingGuess::kByteOrderMark.size())
                                 : 0;
        PieceSource source(bytes.mid(start), 1 << 20);
        LineLog log;
        ResultsParser(source).readLines(log, 1, start);
        return log;
    }

protected:
    QString m_path;
    qint64 m_now = 1000000;

private:
    QByteArray m_bytes;
    FileFollower::Look m_look{1, 1, 0, 0};
};
