#include "resultsparser.h"

#include "resultsfailure.h"
#include "totaltext.h"

#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr qint64 kBufferSize = 64 * 1024;
constexpr qint64 kBufferPadding = 64; // the last word of the bit maps may pass the end
constexpr qint64 kBitWords = kBufferSize / 64 + 2;

constexpr std::array<bool, 256> byteSet(std::string_view bytes)
{
    std::array<bool, 256> set{};
    for (char c : bytes)
        set[static_cast<unsigned char>(c)] = true;
    return set;
}

// The bytes that end a field.
constexpr std::array<bool, 256> kSeparator = byteSet(",\r\n");
// Where a quoted field of the lenient reader ends: its closing quote, or the end of its line.
constexpr std::array<bool, 256> kQuoteOrLineEnd = byteSet("\"\r\n");
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
    : m_source(source), m_path(path),
      m_buffer(std::make_unique<char[]>(kBufferSize + kBufferPadding)),
      m_quoteBits(std::make_unique<quint64[]>(kBitWords)),
      m_commaBits(std::make_unique<quint64[]>(kBitWords)),
      m_lowBits(std::make_unique<quint64[]>(kBitWords)),
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
    settleRecords();
    m_readBefore += m_end - m_buffer.get();
    const qint64 got = m_source.read(m_buffer.get(), kBufferSize);
    if (got < 0 || got > kBufferSize)
        throw ResultsFailure("res.txt cannot be read");
    m_pos = m_buffer.get();
    m_end = m_pos + got;
    m_buffer[got] = kSentinel;
    m_sourceDone = got == 0;
    markBytes();
    return got > 0;
}

// Marks the double quotes, commas, and control characters or spaces of the buffered bytes in
// three bit maps, 64 bytes a word, for readShortLine. One pass over the buffer, 16 bytes at a
// time, costs less than looking at every line's bytes on their own.
void ResultsParser::markBytes()
{
#if defined(__SSE2__)
    const qint64 words = (m_end - m_buffer.get() + 63) / 64;
    const auto mask = [](__m128i equal) { return quint64(quint32(_mm_movemask_epi8(equal))); };
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i space = _mm_set1_epi8(' ');
    for (qint64 word = 0; word < words; ++word) {
        quint64 quotes = 0;
        quint64 commas = 0;
        quint64 low = 0;
        for (int part = 0; part < 4; ++part) {
            // Past the end of the bytes read lie stale bytes (the buffer's padding covers the
            // last word); readShortLine masks them off.
            const __m128i bytes = _mm_loadu_si128(
                reinterpret_cast<const __m128i *>(m_buffer.get() + 64 * word + 16 * part));
            const int shift = 16 * part;
            quotes |= mask(_mm_cmpeq_epi8(bytes, quote)) << shift;
            commas |= mask(_mm_cmpeq_epi8(bytes, comma)) << shift;
            low |= mask(_mm_cmpeq_epi8(_mm_min_epu8(bytes, space), bytes)) << shift;
        }
        m_quoteBits[word] = quotes;
        m_commaBits[word] = commas;
        m_lowBits[word] = low;
    }
    // The word after the last, which a window starting in the last word reaches into.
    m_quoteBits[words] = m_commaBits[words] = m_lowBits[words] = 0;
#endif
}

void ResultsParser::settleRecords()
{
    for (RawRecord &record : *m_ring) {
        if (record.inBuffer) {
            std::memcpy(record.bytes.data(), record.base, record.length);
            record.base = record.bytes.data();
            record.inBuffer = false;
        }
    }
}

// A file holds few different totals ("4.125", "5", ...), and working each out again costs more
// than the rest of its line: short ones are remembered by their bytes. The fast path reads the
// eight bytes from the buffer, whose padding makes that safe.
inline int ResultsParser::cachedTotal(const char *text, qint64 size, double *exact)
{
    if (size < 1 || size > 7)
        return parsedTotal(text, size, 0, exact);
    quint64 key = 0;
    std::memcpy(&key, text, sizeof key);
    key = qFromLittleEndian(key) & ((quint64(1) << (8 * size)) - 1);
    key |= quint64(size) << 56; // "5" and "5\0" differ; no key is 0
    const TotalCacheEntry &entry = m_totals[(key * 0x9E3779B97F4A7C15u) >> 56];
    if (entry.key != key)
        return parsedTotal(text, size, key, exact);
    if (exact)
        *exact = entry.exact;
    return entry.value;
}

int ResultsParser::parsedTotal(const char *text, qint64 size, quint64 key, double *exact)
{
    const std::string_view view(text, size);
    const auto total = parseTotal(view);
    if (!total)
        return kNotATotal;
    const double value = exactTotal(view);
    if (exact)
        *exact = value;
    if (key != 0)
        m_totals[(key * 0x9E3779B97F4A7C15u) >> 56] = {key, *total, value};
    return *total;
}

