#pragma once

#include "journalrecord.h"
#include "skippedline.h"

#include <QStringList>
#include <vector>

// What the reading thread hands to the window at a time, all from one file.
struct JournalBatch
{
    // A record read before, dated since by its line in the dates file.
    struct Dated
    {
        quint32 line = 0;
        quint16 host = 0;
        qint16 utcOffset = 0;
        qint64 when = 0;
    };

    quint16 file = 0;
    bool startOver = false;   // drop the file's records and skipped lines first
    bool voidUnended = false; // drop the file's unended last line first
    QStringList names;        // names met for the first time, numbered on from the last batch's
    QStringList hosts;        // computers met for the first time, likewise, from 1
    std::vector<JournalRecord> records;
    std::vector<Dated> dated; // after the records
    std::vector<SkippedLine> skipped;
    QByteArray skippedText; // the skipped lines' starts, one after another
};
