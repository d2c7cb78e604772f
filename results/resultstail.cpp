#include "resultstail.h"

#include "bytesource.h"
#include "resultsfailure.h"
#include "resultsparser.h"

#include <QByteArray>
#include <cerrno>
#include <unistd.h>

namespace {

// The file from a place on, read without moving the descriptor's own place.
class PlaceSource : public ByteSource
{
public:
    PlaceSource(int fd, qint64 from) : m_fd(fd), m_pos(from) {}
    qint64 read(char *buffer, qint64 capacity) override
    {
        ssize_t got = 0;
        do {
            got = ::pread(m_fd, buffer, size_t(capacity), m_pos);
        } while (got < 0 && errno == EINTR);
        m_pos += got > 0 ? got : 0;
        return got;
    }

private:
    int m_fd;
    qint64 m_pos;
};

// The place after the first line feed at or after `from`; -1 when there is none.
qint64 lineStartAfter(int fd, qint64 from)
{
    PlaceSource source(fd, from);
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    for (qint64 at = from;;) {
        const qint64 got = source.read(piece.data(), piece.size());
        if (got < 0)
            throw ResultsFailure("res.txt cannot be read");
        const qsizetype feed = QByteArrayView(piece.constData(), got).indexOf('\n');
        if (feed >= 0)
            return at + feed + 1;
        if (got == 0)
            return -1;
        at += got;
    }
}

} // namespace

std::optional<ResultList> ResultsTail::read(int fd, qint64 size, qint64 window)
{
    for (; window <= size / 2; window *= 8) {
        const qint64 start = lineStartAfter(fd, size - window);
        if (start < 0)
            continue;
        PlaceSource source(fd, start);
        try {
            ResultList list = ResultsParser(source).parseFromLineStart();
            if (list.count() >= ResultList::kKept)
                return list;
        } catch (const ResultsParser::NotARecordStart &) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}
