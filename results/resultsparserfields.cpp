#include "resultsparser.h"

#include "fieldbytes.h"
#include "resultsfailure.h"
#include "totaltext.h"

#include <algorithm>
#include <cstring>

// The general field reader: a field byte by byte, as the layout of res.txt allows it, for the
// records and lines that the fast path in resultsparser.cpp leaves to it.

void ResultsParser::readGeneral(RawRecord &record)
{
    // The fields go straight into the record's own bytes, and the older record that had this
    // place must not be copied over them at the next refill.
    record.base = record.bytes.data();
    record.length = 0;
    record.inBuffer = false;
    for (int field = 0; field < kFields; ++field) {
        if (field > 0 && !available())
            throw ResultsFailure("res.txt ends inside a record");
        const FieldRead read = readField(record, field);
        if (m_provingStart && !fieldOnItsLine(record, field, read))
            throw NotARecordStart();
        skipSeparator();
        if (field == kFields - 1) {
            const auto total = read.cut
                                   ? std::nullopt
                                   : parseTotal(std::string_view(record.base + record.start[field],
                                                                 record.size[field]));
            if (!total)
                throw ResultsFailure("a total in res.txt is not a number in range");
            record.total = *total;
        }
    }
}

// Reads one field up to its separator, which is left for the caller.
ResultsParser::FieldRead ResultsParser::readField(RawRecord &record, int field)
{
    FieldRead read;
    // The lenient reader keeps a longer name (see kMaxName); every field has its place.
    const size_t limit = field == 0 && m_lineMode ? kMaxName : kMaxField;
    const int at = field == 0 ? 0 : kMaxName + (field - 1) * kMaxField;
    char *const out = record.bytes.data() + at;
    size_t size = 0;
    const auto keep = [&](const char *from, const char *to) {
        size_t n = static_cast<size_t>(to - from);
        if (n > limit - size) {
            read.cut = true;
            n = limit - size;
        }
        std::memcpy(out + size, from, n);
        size += n;
    };

    while (available() && isBlank(*m_pos))
        ++m_pos;
    if (available() && *m_pos == '"') {
        read.quoted = true;
        read.unclosed = true;
        ++m_pos;
        while (available()) {
            const char *stop = nullptr;
            if (m_lineMode) {
                stop = m_pos;
                while (stop < m_end && !isIn(kQuoteOrLineEnd, *stop))
                    ++stop;
                stop = stop < m_end ? stop : nullptr;
            } else {
                stop = static_cast<const char *>(std::memchr(m_pos, '"', m_end - m_pos));
            }
            keep(m_pos, stop ? stop : m_end);
            m_pos = stop ? stop : m_end;
            if (stop) {
                read.unclosed = *stop != '"';
                if (!read.unclosed)
                    ++m_pos;
                break;
            }
        }
        while (available() && !isIn(kSeparator, *m_pos))
            ++m_pos;
    } else {
        while (available()) {
            const char *stop = m_pos;
            while (stop < m_end && !isIn(kSeparator, *stop))
                ++stop;
            keep(m_pos, stop);
            m_pos = stop;
            if (stop < m_end)
                break;
        }
        while (size > 0 && isBlank(out[size - 1]))
            --size;
    }
    record.start[field] = static_cast<quint16>(at);
    record.size[field] = static_cast<quint16>(size);
    return read;
}

// Steps over the comma or line end that ended a field; CR LF counts as one line end.
void ResultsParser::skipSeparator()
{
    if (!available())
        return;
    if (*m_pos++ == '\r' && available() && *m_pos == '\n')
        ++m_pos;
}

// Whether a field just read keeps its record one line laid out as the program writes it (see
// parseFromLineStart).
bool ResultsParser::fieldOnItsLine(const RawRecord &record, int field, const FieldRead &read)
{
    if (field == 0 && (!read.quoted || read.unclosed || nameHoldsLineEnd(record)))
        return false;
    const bool lineEnd = !available() || *m_pos == '\r' || *m_pos == '\n';
    return lineEnd == (field == kFields - 1);
}

// One line by the general field reader, up to and with its line end.
LineFault ResultsParser::readLine(RawRecord &record, bool &ended)
{
    record.base = record.bytes.data();
    record.length = 0;
    record.inBuffer = false;
    record.nameCut = false;
    LineFault fault;
    int fields = 0;
    bool firstQuoted = false;
    for (;;) {
        // Fields past the eighth are read over the last one only to find the line's end.
        const FieldRead read = readField(record, std::min(fields, kFields - 1));
        firstQuoted = firstQuoted || (fields == 0 && read.quoted);
        fields = std::min(fields + 1, 255);
        if (!fault && read.unclosed)
            fault = {LineFault::UnclosedQuote, quint8(fields)};
        if (fields == 1)
            record.nameCut = read.cut;
        else if (!fault && read.cut)
            fault = {LineFault::FieldTooLong, quint8(fields)};
        if (!available()) {
            ended = false;
            break;
        }
        const char separator = *m_pos;
        skipSeparator();
        if (separator != ',')
            break;
    }
    if (fault)
        return fault;
    if (fields == 1 && !firstQuoted && record.size[0] == 0)
        return {LineFault::Empty, 0};
    if (fields != kFields)
        return {fields < kFields ? LineFault::TooFewFields : LineFault::TooManyFields,
                quint8(fields)};
    return {};
}