// A record laid out as the program writes it and lying wholly in the buffer: a quoted name
// right at the start, seven plain fields after single commas, a line end (or comma) after the
// total. Anything else is left to the general reader, which starts over at the same byte.
bool ResultsParser::readFast(RawRecord &record)
{
    if (readShortLine(record))
        return true;
    const char *const begin = m_pos;
    if (*begin != '"')
        return false;
    Spans from;
    Spans to;
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
    // A comma after the total starts the next record, but only where a line end does not end it.
    if (m_lineMode && *p == ',')
        return false;
    const char *next = p + 1;
    if (*p == '\r') {
        if (next == m_end)
            return false; // the LF may come with the next read
        if (*next == '\n')
            ++next;
    }
    return keepInBuffer(record, from, to, next);
}

// The common case of the fast path, without a branch per byte: a line of at most 64 bytes,
// looked at 16 bytes at a time. Its separators, quotes and blanks become bit masks, and the
// line qualifies when it has exactly the commas and quotes of the program's layout. The record
// keeps the mask of its commas, from which its fields' places follow (RawRecord::field).
bool ResultsParser::readShortLine(RawRecord &record)
{
#if defined(__SSE2__)
    const char *const begin = m_pos;
    const qint64 available = m_end - begin;
    if (available < 2 || *begin != '"')
        return false;
    // The 64 bits of each map from this byte on; bits past the bytes read are masked off.
    const qint64 offset = begin - m_buffer.get();
    const qint64 word = offset / 64;
    const int bit = int(offset % 64);
    const auto window = [&](const std::unique_ptr<quint64[]> &bits) {
        return bit == 0 ? bits[word] : (bits[word] >> bit) | (bits[word + 1] << (64 - bit));
    };
    const quint64 valid = available >= 64 ? ~quint64(0) : (quint64(1) << available) - 1;
    const quint64 quote = window(m_quoteBits) & valid;
    const quint64 comma = window(m_commaBits) & valid;
    const quint64 low = window(m_lowBits) & valid;

    const quint64 afterOpen = quote & ~quint64(1);
    if (afterOpen == 0)
        return false;
    const int close = std::countr_zero(afterOpen);
    if (close > 61 || ((comma >> (close + 1)) & 1) == 0)
        return false;
    // After the name, the first control character or space must be the line end: so no field
    // there has a blank that the general reader would drop.
    const quint64 afterClose = ~((quint64(2) << close) - 1);
    if ((low & afterClose) == 0)
        return false;
    const int end = std::countr_zero(low & afterClose);
    if (begin[end] != '\r' && begin[end] != '\n')
        return false;
    const quint64 between = afterClose & ((quint64(1) << end) - 1);
    const quint64 commas = comma & between;
    // Exactly seven commas: without the six lowest, one is left.
    quint64 last = commas;
    for (int i = 0; i < kFields - 2; ++i)
        last &= last - 1;
    if (last == 0 || (last & (last - 1)) != 0 || (quote & between) != 0)
        return false;

    const char *next = begin + end + 1;
    if (begin[end] == '\r') {
        if (end + 1 >= available)
            return false; // the LF may come with the next read
        if (*next == '\n')
            ++next;
    }
    const int lastComma = std::countr_zero(last);
    const int total = cachedTotal(begin + lastComma + 1, end - lastComma - 1);
    if (total == kNotATotal)
        return false;
    record.base = begin;
    record.length = static_cast<quint16>(end);
    record.inBuffer = true;
    record.commas = commas;
    record.close = static_cast<quint16>(close);
    record.total = static_cast<qint16>(total);
    m_pos = next;
    return true;
#else
    static_cast<void>(record);
    return false;
#endif
}

// Takes a record found by the fast path, if its total is a number: it stays in the buffer for
// now (see settleRecords).
bool ResultsParser::keepInBuffer(RawRecord &record, const Spans &from, const Spans &to,
                                 const char *next)
{
    const int total = cachedTotal(from[kFields - 1], to[kFields - 1] - from[kFields - 1]);
    if (total == kNotATotal)
        return false;
    const char *const begin = from[0] - 1;
    record.base = begin;
    record.length = static_cast<quint16>(to[kFields - 1] - begin);
    record.inBuffer = true;
    record.commas = 0;
    for (int field = 0; field < kFields; ++field) {
        record.start[field] = static_cast<quint16>(from[field] - begin);
        record.size[field] = static_cast<quint16>(to[field] - from[field]);
    }
    record.total = static_cast<qint16>(total);
    m_pos = next;
    return true;
}

