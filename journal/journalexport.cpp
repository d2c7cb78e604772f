#include "journalexport.h"

#include "classmarks.h"
#include "courserules.h"
#include "cp1251.h"
#include "csvwriter.h"
#include "doubtmarks.h"
#include "filefollower.h"
#include "filepath.h"
#include "journalfilter.h"
#include "journalloader.h"
#include "namemerges.h"
#include "outputfile.h"
#include "outputtitle.h"
#include "pupilsmodel.h"
#include "recorddates.h"
#include "recordscsv.h"
#include "resultsparser.h"
#include "workbookwriter.h"

#include <QDateTime>
#include <QHash>
#include <QIODevice>
#include <array>
#include <optional>
#include <unistd.h>

namespace {

constexpr qsizetype kMostNamesKept = 65536;

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
               const JournalPeriod &period, ClassMarks *marks)
        : m_csv(csv), m_file(CsvWriter::textField(file)), m_fileName(file), m_errors(errors),
          m_dates(dates), m_period(period), m_marks(marks)
    {
    }

    // A file is read once, from its start.
    void startedOver() override {}
    void lastLineVoided() override {}

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
        // Hand-edited or damaged lines are few: their reasons are made as they come.
        dated.scores = record.scores;
        dated.total = record.total;
        dated.doubts = CourseRules::doubts(record.scores, record.total);
        const QByteArray reason = dated.doubts == 0
                                      ? QByteArray()
                                      : CsvWriter::textField(DoubtMarks::recordReason(dated));
        RecordsCsv::writeRow(m_csv, {m_file, place.number, nameField(record), record.scores,
                                     record.total, when, hostField(host), reason,
                                     m_marks ? m_marks->mark(record.name, record.encoding,
                                                             record.nameCut, m_codePage)
                                             : QByteArrayView()});
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
        if (found == m_hosts.end()) {
            if (m_hosts.size() >= kMostNamesKept)
                m_hosts.clear();
            found = m_hosts.insert(QByteArray(bytes.data(), qsizetype(bytes.size())),
                                   CsvWriter::textField(QString::fromUtf8(key)));
        }
        return found.value();
    }
    // In one file the same bytes are always read alike, unless one name was cut short.
    const QByteArray &nameField(const LineRecord &record)
    {
        const std::string_view bytes = record.name;
        QHash<QByteArray, QByteArray> &names = m_names[record.nameCut];
        const QByteArray key = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
        auto found = names.find(key);
        if (found == names.end()) {
            // A class has a few dozen names; a file of millions would have them all kept.
            if (names.size() >= kMostNamesKept)
                names.clear();
            found = names.insert(QByteArray(bytes.data(), qsizetype(bytes.size())),
                                 CsvWriter::textField(EncodingGuess::text(
                                     record.encoding, m_codePage, bytes, record.nameCut)));
        }
        return found.value();
    }

    CsvWriter &m_csv;
    QByteArray m_file;
    QString m_fileName;
    QIODevice &m_errors;
    Cp1251 m_codePage;
    std::array<QHash<QByteArray, QByteArray>, 2> m_names; // of whole names, and of cut ones
    RecordDates &m_dates;
    const JournalPeriod &m_period;
    ClassMarks *m_marks;
    QHash<QByteArray, QByteArray> m_hosts;
};

bool isWorkbook(const QString &path)
{
    return path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
}

// Every record of the files as the CSV has it, each written as soon as it is read. `problem`:
// why the output could not be written, if it could not.
JournalExport::Status writeCsv(const QStringList &files, OutputFile &out, QIODevice &errors,
                               const JournalPeriod &period, const ClassList *classList,
                               QString &problem)
{
    JournalExport::Status status = JournalExport::AllRead;
    CsvWriter csv(out);
    // The pupils merged in the journal are one here too.
    std::optional<NameMerges> merges;
    std::optional<ClassMarks> marks;
    if (classList)
        marks.emplace(*classList, merges.emplace());
    RecordsCsv::writeTitles(csv, classList);
    for (const QString &file : files) {
        FileFollower follower(file);
        RecordDates dates(file);
        dates.look();
        ExportSink sink(csv, file, errors, dates, period, marks ? &*marks : nullptr);
        const FileFollower::State state = follower.poll(sink);
        dates.lateDates();
        if (state != FileFollower::State::Read) {
            report(errors, file, follower.problem());
            status = JournalExport::FileUnreadable;
        }
    }
    if (marks)
        marks->writeAbsent(csv);
    if (!csv.finish())
        problem = out.errorString().isEmpty() ? QStringLiteral("ошибка записи") : out.errorString();
    return status;
}

