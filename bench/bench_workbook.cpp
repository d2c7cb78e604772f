// The journal's class list and workbook:
//
//   bench_workbook hints           misspelling hints for 1,000 names against a class list of 40
//                                  and against each other
//   bench_workbook write RECORDS   RECORDS records saved as a workbook against the same saved as
//                                  CSV by the journal's CSV writer, and the memory the workbook
//                                  takes beyond what the records take; and, to show what of the
//                                  time is libxlsxwriter's own, as many rows of fixed cells
//                                  written straight through it
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
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <xlsxwriter.h>

namespace {

constexpr double kHintsGoalMs = 100;
constexpr double kWorkbookGoalRatio = 3.0; // against the CSV
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

// A row like a record's, fixed, straight through libxlsxwriter: its own printing and packing.
double libraryAloneMs(const QString &path, int count)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray folder = QFileInfo(path).absolutePath().toLocal8Bit();
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = folder.data();
    options.use_zip64 = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(path.toLocal8Bit().constData(), &options);
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Записи");
    for (lxw_row_t row = 0; row < lxw_row_t(count); ++row) {
        worksheet_write_string(sheet, row, 0, "Михайлова Настя", nullptr);
        for (lxw_col_t column = 1; column <= 6; ++column)
            worksheet_write_number(sheet, row, column, 10, nullptr);
        worksheet_write_number(sheet, row, 7, 4.125, nullptr);
        worksheet_write_string(sheet, row, 8, "res.txt", nullptr);
        worksheet_write_number(sheet, row, 9, row + 1, nullptr);
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
    const long before = PeakMemory::ownKiB();
    timer.restart();
    WorkbookWriter writer;
    writer.setTitle({"Класс", "Все записи"});
    if (!writer.write(folder.filePath("records.xlsx"),
                      {WorkbookWriter::recordsSheet(shown, records)})) {
        std::printf("the workbook was not written: %s\n", qPrintable(writer.problem()));
        return 1;
    }
    const double workbookMs = timer.nsecsElapsed() / 1e6;
    const long extraKiB = PeakMemory::ownKiB() - before;
    std::printf("CSV, %d records     %8.0f ms\n", count, csvMs);
    std::printf("workbook            %8.0f ms   (goal: at most %.1f times the CSV)\n", workbookMs,
                kWorkbookGoalRatio);
    std::printf("workbook's memory   %8ld KiB (goal: at most %ld KiB)\n", extraKiB,
                kWorkbookMemoryGoalKiB);
    std::printf("libxlsxwriter alone %8.0f ms   (as many rows of fixed cells)\n",
                libraryAloneMs(folder.filePath("fixed.xlsx"), count));
    const bool met = workbookMs <= kWorkbookGoalRatio * csvMs && extraKiB <= kWorkbookMemoryGoalKiB;
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
