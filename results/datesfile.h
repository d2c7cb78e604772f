#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <string_view>

// The dates file beside a results file: the results file's name with ".dates" added
// (res.txt.dates). res.txt holds no dates and its layout is fixed, so for each record the
// course appends there it appends a line here, in the same locked section:
//
//   1024 35 5d9fa1c2 2026-12-08T10:15:02+03:00 class-3
//
// where the record starts in the results file (bytes from its start), how long it is (its CR LF
// included), the CRC-32 of its bytes in hex, the local date and time with the offset from UTC,
// and the computer's name. UTF-8 text, the fields between single spaces, LF at the end. A line
// dates a record only where all of the place, the length and the checksum agree with the results
// file (see RecordDates): a file edited, cut or replaced since gets no wrong date.
namespace DatesFile {

// A computer's name is cut to this many bytes.
constexpr int kMaxHost = 64;
// Years of four digits, as ISO 8601 writes them without a sign.
constexpr qint64 kFirstSecond = -62167219200; // 0000-01-01T00:00:00Z
constexpr qint64 kLastSecond = 253402300799;  // 9999-12-31T23:59:59Z
// The offset from UTC is within a day.
constexpr int kMaxUtcOffset = 24 * 60 - 1;

struct Line
{
    qint64 offset = 0;
    qint64 length = 0;
    quint32 crc = 0;
    qint64 seconds = 0;   // since 1970, UTC
    qint16 utcOffset = 0; // minutes east of UTC, as the saving computer's clock stood
    std::string_view host;
};

// The dates file's name for a results file's name, both as bytes.
QByteArray nameFor(const QByteArray &resultsName);

// The line, LF included.
QByteArray format(const Line &line);
// A line as written, without its LF; nothing when it is not exactly in that form. `host`
// points into `text`.
std::optional<Line> parse(std::string_view text);

// Where a line says its record lies, when it starts as the course writes a line, whatever
// follows: a line whose end was damaged still tells that a record was written there.
struct Place
{
    qint64 offset = 0;
    qint64 length = 0;
};
std::optional<Place> parsePlace(std::string_view text);

// "2026-12-08T10:15:02+03:00": the local time `utcOffset` minutes east of UTC.
QByteArray isoTime(qint64 seconds, int utcOffset);
// The seconds since 1970 and the offset of a time in that very form.
std::optional<std::pair<qint64, int>> parseIsoTime(std::string_view text);

// A computer's name as a line holds it: valid UTF-8 with no blanks and no control characters,
// cut to kMaxHost bytes; "-" for a name that is left empty.
QByteArray hostField(QByteArrayView name);

// Appends the line for a record the course has just appended to the results file `results`
// (open, and locked against other writers): `offset` is where the record starts, `record` its
// bytes. The line goes only into a plain file reached without following a link that is not
// the results file itself; a line another writer left without its end is ended first. Returns
// why the line was not written, in Russian, or nothing.
QString append(const QByteArray &resultsName, int results, qint64 offset, QByteArrayView record);

} // namespace DatesFile