// The period as the workbook's title says it, by this computer's clock.
QString periodText(const JournalPeriod &period)
{
    const auto at = [](qint64 seconds) {
        return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    };
    QStringList ends;
    if (!period.all && period.from != JournalPeriod::kAlways)
        ends << QStringLiteral("с ") + at(period.from);
    if (!period.all && period.until != JournalPeriod::kNever)
        ends << QStringLiteral("по ") + at(period.until - 1);
    return ends.join(u' ');
}

// Every record of the files read as the window reads them, and the pupils made of them, into
// the workbook the window saves; written once every file is read (see JournalExport::run).
JournalExport::Status writeWorkbook(const QStringList &files, OutputFile &out, QIODevice &errors,
                                    const JournalPeriod &period, const ClassList *classList,
                                    QString &problem)
{
    JournalExport::Status status = JournalExport::AllRead;
    RecordsModel records;
    PupilsModel pupils(records);
    // The pupils merged in the journal are one here too.
    NameMerges merges;
    pupils.setMerges(merges);
    if (classList)
        pupils.setClassList(*classList);
    records.setPeriod(period);
    records.addFiles(files);
    JournalLoader loader(FileFollower::kAtOnce);
    QObject::connect(&loader, &JournalLoader::batchReady, &loader,
                     [&](const std::shared_ptr<JournalBatch> &batch) {
                         for (const SkippedLine &line : batch->skipped)
                             report(errors, files[line.file] + u':' + QString::number(line.line),
                                    line.fault.text());
                         records.apply(*batch);
                         loader.batchTaken(batch);
                     });
    QObject::connect(&loader, &JournalLoader::fileStateChanged, &loader,
                     [&](int file, FileFollower::State state, const QString &why) {
                         if (state == FileFollower::State::Read)
                             return;
                         report(errors, files[file], why);
                         status = JournalExport::FileUnreadable;
                     });
    loader.addFiles(files);
    if (status != JournalExport::AllRead && !out.streams())
        return status;

    OutputTitle title{.period = periodText(period),
                      .className = classList ? classList->name() : QString(),
                      .made = QDateTime::currentDateTime()};
    for (int file = 0; file < records.fileCount(); ++file)
        title.files << records.fileLabel(file);
    const auto titled = [&title](const QString &subject) {
        title.subject = subject;
        return title.lines();
    };
    JournalFilter recordsShown(records);
    JournalFilter pupilsShown(pupils);
    WorkbookWriter writer;
    if (!writer.write(
            out.writingName(),
            {WorkbookWriter::pupilsSheet(pupilsShown, titled(QStringLiteral("ученики"))),
             WorkbookWriter::recordsSheet(recordsShown, records, titled(QStringLiteral("записи")))},
            out.writingFolder()))
        problem = writer.problem();
    return status;
}

} // namespace

JournalExport::Status JournalExport::run(const QStringList &files, const QString &csvPath,
                                         QIODevice &errors, const JournalPeriod &period,
                                         const ClassList *classList)
{
    // Standard error sent to a results file (`2>>res.txt`) would take the diagnostics into it.
    if (OutputFile::isSource(STDERR_FILENO, files))
        return Refused;
    OutputFile out;
    switch (out.start(csvPath, files)) {
    case OutputFile::Opened::Yes:
        break;
    case OutputFile::Opened::Refused:
        report(errors, csvPath, QStringLiteral("таблица не записана: ") + out.errorString());
        return Refused;
    case OutputFile::Opened::Failed:
        report(errors, csvPath, QStringLiteral("не удалось создать файл: ") + out.errorString());
        return FileUnreadable;
    }
    // A file named twice, by whatever path or link, is read once.
    const QStringList read = FilePath::withoutRepeats(files);
    QString problem;
    const Status status = isWorkbook(csvPath)
                              ? writeWorkbook(read, out, errors, period, classList, problem)
                              : writeCsv(read, out, errors, period, classList, problem);
    if (!problem.isEmpty()) {
        report(errors, csvPath, QStringLiteral("не удалось записать файл: ") + problem);
        return FileUnreadable;
    }
    // A table without some of the files would pass for the whole class: a file keeps what it
    // held. What went out on a stream is gone, and the status says it is not all.
    if (status != AllRead && !out.streams()) {
        report(errors, csvPath,
               QStringLiteral("таблица не записана: не все файлы удалось прочитать"));
        return status;
    }
    if (!out.commit()) {
        report(errors, csvPath, QStringLiteral("не удалось записать файл: ") + out.errorString());
        return FileUnreadable;
    }
    return status;
}
