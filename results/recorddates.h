#pragma once

#include "datesfile.h"
#include "linesink.h"
#include "openedfile.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// The dates of one results file's records, from the dates file beside it (see DatesFile), given
// to the records as they are read, in the order of the file.
//
// The course writes a record and then its line of the dates file under the results file's lock,
// so the lines come in the order of the records, and the two files are read side by side:
// memory does not grow with either. A line dates the record that starts where it says, and only
// when the record's length and checksum agree with it too; a line that agrees with nothing dates
// nothing. A line no longer holds once a later line names a place before its end (the results
// file was cut and written again: of several lines for one place only the last counts; a later
// line whose end was damaged still names its place). Such later lines are looked for before
// any line is matched, so that no record gets a date that a line further on takes back.
//
// A record read before its line was written waits for the line, which then dates it late
// (lateDates). A dates file that is replaced or cut, or a line that takes back a date already
// given, makes the results file be read again from its start.
class RecordDates
{
public:
    // Records read past the end of the dates file, waiting for their lines: beyond this many,
    // the oldest stay undated (until the dates file is replaced).
    static constexpr qsizetype kMaxWaiting = 4096;
    // A dates file with more lines than this that overlap earlier ones is no record of this
    // results file's saves, and dates nothing.
    static constexpr qsizetype kMaxCuts = 1 << 16;

    struct Stamp
    {
        qint64 seconds = 0;    // since 1970, UTC
        qint16 utcOffset = 0;  // minutes east of UTC, on the computer that saved the record
        std::string_view host; // valid until the next call
    };
    // A record read before, dated by a line that came since.
    struct Late
    {
        qint64 line = 0;
        qint64 seconds = 0;
        qint16 utcOffset = 0;
        QByteArray host;
    };

    explicit RecordDates(const QString &resultsPath);
    ~RecordDates();
    RecordDates(const RecordDates &) = delete;
    RecordDates &operator=(const RecordDates &) = delete;

    // Looks at the dates file before each look at the results file. False when dates given
    // before no longer hold: the results file must then be read again from its start, after
    // startOver().
    bool look();
    // The results file is read again from its start.
    void startOver();
    // A record just read, in the order of the file, with its line's bytes where the reader has
    // them (LineRecord::bytes); its date, when a line of the dates file agrees with it. A line
    // without its line end is not dated: the course writes whole lines.
    std::optional<Stamp> record(const LinePlace &place, std::string_view bytes);
    // After each look at the results file: the records read before whose lines have come since.
    // The files are let go until the next look.
    std::vector<Late> lateDates();

private:
    class Lines;
    // Voids the lines before `position` that end after `offset`.
    struct Cut
    {
        qint64 position = 0;
        qint64 offset = 0;
    };
    struct Waiting
    {
        qint64 start = 0;
        qint64 end = 0;
        qint64 line = 0;
    };

    void forget();
    void scan();
    void addCut(qint64 position, qint64 offset);
    bool voided(qint64 position, qint64 end);
    bool nextLine();
    void matchWaiting();
    void decide(qint64 end) { m_decidedEnd = std::max(m_decidedEnd, end); }
    bool agrees(qint64 start, qint64 end, const DatesFile::Line &line, std::string_view bytes);
    bool tailStillThere() const;

    QByteArray m_resultsName;
    QByteArray m_datesName;
    OpenedFile m_dates;   // during a look
    OpenedFile m_results; // during a look, once a record's bytes are read again
    bool m_known = false; // the dates file was seen, as m_device and m_inode
    dev_t m_device = 0;
    ino_t m_inode = 0;
    qint64 m_datesSize = 0;

    // The look for lines that void earlier ones, ahead of the matching.
    std::unique_ptr<Lines> m_scanLines;
    qint64 m_scanned = 0; // whole lines looked at
    qint64 m_maxEnd = 0;  // where the last line's record ends: a line before it voids
    QByteArray m_tail;    // the bytes before m_scanned, to notice a file rewritten in place
    std::vector<Cut> m_cuts;
    std::vector<qint64> m_cutMin; // the least offset of each cut and the cuts after it
    bool m_useless = false;       // more than kMaxCuts cuts

    // The matching.
    std::unique_ptr<Lines> m_lines;
    size_t m_nextCut = 0; // the first cut after the line matched last
    std::optional<DatesFile::Line> m_line;
    qint64 m_linePosition = 0;
    std::deque<Waiting> m_waiting;
    qint64 m_decidedEnd = 0; // records before this are dated or never will be
    bool m_broken = false;   // a line took back a date given
    std::vector<Late> m_late;
};
