// Fuzz target for the results reader and the line writer (libFuzzer).
//
// Any bytes as res.txt: the general reader and the fast path, with the bytes handed out whole
// or in small pieces, must agree on every outcome, and nothing may crash, hang or read out of
// bounds (the build adds AddressSanitizer and UndefinedBehaviorSanitizer). The same bytes as a
// name: the line written for it must stay one record that reads back.
#include "resultlist.h"
#include "resultsfailure.h"
#include "resultsfile.h"
#include "resultsparser.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

class PieceSource : public ByteSource
{
public:
    PieceSource(const uint8_t *data, size_t size, qint64 piece)
        : m_data(data), m_size(qint64(size)), m_piece(piece)
    {
    }
    qint64 read(char *buffer, qint64 capacity) override
    {
        const qint64 n = std::min({capacity, m_piece, m_size - m_pos});
        if (n > 0)
            std::memcpy(buffer, m_data + m_pos, size_t(n));
        m_pos += n;
        return n;
    }

private:
    const uint8_t *m_data;
    qint64 m_size;
    qint64 m_piece;
    qint64 m_pos = 0;
};

struct Outcome
{
    qint64 count = 0;
    std::vector<StoredResult> kept;
    bool operator==(const Outcome &) const = default;
};

std::optional<Outcome> read(const uint8_t *data, size_t size, ResultsParser::Path path,
                            qint64 piece)
{
    PieceSource source(data, size, piece);
    try {
        const ResultList list = ResultsParser(source, path).parse();
        Outcome outcome{list.count(), {}};
        for (qint64 i = std::max<qint64>(0, list.count() - ResultList::kKept); i < list.count(); ++i)
            outcome.kept.push_back(list.at(i));
        return outcome;
    } catch (const ResultsFailure &) {
        return std::nullopt;
    }
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void readersAgree(const uint8_t *data, size_t size)
{
    const qint64 piece = 1 + qint64(size % 17);
    const auto general = read(data, size, ResultsParser::Path::General, 1 << 20);
    check(read(data, size, ResultsParser::Path::General, piece) == general);
    check(read(data, size, ResultsParser::Path::Fast, 1 << 20) == general);
    check(read(data, size, ResultsParser::Path::Fast, piece) == general);
    check(read(data, size, ResultsParser::Path::Fast, 1) == general);
    if (general) {
        check(general->count >= qint64(general->kept.size()));
        for (const StoredResult &record : general->kept)
            check(record.Nam.size() <= ResultsParser::kMaxField);
    }
}

void nameStaysOneRecord(const uint8_t *data, size_t size)
{
    const QString name = QString::fromUtf16(reinterpret_cast<const char16_t *>(data),
                                            qsizetype(size / 2));
    const QByteArray line =
        ResultsFile::formatLine({name, 1, -2, 3, 32767, -32768, 0, 4.125});
    const qsizetype breaks = line.count('\r') + line.count('\n');
    check(breaks == 2 && line.endsWith("\r\n"));
    for (auto path : {ResultsParser::Path::General, ResultsParser::Path::Fast}) {
        const auto outcome =
            read(reinterpret_cast<const uint8_t *>(line.constData()), size_t(line.size()), path, 7);
        check(outcome && outcome->count == 1);
        const StoredResult &record = outcome->kept.front();
        check(record.L == "1" && record.R == "-2" && record.G1 == "-32768" && record.Resul == 4);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    readersAgree(data, size);
    nameStaysOneRecord(data, size);
    return 0;
}