void ResultsParser::readGeneral(RawRecord &record)
{
    // The fields go straight into the record's own bytes, and the older record that had this
    // place must not be copied over them at the next refill.
    record.base = record.bytes.data();
    record.length = 0;
    record.inBuffer = false;
    record.commas = 0;
    for (int field = 0; field < kFields; ++field) {
        if (field > 0 && !available())
            throw ResultsFailure("res.txt ends inside a record");
        const FieldRead read = readField(record, field);
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
    char *const out = record.bytes.data() + field * kMaxField;
    size_t size = 0;
    const auto keep = [&](const char *from, const char *to) {
        size_t n = static_cast<size_t>(to - from);
        if (n > kMaxField - size) {
            read.cut = true;
            n = kMaxField - size;
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
    record.start[field] = static_cast<quint16>(field * kMaxField);
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

QString ResultsParser::fieldText(Cp1251 &codePage, std::string_view bytes)
{
    QString value = codePage.decode(bytes.data(), qsizetype(bytes.size()));
    for (QChar &c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return value;
}

StoredResult ResultsParser::decode(const RawRecord &record)
{
    const auto text = [&](int field) {
        const auto [start, size] = record.field(field);
        return fieldText(m_codePage, std::string_view(record.base + start, size_t(size)));
    };
    return {text(0), text(1), text(2), text(3), text(4), text(5), text(6), record.total};
}

void ResultsParser::readLines(LineSink &sink, qint64 firstNumber, qint64 startOffset)
{
    m_lineMode = true;
    m_readBefore = startOffset;
    RawRecord &record = (*m_ring)[0];
    LinePlace place;
    place.number = firstNumber;
    LineRecord line;
    while (available()) {
        place.start = offset();
        LineFault fault;
        place.ended = true;
        const char *const lineStart = m_pos;
        if (m_path == Path::General || !readFast(record) || nameHoldsLineEnd(record)) {
            m_pos = lineStart; // the fast path reads within the buffer only
            fault = readLine(record, place.ended);
        }
        if (!fault)
            fault = toLineRecord(record, line);
        place.end = offset();
        if (fault)
            sink.skipped(place, fault);
        else
            sink.record(place, line);
        ++place.number;
    }
}

// The fast path takes a quoted name up to its closing quote, as records are read in the strict
// mode; here a line end inside it ends the line.
bool ResultsParser::nameHoldsLineEnd(const RawRecord &record)
{
    const auto [start, size] = record.field(0);
    bool lineEnd = false;
    for (const char *c = record.base + start; c < record.base + start + size; ++c)
        lineEnd |= *c == '\r' || *c == '\n';
    return lineEnd;
}

// One line by the general field reader, up to and with its line end.
LineFault ResultsParser::readLine(RawRecord &record, bool &ended)
{
    record.base = record.bytes.data();
    record.length = 0;
    record.inBuffer = false;
    record.commas = 0;
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
        if (!fault && read.cut)
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

// The scores and the exact total of a record whose fields have been read. The fields of a line
// found by its commas are walked in one go, and scores of one or two digits, nearly all of them,
// are worked out without a branch on their length: this runs for each of a million lines.
LineFault ResultsParser::toLineRecord(const RawRecord &record, LineRecord &line)
{
    std::array<std::pair<int, int>, kFields> places;
    if (record.commas != 0) {
        places[0] = {1, record.close - 1};
        quint64 rest = record.commas;
        int from = std::countr_zero(rest) + 1;
        for (int field = 1; field < kFields; ++field) {
            rest &= rest - 1;
            const int to = rest != 0 ? std::countr_zero(rest) : record.length;
            places[size_t(field)] = {from, to - from};
            from = to + 1;
        }
    } else {
        for (int field = 0; field < kFields; ++field)
            places[size_t(field)] = {record.start[size_t(field)], record.size[size_t(field)]};
    }
    line.name = std::string_view(record.base + places[0].first, size_t(places[0].second));
    for (int field = 1; field < kFields - 1; ++field) {
        // The byte after a field is there to read: a separator in the buffer, or the field's
        // own room in the record.
        const auto [start, size] = places[size_t(field)];
        const char *text = record.base + start;
        const unsigned first = unsigned(text[0]) - '0';
        const unsigned second = unsigned(text[1]) - '0';
        const bool two = size == 2;
        if ((size == 1 || two) && first < 10 && (!two || second < 10)) {
            line.scores[size_t(field - 1)] = qint16(two ? first * 10 + second : first);
            continue;
        }
        const auto score = parseScore(std::string_view(text, size_t(size)));
        if (!score)
            return {LineFault::NotAScore, quint8(field + 1)};
        line.scores[size_t(field - 1)] = *score;
    }
    const auto [start, size] = places[kFields - 1];
    if (cachedTotal(record.base + start, size, &line.total) == kNotATotal)
        return {LineFault::NotATotal, kFields};
    return {};
}

std::pair<int, int> ResultsParser::RawRecord::field(int index) const
{
    if (commas == 0)
        return {start[index], size[index]};
    if (index == 0)
        return {1, close - 1};
    quint64 rest = commas;
    for (int i = 1; i < index; ++i)
        rest &= rest - 1;
    const int from = std::countr_zero(rest) + 1;
    rest &= rest - 1;
    const int to = rest != 0 ? std::countr_zero(rest) : length;
    return {from, to - from};
}
