// The journal's class list and workbook:
//
//   bench_workbook hints           misspelling hints for 1,000 names against a class list of 40
//                                  and against each other
//   bench_workbook write RECORDS   RECORDS records saved as a workbook against the same cells
//                                  written straight through libxlsxwriter, whose own printing
//                                  and packing are the floor no writer of it can go under; and
//                                  the memory the workbook takes beyond what the records take.
//                                  The same records saved as CSV are timed too, for
//                                  information.
#include "classlist.h"
#include "courserules.h"
#include "journalbatch.h"
#include "journalfilter.h"
#include "misspellings.h"
#include "namefold.h"
#include "peakmemory.h"
#include "recordsmodel.h"
#include "tablewriter.h"
#include "workbookwriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xlsxwriter.h>

namespace {

constexpr double kHintsGoalMs = 100;
constexpr double kWorkbookGoalRatio = 1.5; // against libxlsxwriter alone
constexpr long kWorkbookMemoryGoalKiB = 32 * 1024;

// A name as pupils type them: a surname and a first name from short lists, with now and then a
// letter changed, so that many are near one another.
QString madeName(QRandomGenerator &random)
{
    static const QStringList surnames = {"Иванов",  "Петрова", "Сидоров", "Михайлова", "Ким",
                                         "Семёнов", "Козлова", "Орлов",   "Белова",    "Зайцев"};
    static const QStringList firstNames = {"Петя", "Аня",  "Вася", "Настя", "Егор",
                                           "Юля",  "Дима", "Оля",  "Коля",  "Маша"};
    QString name = surnames[random.bounded(surnames.size())] + ' ' +
                   firstNames[random.bounded(firstNames.size())];
    for (int typos = random.bounded(4); typos > 0; --typos)
        name[random.bounded(name.size())] = QChar(u'а' + random.bounded(32));
    return name;
}

int hints()
{
    QRandomGenerator random(7);
    QStringList listed;
    while (listed.size() < 40)
        listed << madeName(random);
    const ClassList list = ClassList::fromText(listed.join('\n'));
    QStringList names;
    while (names.size() < 1000) {
        const QString name = foldName(madeName(random) + QString::number(names.size() % 3));
        if (!names.contains(name))
            names << name;
    }
    double best = 1e9;
    size_t found = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        found = Misspellings::find(names, list).size();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    std::printf("hints for 1000 names %8.1f ms   (goal: at most %.0f ms; %zu names with a hint)\n",
                best, kHintsGoalMs, found);
    const bool met = best <= kHintsGoalMs;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

// The records' cells straight through libxlsxwriter, as the workbook has them (the name, the six
// scores, the total, the file and the line, with the same formats), with nothing made for them
// but the names' bytes, once.
double libraryAloneMs(const QString &path, const RecordsModel &records)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray folder = QFileInfo(path).absolutePath().toLocal8Bit();
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = folder.data();
    options.use_zip64 = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(path.toLocal8Bit().constData(), &options);
    lxw_format *decimal = workbook_add_format(book);
    format_set_num_format(decimal, "0.###");
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Записи");
    std::vector<QByteArray> names;
    for (int name = 0; name < records.nameCount(); ++name)
        names.push_back(records.name(quint32(name)).toUtf8());
    std::vector<QByteArray> files;
    for (int file = 0; file < records.fileCount(); ++file)
        files.push_back(records.fileLabel(file).toUtf8());
    for (int row = 0; row < records.rowCount(); ++row) {
        const JournalRecord &record = records.record(row);
        const lxw_row_t at = lxw_row_t(row + 4);
        worksheet_write_string(sheet, at, RecordsModel::Name, names[record.name].constData(),
                               nullptr);
        for (int score = 0; score < 6; ++score)
            worksheet_write_number(sheet, at, lxw_col_t(RecordsModel::Left + score),
                                   record.scores[size_t(score)], nullptr);
        worksheet_write_number(sheet, at, RecordsModel::Total, record.total,
                               std::trunc(record.total) == record.total ? nullptr : decimal);
        worksheet_write_string(sheet, at, RecordsModel::File, files[record.file].constData(),
                               nullptr);
        worksheet_write_number(sheet, at, RecordsModel::Line, record.line, nullptr);
    }
    workbook_close(book);
    return timer.nsecsElapsed() / 1e6;
}

int write(int count)
{
    RecordsModel records;
    records.addFiles({"m1/res.txt", "m2/res.txt", "m3/res.txt"});
    JournalBatch batch;
    QRandomGenerator random(11);
    for (int i = 0; i < 1000; ++i)
        batch.names << madeName(random);
    batch.records.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        JournalRecord record;
        record.name = quint32(random.bounded(batch.names.size()));
        record.line = quint32(i + 1);
        record.file = quint16(random.bounded(3));
        for (qint16 &score : record.scores)
            score = qint16(random.bounded(11));
        record.total = CourseRules::total(record.scores);
        batch.records.push_back(record);
    }
    records.apply(batch);
    JournalFilter shown(records);
    QTemporaryDir folder;

    QElapsedTimer timer;
    timer.start();
    QString problem;
    if (!TableWriter::saveCsv(shown, records, folder.filePath("records.csv"), &problem)) {
        std::printf("the CSV was not written: %s\n", qPrintable(problem));
        return 1;
    }
    const double csvMs = timer.nsecsElapsed() / 1e6;
    // The records' batch goes: the peak it made while they were taken in would hide the
    // workbook's.
    batch = JournalBatch();
    if (!PeakMemory::resetPeak()) {
        std::printf("the kernel cannot start the peak of memory over\n");
        return 1;
    }
    const long before = PeakMemory::peakSinceResetKiB();
    timer.restart();
    WorkbookWriter writer;
    if (!writer.write(QFile::encodeName(folder.filePath("records.xlsx")),
                      {WorkbookWriter::recordsSheet(shown, records, {"Класс", "Все записи"})})) {
        std::printf("the workbook was not written: %s\n", qPrintable(writer.problem()));
        return 1;
    }
    const double workbookMs = timer.nsecsElapsed() / 1e6;
    const long extraKiB = PeakMemory::peakSinceResetKiB() - before;
    // After the workbook, whose memory is the peak's growth.
    const double aloneMs = libraryAloneMs(folder.filePath("alone.xlsx"), records);
    std::printf("libxlsxwriter alone %8.0f ms   (the same cells, %d records)\n", aloneMs, count);
    std::printf("workbook            %8.0f ms   (goal: at most %.1f times libxlsxwriter alone; "
                "%.2f times the CSV's %.0f ms)\n",
                workbookMs, kWorkbookGoalRatio, workbookMs / csvMs, csvMs);
    std::printf("workbook's memory   %8ld KiB (goal: at most %ld KiB)\n", extraKiB,
                kWorkbookMemoryGoalKiB);
    const bool met =
        workbookMs <= kWorkbookGoalRatio * aloneMs && extraKiB <= kWorkbookMemoryGoalKiB;
    std::printf("%s\n", met ? "goal met" : "GOAL MISSED");
    return met ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "hints") == 0)
        return hints();
    if (argc == 3 && std::strcmp(argv[1], "write") == 0)
        return write(std::atoi(argv[2]));
    std::fprintf(stderr, "usage: bench_workbook hints | write RECORDS\n");
    return 2;
}
