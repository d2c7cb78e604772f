#include "journalexport.h"

#include "cp1251.h"
#include "csvfile.h"
#include "csvwriter.h"
#include "filefollower.h"
#include "filepath.h"
#include "recorddates.h"
#include "recordscsv.h"
#include "resultsparser.h"

#include <QHash>
#include <QIODevice>

namespace {

// "NAME: what", with the name as its bytes.
void report(QIODevice &errors, const QString &name, const QString &what)
{
    errors.write(FilePath::encode(FilePath::printable(name) + QStringLiteral(": ") + what + u'\n'));
}

// Writes each line of one file as a row as soon as it is read, so that memory does not grow
// with the files.
class ExportSink : public FileFollower::Sink
{
public:
    ExportSink(CsvWriter &csv, const QString &file, QIODevice &errors, RecordDates &dates,
               const JournalPeriod &period)
        : m_csv(csv), m_file(CsvWriter::textField(file)), m_fileName(file), m_errors(errors),
          m_dates(dates), m_period(period)
    {
    }

    // A file is read once, from its start.
    void startedOver() override {}
    void lastLineVoided() override {}
    void encodingFound(TextEncoding encoding) override { m_encoding = encoding; }

    void record(const LinePlace &place, const LineRecord &record) override
    {
        JournalRecord dated;
        QByteArray when;
        std::string_view host;
        if (const auto stamp = m_dates.record(place, record.bytes)) {
            dated.dating = JournalRecord::Dating::Exact;
            dated.when = stamp->seconds;
            dated.utcOffset = stamp->utcOffset;
            when = RecordsModel::isoWhen(dated);
            host = stamp->host == "-" ? std::string_view() : stamp->host;
        }
        if (!m_period.contains(dated))
            return;
        RecordsCsv::writeRow(m_csv, {m_file, place.number, nameField(record.name), record.scores,
                                     record.total, when, hostField(host)});
    }
    void skipped(const LinePlace &place, LineFault fault, const LineHead &) override
    {
        report(m_errors, m_fileName + u':' + QString::number(place.number), fault.text());
    }

private:
    const QByteArray &hostField(std::string_view bytes)
    {
        const QByteArray key = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
        auto found = m_hosts.find(key);
        if (found == m_hosts.end())
            found = m_hosts.insert(QByteArray(bytes.data(), qsizetype(bytes.size())),
                                   CsvWriter::textField(QString::fromUtf8(key)));
        return found.value();
    }
    const QByteArray &nameField(std::string_view bytes)
    {
        const QByteArray key = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
        auto found = m_names.find(key);
        if (found == m_names.end())
            found = m_names.insert(
                QByteArray(bytes.data(), qsizetype(bytes.size())),
                CsvWriter::textField(EncodingGuess::text(m_encoding, m_codePage, bytes)));
        return found.value();
    }

    CsvWriter &m_csv;
    QByteArray m_file;
    QString m_fileName;
    QIODevice &m_errors;
    Cp1251 m_codePage;
    // The sink reads one file, and only ASCII names, which read alike in both encodings, can
    // come before its encoding is found.
    TextEncoding m_encoding = TextEncoding::Cp1251;
    QHash<QByteArray, QByteArray> m_names;
    RecordDates &m_dates;
    const JournalPeriod &m_period;
    QHash<QByteArray, QByteArray> m_hosts;
};

} // namespace

JournalExport::Status JournalExport::run(const QStringList &files, const QString &csvPath,
                                         QIODevice &errors, const JournalPeriod &period)
{
    CsvFile out;
    switch (out.start(csvPath, files)) {
    case CsvFile::Opened::Yes:
        break;
    case CsvFile::Opened::Refused:
        report(errors, csvPath, QStringLiteral("таблица не записана: ") + out.errorString());
        return Refused;
    case CsvFile::Opened::Failed:
        report(errors, csvPath, QStringLiteral("не удалось создать файл: ") + out.errorString());
        return FileUnreadable;
    }
    Status status = AllRead;
    CsvWriter csv(out);
    RecordsCsv::writeTitles(csv);
    // A file named twice, by whatever path or link, is read once.
    for (const QString &file : FilePath::withoutRepeats(files)) {
        FileFollower follower(file);
        RecordDates dates(file);
        dates.look();
        ExportSink sink(csv, file, errors, dates, period);
        const FileFollower::State state = follower.poll(sink);
        dates.lateDates();
        if (state != FileFollower::State::Read) {
            report(errors, file, follower.problem());
            status = FileUnreadable;
        }
    }
    if (!csv.finish() || !out.commit()) {
        report(errors, csvPath, QStringLiteral("не удалось записать файл: ") + out.errorString());
        return FileUnreadable;
    }
    return status;
}
