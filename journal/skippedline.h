#pragma once

#include "encodingguess.h"
#include "linefault.h"
#include "linesink.h"

#include <QtGlobal>

// A line of a results file that the journal could not read as a record. Its start (see
// LineHead) lies in the bytes of the batch, or of the model, that holds it.
struct SkippedLine
{
    qint64 line = 0;
    quint32 textAt = 0;
    quint8 textSize = 0;
    bool cut = false;     // the line goes on past its start
    bool textKept = true; // the model had no room left for its start
    TextEncoding encoding = TextEncoding::Cp1251;
    LineFault fault;
    quint16 file = 0;
    bool unended = false; // the file's last line, without its line end yet
};
static_assert(LineHead::kKept <= 255);
