#pragma once

#include "linefault.h"

#include <QtGlobal>

// A line of a results file that the journal could not read as a record.
struct SkippedLine
{
    qint64 line = 0;
    LineFault fault;
    quint16 file = 0;
    bool unended = false; // the file's last line, without its line end yet
};
