#pragma once

#include <QtGlobal>
#include <array>

// One record in the journal, kept small: a class's million records must fit in a few tens of
// megabytes. The name is an index into the journal's table of names.
struct JournalRecord
{
    double total = 0;
    quint32 line = 0; // from 1; a file of more than four thousand million lines stops counting
    quint32 name = 0;
    std::array<qint16, 6> scores{}; // L, R, Dbl, M, G1, G2
    quint16 file = 0;
    bool unended = false; // the file's last line, without its line end yet
    quint8 doubts = 0;    // what the course cannot have written (CourseRules::doubts)
};
static_assert(sizeof(JournalRecord) == 32);
