#include "resultsparser.h"

#include "bytemasks.h"
#include "fieldbytes.h"
#include "resultsfailure.h"
#include "totaltext.h"

#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

namespace {

// The buffer starts small and grows once a read fills it: a big file costs fewer calls into the
// system (reads larger than the large buffer gain nothing), a small one no large allocation.
constexpr qint64 kSmallBuffer = 64 * 1024;
constexpr qint64 kLargeBuffer = 256 * 1024;
// The fast path reads 64 bytes from the start of a line, and eight from the start of a total.
constexpr qint64 kBufferPadding = 64;

// A line of the program's is at least 12 bytes long: the list of line feeds need not hold more
// than one for every 12 bytes, and is cut short where there are more.
constexpr qint64 maxFeeds(qint64 bufferSize)
{
    return bufferSize / 12 + 64;
}

// Placed after the buffered bytes: the fast path's scans stop there at the latest (see
// kFastStop).
constexpr char kSentinel = '"';

// A total of one to seven bytes as a number that stands for them; 0 for any other.
quint64 totalKey(const char *text, qint64 size)
{
    if (size < 1 || size > 7)
        return 0;
    quint64 key = 0;
    std::memcpy(&key, text, sizeof key); // the buffer's padding makes this safe
    key = qFromLittleEndian(key) & ((quint64(1) << (8 * size)) - 1);
    return key | quint64(size) << 56; // "5" and "5\0" differ; no key is 0
}

constexpr int kNotAScore = -1 << 20;

// A score, or kNotAScore. One or two digits, as the program writes them, are read here; any
// other goes to parseScore, whose call costs more than the rest of the line. A plain int, as an
// optional 16-bit number is put together in memory, which stalls the read that follows.
int lineScore(std::string_view text)
{
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.size() == 1 && digit(text[0]))
        return text[0] - '0';
    if (text.size() == 2 && digit(text[0]) && digit(text[1]))
        return (text[0] - '0') * 10 + (text[1] - '0');
    const auto score = parseScore(text);
    return score ? *score : kNotAScore;
}

