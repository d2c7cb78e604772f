#pragma once

#include "bytesource.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

// Hands out the bytes in pieces of a fixed size, so that every boundary inside a record (a CR
// apart from its LF, a name cut in two) is met by the reader.
class PieceSource : public ByteSource
{
public:
    PieceSource(const QByteArray &bytes, qint64 piece) : m_bytes(bytes), m_piece(piece) {}
    qint64 read(char *buffer, qint64 capacity) override
    {
        const qint64 n = std::min({capacity, m_piece, m_bytes.size() - m_pos});
        if (n > 0)
            std::memcpy(buffer, m_bytes.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }

private:
    QByteArray m_bytes;
    qint64 m_piece;
    qint64 m_pos = 0;
};
