#pragma once

#include "journalrecord.h"

#include <limits>

// The time whose records the journal counts: all of it, undated records too, or the records
// saved from one moment up to another. Records seen by the journal without a date of their own
// count by the time they were seen.
struct JournalPeriod
{
    static constexpr qint64 kNever = std::numeric_limits<qint64>::max();
    static constexpr qint64 kAlways = std::numeric_limits<qint64>::min();

    bool all = true;
    qint64 from = kAlways; // seconds since 1970, UTC: the first one counted
    qint64 until = kNever; // the first one past the period

    static JournalPeriod between(qint64 from, qint64 until) { return {false, from, until}; }

    bool contains(const JournalRecord &record) const
    {
        return all || (record.dating != JournalRecord::Dating::None && record.when >= from &&
                       record.when < until);
    }
    bool operator==(const JournalPeriod &) const = default;
};
