#pragma once

#include "encodingguess.h"
#include "linefault.h"

#include <QtGlobal>
#include <array>
#include <string_view>

// Where one line of a results file lies: its number (from 1) and its bytes from the start of
// the input. A last line without a line end is not `ended`: more of it may still be written.
struct LinePlace
{
    qint64 number = 0;
    qint64 start = 0;
    qint64 end = 0; // after its line end
    bool ended = true;
};

// One line read as a record: the name's bytes, the six scores and the total exactly as written;
// and the whole line's bytes, its line end included, where the reader holds them in one piece
// (empty where the line straddles two reads).
struct LineRecord
{
    std::string_view name;
    std::array<qint16, 6> scores{};
    double total = 0;
    bool nameCut = false; // the name goes on past these bytes (see ResultsParser::kMaxName)
    TextEncoding encoding = TextEncoding::Cp1251; // the name's, as a follower reads it
    std::string_view bytes;
};

// The start of a skipped line as its bytes, without its line end: at most kKept bytes, so that
// a file of long damaged lines costs no more than that for each.
struct LineHead
{
    static constexpr int kKept = 120;
    std::string_view bytes;
    bool cut = false;                             // the line goes on past these bytes
    TextEncoding encoding = TextEncoding::Cp1251; // as a follower reads them
};

// Takes the lines of a results file from the lenient reader, each either as a record or as a
// skipped line with the reason and its start.
class LineSink
{
public:
    virtual ~LineSink() = default;
    virtual void record(const LinePlace &place, const LineRecord &record) = 0;
    virtual void skipped(const LinePlace &place, LineFault fault, const LineHead &head) = 0;
};
