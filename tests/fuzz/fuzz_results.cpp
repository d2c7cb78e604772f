// Fuzz target for the results reader and the line writer (libFuzzer).
//
// Any bytes as res.txt: the general reader and the fast path (with AVX2 where the processor has
// it, and without), with the bytes handed out whole or in small pieces, must agree on every
// outcome, and nothing may crash, hang or read out of bounds (the build adds AddressSanitizer
// and UndefinedBehaviorSanitizer). The lenient reader must agree with itself in the same ways,
// account for every byte, hand out a skipped line's start as it is in the input, and take a line
// as a record only where the strict reader reads that line alone as the same record. The same bytes
// as a name: the line written for it must stay one record that reads back.
#include "linelog.h"
#include "piecesource.h"
#include "resultlist.h"
#include "resultsfailure.h"
#include "resultsfile.h"
#include "resultsparser.h"
#include "totaltext.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

// Nothing on a read failure, else the count and the kept records.
using Outcome = std::optional<std::pair<qint64, std::vector<StoredResult>>>;

Outcome read(const void *data, size_t size, ResultsParser::Path path, qint64 piece)
{
    PieceSource source(QByteArray::fromRawData(static_cast<const char *>(data), qsizetype(size)),
                       piece);
    try {
        const ResultList list = ResultsParser(source, path).parse();
        std::vector<StoredResult> kept;
        for (qint64 i = std::max<qint64>(0, list.count() - ResultList::kKept); i < list.count();
             ++i)
            kept.push_back(list.at(i));
        return std::pair{list.count(), kept};
    } catch (const ResultsFailure &) {
        return std::nullopt;
    }
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

LineLog readLines(const uint8_t *data, size_t size, ResultsParser::Path path, qint64 piece)
{
    PieceSource source(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)), piece);
    LineLog log;
    ResultsParser(source, path).readLines(log);
    return log;
}

void checkLenient(const uint8_t *data, size_t size, qint64 piece)
{
    using Path = ResultsParser::Path;
    const LineLog general = readLines(data, size, Path::General, 1 << 20);
    check(readLines(data, size, Path::General, piece).same(general, true));
    for (Path fast : {Path::Fast, Path::FastBaseline}) {
        for (qint64 fastPiece : {qint64(1) << 20, piece, qint64(1)})
            check(readLines(data, size, fast, fastPiece).same(general, true));
    }
    qint64 end = 0;
    for (const LineLog::Line &line : general.lines) {
        check(line.place.start == end && line.place.end > end);
        end = line.place.end;
        if (!line.isRecord) {
            // A skipped line's start is its bytes up to its line end, cut only where it is long.
            const std::string_view bytes(reinterpret_cast<const char *>(data) + line.place.start,
                                         size_t(end - line.place.start));
            const size_t text = bytes.find_first_of("\r\n");
            const size_t shown = std::min(text, bytes.size());
            check(bytes.starts_with(line.head) &&
                  line.head.size() == std::min(shown, size_t(LineHead::kKept)) &&
                  line.cut == (shown > LineHead::kKept));
            continue;
        }
        const Outcome alone =
            read(data + line.place.start, size_t(end - line.place.start), Path::General, 1 << 20);
        check(alone && alone->first == 1);
        const StoredResult &strict = alone->second.front();
        const QString scores[] = {strict.L, strict.R, strict.Dbl, strict.M, strict.G1, strict.G2};
        for (size_t i = 0; i < 6; ++i) {
            const QByteArray text = scores[i].toLatin1();
            check(parseScore({text.constData(), size_t(text.size())}) == line.scores[i]);
        }
        check(std::abs(line.total - strict.Resul) <= 0.5);
    }
    check(end == qint64(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using Path = ResultsParser::Path;
    const qint64 piece = 1 + qint64(size % 17);
    const Outcome general = read(data, size, Path::General, 1 << 20);
    check(read(data, size, Path::General, piece) == general);
    for (Path fast : {Path::Fast, Path::FastBaseline}) {
        for (qint64 fastPiece : {qint64(1) << 20, piece, qint64(1)})
            check(read(data, size, fast, fastPiece) == general);
    }
    for (const StoredResult &record : general ? general->second : std::vector<StoredResult>())
        check(record.Nam.size() <= ResultsParser::kMaxField);
    checkLenient(data, size, piece);

    // The same bytes as a name: its line stays one record, whatever the name holds.
    const QString name =
        QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    const QByteArray line = ResultsFile::formatLine({name, 1, -2, 3, 32767, -32768, 0, 4.125});
    check(line.count('\r') + line.count('\n') == 2 && line.endsWith("\r\n"));
    for (Path path : {Path::General, Path::Fast, Path::FastBaseline}) {
        const Outcome outcome = read(line.constData(), size_t(line.size()), path, 7);
        check(outcome && outcome->first == 1);
        const StoredResult &record = outcome->second.front();
        check(record.L == "1" && record.R == "-2" && record.G1 == "-32768" && record.Resul == 4);
    }
    return 0;
}
