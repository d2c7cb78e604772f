#pragma once

#include "bytesource.h"
#include "cp1251.h"
#include "linesink.h"
#include "resultlist.h"

#include <array>
#include <memory>

// Reads records of res.txt from a stream of bytes.
//
// A field ends at a comma or a line end (CR LF, or a lone CR or LF), and a line end separates
// fields exactly as a comma does: records are consecutive groups of eight fields. Blanks (spaces
// and tabs) around a field are dropped. A field that begins with a double quote is the text up
// to the next double quote, line ends included; text after the closing quote up to the separator
// is ignored. Field 8 must be a number (see parseTotal). The end of the input is tested only
// before each record: input that ends inside a record is a failure, a last line without its line
// end is read normally.
//
// Only the newest nine records are kept, as raw bytes, and only those are converted from the code
// page at the end, so time and memory do not depend on anything but the input's length. A field
// keeps at most kMaxField bytes: a longer name or score is cut, a longer total is a failure.
// In the kept texts every control character (NUL, tab, a line end inside quotes...) is shown as a
// space.
//
// The lenient reader (readLines) takes every line as one record instead, with the same field
// rules, and hands each to a sink: as a record, or as a skipped line with the reason. A line
// end always ends its line there, inside quotes too. A name keeps up to kMaxName bytes, and a
// longer one its first kMaxName bytes, marked as cut; any other field longer than kMaxField, a
// count of fields other than eight, a score that is not a whole number in -32768 .. 32767 or a
// total that parseTotal refuses make the line skipped, handed out with its first bytes, and
// reading goes on with the next line.
class ResultsParser
{
public:
    static constexpr int kMaxField = 256;
    // A name as long as the name prompt takes (kMaxInputLength, 255 characters) in UTF-8, where
    // a character takes up to four bytes.
    static constexpr int kMaxName = 1024;
    static constexpr int kFields = 8;

    // Without the fast path every record goes through the general field reader; the two must
    // give the same results (the fuzz target compares them). FastBaseline is the fast path with
    // only the vector instructions that every x86-64 processor has, as on an old processor.
    enum class Path { Fast, FastBaseline, General };

    explicit ResultsParser(ByteSource &source, Path path = Path::Fast);
    ~ResultsParser();

    // Throws ResultsFailure.
    ResultList parse();
    // The same from a place after a line end, taken for a record's start only if the record
    // there is one line laid out as the program writes it: a quoted name without a line end,
    // seven fields after commas, and a line end (or the end of the input) after the total.
    // Throws NotARecordStart when it is not, ResultsFailure as parse() does.
    struct NotARecordStart
    {
    };
    ResultList parseFromLineStart();

    // Reads every line to the end of the input. Lines are numbered from `firstNumber` and their
    // places counted from `startOffset`, the place in the file where the input begins. Throws
    // ResultsFailure only when the input cannot be read; the lines before are handed out.
    void readLines(LineSink &sink, qint64 firstNumber = 1, qint64 startOffset = 0);

    // A field's bytes as text, every control character shown as a space.
    static QString fieldText(Cp1251 &codePage, std::string_view bytes);

private:
    // A record's fields as bytes. A record read by the fast path points into the buffer and is
    // copied out only when the buffer is about to be refilled, and only if it is still one of
    // the newest nine: copying every record costs more than reading it.
    struct RawRecord
    {
        const char *base = nullptr;
        quint16 length = 0; // bytes from base that hold the fields
        bool inBuffer = false;
        std::array<quint16, kFields> start; // from base
        std::array<quint16, kFields> size;
        qint16 total = 0;
        bool nameCut = false;
        std::array<char, kMaxName + (kFields - 1) * kMaxField + 16> bytes;
    };
    // Where the fields of a line of the program's layout are, from its start (see shortLine).
    struct ShortLine
    {
        int close = 0;      // the name's closing quote
        int lineEnd = 0;    // the CR or LF
        quint64 commas = 0; // a bit for each of the seven commas after the name
        int total = 0;      // the total's first byte
    };

    // True while a byte is left; refills the buffer when it has been used up. The check is
    // inline, as the general field reader asks it for every byte.
    bool available() { return m_pos < m_end || refill(); }
    bool refill();
    void allocate(qint64 size);
    void settleRecords();
    void listFeeds();
    // The templates are inlined into functions compiled for different processors.
    template <typename Masks> [[gnu::always_inline]] void listFeedsWith(Masks masks);
    void listFeedsAvx2();
    template <typename Masks>
    [[gnu::always_inline]] bool shortLine(Masks masks, qint64 at, qint64 feed, ShortLine &line);
    int lineTotal(qint64 at, const ShortLine &line);
    qint64 readShortLines(qint64 count);
    template <typename Masks>
    [[gnu::always_inline]] qint64 readShortLinesWith(Masks masks, qint64 count);
    qint64 readShortLinesAvx2(qint64 count);
    bool readShortLine(RawRecord &record);
    void takeShortLine(RawRecord &record, const char *begin, const ShortLine &line, int total);
    using Spans = std::array<const char *, kFields>;
    bool readFast(RawRecord &record);
    bool keepInBuffer(RawRecord &record, const Spans &from, const Spans &to, const char *next);
    static constexpr int kNotATotal = -1 << 20;
    int cachedTotal(const char *text, qint64 size, double *exact = nullptr);
    struct TotalCacheEntry
    {
        quint64 key = 0;
        qint16 value = 0;
        double exact = 0;
    };
    const TotalCacheEntry *knownTotal(quint64 key) const;
    int parsedTotal(const char *text, qint64 size, quint64 key, double *exact);
    void readGeneral(RawRecord &record);
    struct FieldRead
    {
        bool quoted = false;
        bool unclosed = false; // a line end or the end came before the closing quote
        bool cut = false;
    };
    FieldRead readField(RawRecord &record, int field);
    void skipSeparator();
    bool fieldOnItsLine(const RawRecord &record, int field, const FieldRead &read);
    LineFault readLine(RawRecord &record, bool &ended);
    static bool nameHoldsLineEnd(const RawRecord &record);
    LineFault toLineRecord(const RawRecord &record, LineRecord &line);
    qint64 offset() const { return m_readBefore + (m_pos - m_buffer.get()); }
    void keepHead(const char *to);
    LineHead lineHead(const LinePlace &place);
    StoredResult decode(const RawRecord &record);

    ByteSource &m_source;
    Path m_path;
    std::unique_ptr<char[]> m_buffer;
    qint64 m_bufferSize = 0;
    const char *m_pos = nullptr;
    const char *m_end = nullptr;
    bool m_sourceDone = false;
    bool m_lineMode = false;
    bool m_provingStart = false; // the first record must show that it starts at a line start
    // The lenient reader's line so far, up to a line end beyond LineHead::kKept bytes: the
    // bytes kept, and where in the buffer the rest starts.
    std::array<char, LineHead::kKept + 2> m_head;
    int m_headSize = 0;
    const char *m_headFrom = nullptr;
    qint64 m_readBefore = 0; // bytes of the input before the buffered ones
    bool m_avx2;
    // The places of the buffer's line feeds in order (see listFeeds).
    std::unique_ptr<quint32[]> m_feeds;
    qint64 m_feedCount = 0;
    qint64 m_nextFeed = 0; // the first that may be at or after m_pos
    std::unique_ptr<std::array<RawRecord, ResultList::kKept>> m_ring;
    std::array<TotalCacheEntry, 256> m_totals{};
    Cp1251 m_codePage;
};
