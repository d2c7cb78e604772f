#pragma once

#include <QtGlobal>
#include <array>

// One record in the journal, kept small: a class's million records must fit in a few tens of
// megabytes. The name and the computer are indexes into the journal's tables of them.
struct JournalRecord
{
    // How the record's time is known.
    enum class Dating : quint8 {
        None,  // undated: no line of the dates file agrees with it
        Exact, // from its line in the dates file
        Seen,  // the time the journal first saw it, with no line in the dates file (yet)
    };

    double total = 0;
    qint64 when = 0;  // seconds since 1970, UTC, unless undated
    quint32 line = 0; // from 1; a file of more than four thousand million lines stops counting
    quint32 name = 0;
    std::array<qint16, 6> scores{}; // L, R, Dbl, M, G1, G2
    quint16 file = 0;
    quint16 host = 0;     // 0: no computer known
    qint16 utcOffset = 0; // minutes east of UTC on the computer's clock, or the journal's
    Dating dating = Dating::None;
    bool arrived = false; // appended while the journal was open
    bool unended = false; // the file's last line, without its line end yet
    quint8 doubts = 0;    // what the course cannot have written (CourseRules::doubts)
};
static_assert(sizeof(JournalRecord) == 48);
