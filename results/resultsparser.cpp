#include "resultsparser.h"

#include "resultsfailure.h"
#include "totaltext.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr qint64 kBufferSize = 64 * 1024;

constexpr std::array<bool, 256> byteSet(std::string_view bytes)
{
    std::array<bool, 256> set{};
    for (char c : bytes)
        set[static_cast<unsigned char>(c)] = true;
    return set;
}

// The bytes that end a field.
constexpr std::array<bool, 256> kSeparator = byteSet(",\r\n");
// The fast path also stops at a double quote: one inside a plain field (left to the general
// path), or the sentinel placed after the buffered bytes.
constexpr std::array<bool, 256> kFastStop = byteSet(",\r\n\"");
constexpr char kSentinel = '"';

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isIn(const std::array<bool, 256> &set, char c)
{
    return set[static_cast<unsigned char>(c)];
}

} // namespace

ResultsParser::ResultsParser(ByteSource &source, Path path)
    : m_source(source), m_path(path), m_buffer(std::make_unique<char[]>(kBufferSize + 1)),
      m_ring(std::make_unique<std::array<RawRecord, ResultList::kKept>>())
{
    m_pos = m_end = m_buffer.get();
}

ResultsParser::~ResultsParser() = default;

ResultList ResultsParser::parse()
{
    qint64 count = 0;
    while (available()) {
        RawRecord &record = (*m_ring)[static_cast<size_t>(count % ResultList::kKept)];
        if (m_path == Path::General || !readFast(record))
            readGeneral(record);
        ++count;
    }
    const qint64 kept = std::min<qint64>(count, ResultList::kKept);
    ResultList list(count - kept);
    try {
        for (qint64 i = count - kept; i < count; ++i)
            list.append(decode((*m_ring)[static_cast<size_t>(i % ResultList::kKept)]));
    } catch (const std::runtime_error &error) { // no converter for the code page
        throw ResultsFailure(error.what());
    }
    return list;
}

// True while a byte is left; refills the buffer when it has been used up.
bool ResultsParser::available()
{
    if (m_pos < m_end)
        return true;
    if (m_sourceDone)
        return false;
    const qint64 got = m_source.read(m_buffer.get(), kBufferSize);
    if (got < 0 || got > kBufferSize)
        throw ResultsFailure("res.txt cannot be read");
    m_pos = m_buffer.get();
    m_end = m_pos + got;
    m_buffer[got] = kSentinel;
    m_sourceDone = got == 0;
    return got > 0;
}

// A record laid out as the program writes it and lying wholly in the buffer: a quoted name
// right at the start, seven plain fields after single commas, a line end (or comma) after the
// total. Anything else is left to the general reader, which starts over at the same byte.
bool ResultsParser::readFast(RawRecord &record)
{
    const char *const begin = m_pos;
    if (*begin != '"')
        return false;
    std::array<const char *, kFields> from;
    std::array<const char *, kFields> to;
    from[0] = begin + 1;
    const char *p = from[0];
    while (*p != '"')
        ++p; // stops at the sentinel at the latest
    if (p == m_end || p - from[0] > kMaxField || *++p != ',')
        return false;
    to[0] = p - 1;
    for (int field = 1; field < kFields; ++field) {
        const char *start = ++p;
        while (!isIn(kFastStop, *p))
            ++p;
        if (*p == '"' || (field < kFields - 1 && *p != ','))
            return false;
        if (p - start > kMaxField || (p > start && (isBlank(*start) || isBlank(p[-1]))))
            return false;
        from[field] = start;
        to[field] = p;
    }
    const char *next = p + 1;
    if (*p == '\r') {
        if (next == m_end)
            return false; // the LF may come with the next read
        if (*next == '\n')
            ++next;
    }
    const auto total =
        parseTotal(std::string_view(from[kFields - 1], to[kFields - 1] - from[kFields - 1]));
    if (!total)
        return false;

    std::memcpy(record.bytes.data(), begin, static_cast<size_t>(p - begin));
    for (int field = 0; field < kFields; ++field) {
        record.start[field] = static_cast<quint16>(from[field] - begin);
        record.size[field] = static_cast<quint16>(to[field] - from[field]);
    }
    record.total = *total;
    m_pos = next;
    return true;
}

void ResultsParser::readGeneral(RawRecord &record)
{
    for (int field = 0; field < kFields; ++field) {
        if (field > 0 && !available())
            throw ResultsFailure("res.txt ends inside a record");
        bool cut = false;
        readField(record, field, cut);
        if (field == kFields - 1) {
            const auto total =
                cut ? std::nullopt
                    : parseTotal(std::string_view(record.bytes.data() + record.start[field],
                                                  record.size[field]));
            if (!total)
                throw ResultsFailure("a total in res.txt is not a number in range");
            record.total = *total;
        }
    }
}

void ResultsParser::readField(RawRecord &record, int field, bool &cut)
{
    char *const out = record.bytes.data() + field * kMaxField;
    size_t size = 0;
    const auto keep = [&](const char *from, const char *to) {
        size_t n = static_cast<size_t>(to - from);
        if (n > kMaxField - size) {
            cut = true;
            n = kMaxField - size;
        }
        std::memcpy(out + size, from, n);
        size += n;
    };

    while (available() && isBlank(*m_pos))
        ++m_pos;
    if (available() && *m_pos == '"') {
        ++m_pos;
        while (available()) {
            const auto *quote = static_cast<const char *>(std::memchr(m_pos, '"', m_end - m_pos));
            keep(m_pos, quote ? quote : m_end);
            m_pos = quote ? quote + 1 : m_end;
            if (quote)
                break;
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
    record.start[field] = static_cast<quint16>(field * kMaxField);
    record.size[field] = static_cast<quint16>(size);
    skipSeparator();
}

// Steps over the comma or line end that ended a field; CR LF counts as one line end.
void ResultsParser::skipSeparator()
{
    if (!available())
        return;
    if (*m_pos++ == '\r' && available() && *m_pos == '\n')
        ++m_pos;
}

StoredResult ResultsParser::decode(const RawRecord &record)
{
    const auto text = [&](int field) {
        QString value =
            m_codePage.decode(record.bytes.data() + record.start[field], record.size[field]);
        for (QChar &c : value) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                c = QLatin1Char(' ');
        }
        return value;
    };
    return {text(0), text(1), text(2), text(3), text(4), text(5), text(6), record.total};
}