// Whether a score or a total that was refused is a number all the same, only too large: an
// optional sign and digits, with a fraction where `fraction`.
bool isNumber(std::string_view text, bool fraction)
{
    bool digits = false;
    bool point = false;
    for (size_t i = !text.empty() && (text[0] == '+' || text[0] == '-'); i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9')
            digits = true;
        else if (text[i] == '.' && fraction && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

} // namespace

ResultsParser::ResultsParser(ByteSource &source, Path path)
    : m_source(source), m_path(path), m_avx2(path == Path::Fast && hasAvx2()),
      m_ring(std::make_unique<std::array<RawRecord, ResultList::kKept>>())
{
    allocate(kSmallBuffer);
}

ResultsParser::~ResultsParser() = default;

ResultList ResultsParser::parse()
{
    qint64 count = 0;
    while (available()) {
        // A short line is one line laid out as the program writes it.
        const qint64 lines = m_path == Path::General ? 0 : readShortLines(count);
        if (lines > 0) {
            count += lines;
            m_provingStart = false;
            continue;
        }
        RawRecord &record = (*m_ring)[static_cast<size_t>(count % ResultList::kKept)];
        const char *const start = m_pos;
        if (m_path == Path::General || !readFast(record) ||
            (m_provingStart && nameHoldsLineEnd(record))) {
            m_pos = start; // the fast path reads within the buffer only
            readGeneral(record);
        }
        m_provingStart = false;
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

ResultList ResultsParser::parseFromLineStart()
{
    m_provingStart = true;
    return parse();
}

// Refills the buffer when it has been used up (see available); true if a byte came.
bool ResultsParser::refill()
{
    if (m_sourceDone)
        return false;
    if (m_lineMode)
        keepHead(m_end);
    settleRecords();
    m_readBefore += m_end - m_buffer.get();
    if (m_end - m_buffer.get() == m_bufferSize && m_bufferSize < kLargeBuffer)
        allocate(kLargeBuffer);
    const qint64 got = m_source.read(m_buffer.get(), m_bufferSize);
    if (got < 0 || got > m_bufferSize)
        throw ResultsFailure("res.txt cannot be read");
    m_pos = m_buffer.get();
    m_end = m_pos + got;
    m_buffer[got] = kSentinel;
    // What the fast path reads past the end is then never left unset.
    std::memset(m_buffer.get() + got + 1, 0, kBufferPadding - 1);
    m_sourceDone = got == 0;
    m_headFrom = m_pos;
    listFeeds();
    return got > 0;
}

// A new, empty buffer; no record may point into the old one.
void ResultsParser::allocate(qint64 size)
{
    // Neither is cleared: that would cost more than reading a small file.
    m_buffer = std::make_unique_for_overwrite<char[]>(size + kBufferPadding);
    m_feeds = std::make_unique_for_overwrite<quint32[]>(maxFeeds(size));
    m_bufferSize = size;
    m_pos = m_end = m_buffer.get();
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
// than the rest of its line: short ones are remembered by their bytes (see totalKey).
inline int ResultsParser::cachedTotal(const char *text, qint64 size, double *exact)
{
    const quint64 key = totalKey(text, size);
    const TotalCacheEntry *const entry = knownTotal(key);
    if (!entry)
        return parsedTotal(text, size, key, exact);
    if (exact)
        *exact = entry->exact;
    return entry->value;
}

// The total remembered for a key, if any.
inline const ResultsParser::TotalCacheEntry *ResultsParser::knownTotal(quint64 key) const
{
    const TotalCacheEntry &entry = m_totals[(key * 0x9E3779B97F4A7C15u) >> 56];
    return key != 0 && entry.key == key ? &entry : nullptr;
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
    if ((m_lineMode || m_provingStart) && *p == ',')
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

// Lists the places of the buffer's line feeds, so that the fast path knows where each line
// ends before it looks at the line (see readShortLines).
void ResultsParser::listFeeds()
{
    m_feedCount = 0;
    m_nextFeed = 0;
    if (m_path == Path::General)
        return;
#if defined(__SSE2__)
    if (m_avx2)
        return listFeedsAvx2();
#endif
    listFeedsWith(masksBaseline);
}

template <typename Masks> inline void ResultsParser::listFeedsWith(Masks masks)
{
    const qint64 size = m_end - m_buffer.get();
    const qint64 capacity = maxFeeds(m_bufferSize);
    for (qint64 at = 0; at < size && m_feedCount + 64 <= capacity; at += 64) {
        quint64 feeds = masks(m_buffer.get() + at).feeds;
        if (size - at < 64)
            feeds &= (quint64(1) << (size - at)) - 1; // only the bytes read
        // Four places are written whatever the count, without a branch for each: most words
        // hold fewer, and such a branch would often be mispredicted. The top bit set aside
        // keeps countr_zero from testing for no bit at all, which it would do with a branch.
        const int count = std::popcount(feeds);
        quint32 *const out = m_feeds.get() + m_feedCount;
        const auto next = [&feeds, at] {
            const int place = std::countr_zero(feeds | quint64(1) << 63);
            feeds &= feeds - 1;
            return static_cast<quint32>(at + place);
        };
        for (int i = 0; i < 4; ++i)
            out[i] = next();
        for (int i = 4; i < count; ++i)
            out[i] = next();
        m_feedCount += count;
    }
}

// Whether the bytes from `at` to the line feed at `feed` are a line laid out as the program
// writes it: a quoted name without a double quote inside, seven fields after single commas,
// none with a control character or space, and CR LF (or LF alone); all within 64 bytes, so that
// one set of masks covers the line. Such a line is one record, which every path reads alike,
// if its total is a number (see lineTotal).
template <typename Masks>
inline bool ResultsParser::shortLine(Masks masks, qint64 at, qint64 feed, ShortLine &line)
{
    qint64 lineEnd = feed - at;
    if (lineEnd < 1 || lineEnd > 63)
        return false;
    if (m_buffer[feed - 1] == '\r')
        --lineEnd;
    const ByteMasks bytes = masks(m_buffer.get() + at);
    const quint64 beforeEnd = (quint64(1) << lineEnd) - 1;
    const quint64 quotes = bytes.quotes & beforeEnd;
    // The line starts with the opening quote, and the closing one is the only other.
    const quint64 close = quotes & (quotes - 1);
    if ((quotes & 1) == 0 || close == 0 || (close & (close - 1)) != 0)
        return false;
    const quint64 fields = beforeEnd & ~(close | (close - 1));
    const quint64 commas = bytes.commas & fields;
    if ((commas & (close << 1)) == 0 || (bytes.low & fields) != 0 ||
        std::popcount(commas) != kFields - 1)
        return false;
    line = {std::countr_zero(close), int(lineEnd), commas, 64 - std::countl_zero(commas)};
    return true;
}

// The total of a short line, or kNotATotal.
int ResultsParser::lineTotal(qint64 at, const ShortLine &line)
{
    return cachedTotal(m_buffer.get() + at + line.total, line.lineEnd - line.total);
}

// Reads records from m_pos on for as long as each is a short line (see shortLine) that ends in
// the buffer, and returns how many; `count` records were read before.
qint64 ResultsParser::readShortLines(qint64 count)
{
#if defined(__SSE2__)
    if (m_avx2)
        return readShortLinesAvx2(count);
#endif
    return readShortLinesWith(masksBaseline, count);
}

template <typename Masks> inline qint64 ResultsParser::readShortLinesWith(Masks masks, qint64 count)
{
    const quint32 *const feeds = m_feeds.get();
    const qint64 begin = m_pos - m_buffer.get();
    while (m_nextFeed < m_feedCount && feeds[m_nextFeed] < begin)
        ++m_nextFeed;
    const qint64 first = m_nextFeed;
    qint64 at = begin;
    qint64 feed = first;
    for (;;) {
        // A line's start is taken from the list, not from the check of the line before, so
        // that the checks of successive lines overlap. The loop calls nothing, so that its
        // values stay in registers: a total that is not remembered yet ends it.
        while (feed < m_feedCount) {
            ShortLine line;
            if (!shortLine(masks, at, feeds[feed], line) ||
                !knownTotal(totalKey(m_buffer.get() + at + line.total, line.lineEnd - line.total)))
                break;
            at = feeds[feed] + 1;
            ++feed;
        }
        ShortLine line;
        if (feed == m_feedCount || !shortLine(masks, at, feeds[feed], line) ||
            lineTotal(at, line) == kNotATotal)
            break;
        at = feeds[feed] + 1;
        ++feed;
    }
    // Only the newest nine are taken into the ring: the others need no more than their check.
    for (qint64 i = std::max(first, feed - ResultList::kKept); i < feed; ++i) {
        const qint64 start = i == first ? begin : feeds[i - 1] + 1;
        ShortLine line;
        shortLine(masks, start, feeds[i], line);
        const qint64 index = count + (i - first);
        takeShortLine((*m_ring)[static_cast<size_t>(index % ResultList::kKept)],
                      m_buffer.get() + start, line, lineTotal(start, line));
    }
    m_pos = m_buffer.get() + at;
    m_nextFeed = feed;
    return feed - first;
}

#if defined(__SSE2__)
// Compiled for AVX2 and the bit instructions that come with it, for the processors that have
// them: the masks inline with AVX2, and the bit counts become single instructions.
__attribute__((target("avx2,bmi,bmi2,popcnt"))) void ResultsParser::listFeedsAvx2()
{
    listFeedsWith(masksAvx2);
}

__attribute__((target("avx2,bmi,bmi2,popcnt"))) qint64
ResultsParser::readShortLinesAvx2(qint64 count)
{
    return readShortLinesWith(masksAvx2, count);
}
#endif

// One short line at m_pos, as readShortLines takes them.
bool ResultsParser::readShortLine(RawRecord &record)
{
    const qint64 at = m_pos - m_buffer.get();
    while (m_nextFeed < m_feedCount && m_feeds[m_nextFeed] < at)
        ++m_nextFeed;
    ShortLine line;
    if (m_nextFeed == m_feedCount || !shortLine(masksBaseline, at, m_feeds[m_nextFeed], line))
        return false;
    const int total = lineTotal(at, line);
    if (total == kNotATotal)
        return false;
    takeShortLine(record, m_pos, line, total);
    m_pos = m_buffer.get() + m_feeds[m_nextFeed] + 1;
    return true;
}

void ResultsParser::takeShortLine(RawRecord &record, const char *begin, const ShortLine &line,
                                  int total)
{
    record.base = begin;
    record.length = static_cast<quint16>(line.lineEnd);
    record.inBuffer = true;
    record.nameCut = false;
    record.start[0] = 1;
    record.size[0] = static_cast<quint16>(line.close - 1);
    quint64 commas = line.commas;
    for (int field = 1; field < kFields; ++field) {
        const int from = std::countr_zero(commas) + 1;
        commas &= commas - 1;
        const int to = commas != 0 ? std::countr_zero(commas) : line.lineEnd;
        record.start[field] = static_cast<quint16>(from);
        record.size[field] = static_cast<quint16>(to - from);
    }
    record.total = static_cast<qint16>(total);
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
    record.nameCut = false;
    for (int field = 0; field < kFields; ++field) {
        record.start[field] = static_cast<quint16>(from[field] - begin);
        record.size[field] = static_cast<quint16>(to[field] - from[field]);
    }
    record.total = static_cast<qint16>(total);
    m_pos = next;
    return true;
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
        const auto start = record.start[size_t(field)];
        const auto size = record.size[size_t(field)];
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
    m_headFrom = m_pos;
    m_headSize = 0;
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
        if (fault) {
            keepHead(m_pos);
            sink.skipped(place, fault, lineHead(place));
        } else {
            line.bytes = place.start >= m_readBefore
                             ? std::string_view(m_buffer.get() + (place.start - m_readBefore),
                                                size_t(place.end - place.start))
                             : std::string_view();
            sink.record(place, line);
        }
        ++place.number;
        m_headFrom = m_pos;
        m_headSize = 0;
    }
}

// Keeps the line's bytes up to `to`, as far as there is room.
void ResultsParser::keepHead(const char *to)
{
    const qint64 room = qint64(m_head.size()) - m_headSize;
    const qint64 size = std::min<qint64>(to - m_headFrom, room);
    if (size > 0) {
        std::memcpy(m_head.data() + m_headSize, m_headFrom, size_t(size));
        m_headSize += int(size);
    }
    m_headFrom = to;
}

// The line kept whole holds its line end, which is left out; a longer one is cut.
LineHead ResultsParser::lineHead(const LinePlace &place)
{
    qint64 size = m_headSize;
    if (size == place.end - place.start && place.ended) {
        if (size > 0 && m_head[size_t(size - 1)] == '\n')
            --size;
        if (size > 0 && m_head[size_t(size - 1)] == '\r')
            --size;
    }
    const bool cut = size > LineHead::kKept;
    return {std::string_view(m_head.data(), size_t(cut ? LineHead::kKept : size)), cut};
}

// The fast path takes a quoted name up to its closing quote, as records are read in the strict
// mode; here a line end inside it ends the line.
bool ResultsParser::nameHoldsLineEnd(const RawRecord &record)
{
    const char *const name = record.base + record.start[0];
    // A plain loop: find_first_of calls memchr for every byte of the name.
    return std::any_of(name, name + record.size[0], [](char c) { return c == '\r' || c == '\n'; });
}

// The scores and the exact total of a record whose fields have been read.
LineFault ResultsParser::toLineRecord(const RawRecord &record, LineRecord &line)
{
    const auto bytes = [&](int field) {
        return std::string_view(record.base + record.start[size_t(field)],
                                record.size[size_t(field)]);
    };
    line.name = bytes(0);
    line.nameCut = record.nameCut;
    for (int field = 1; field < kFields - 1; ++field) {
        const int score = lineScore(bytes(field));
        if (score == kNotAScore)
            return {isNumber(bytes(field), false) ? LineFault::ScoreTooLarge : LineFault::NotAScore,
                    quint8(field + 1)};
        line.scores[size_t(field - 1)] = static_cast<qint16>(score);
    }
    const std::string_view total = bytes(kFields - 1);
    if (cachedTotal(total.data(), qint64(total.size()), &line.total) == kNotATotal)
        return {isNumber(total, true) ? LineFault::TotalTooLarge : LineFault::NotATotal, kFields};
    return {};
}
