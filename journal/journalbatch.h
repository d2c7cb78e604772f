#pragma once

#include "journalrecord.h"
#include "skippedline.h"

#include <QStringList>
#include <vector>

// What the reading thread hands to the window at a time, all from one file.
struct JournalBatch
{
    quint16 file = 0;
    bool startOver = false;   // drop the file's records and skipped lines first
    bool voidUnended = false; // drop the file's unended last line first
    QStringList names;        // names met for the first time, numbered on from the last batch's
    std::vector<JournalRecord> records;
    std::vector<SkippedLine> skipped;
    QByteArray skippedText; // the skipped lines' starts, one after another
};
