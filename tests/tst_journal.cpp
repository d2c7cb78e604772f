#include "csvwriter.h"
#include "filefollower.h"
#include "filepath.h"
#include "journalfilter.h"
#include "journalwindow.h"
#include "namefold.h"
#include "piecesource.h"
#include "pupilschart.h"
#include "pupilsmodel.h"
#include "recordsmodel.h"
#include "resultsparser.h"
#include "skippedmodel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <QValueAxis>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr const char *kFaultNames[] = {"",     "empty", "quote", "few",
                                       "many", "long",  "score", "total"};

// Writes each line it is given as "3:name|1,2,3,4,5,6|4.125" or "3!score2", with "~" after a
// line without its line end, and each voided line as "void", a start from line 1 as "over".
class Recorder : public FileFollower::Sink
{
public:
    QStringList log;
    qint64 end = 0;
    bool contiguous = true;

    void startedOver() override { log << "over"; }
    void lastLineVoided() override { log << "void"; }
    void record(const LinePlace &place, const LineRecord &record) override
    {
        QStringList scores;
        for (qint16 score : record.scores)
            scores << QString::number(score);
        Cp1251 codePage;
        note(place, QStringLiteral("%1:%2|%3|%4")
                        .arg(place.number)
                        .arg(ResultsParser::fieldText(codePage, record.name), scores.join(','))
                        .arg(record.total));
    }
    void skipped(const LinePlace &place, LineFault fault) override
    {
        note(place, QStringLiteral("%1!%2%3")
                        .arg(place.number)
                        .arg(QLatin1String(kFaultNames[fault.kind]))
                        .arg(fault.field));
    }

private:
    void note(const LinePlace &place, QString text)
    {
        contiguous = contiguous && place.start == end && place.end > place.start;
        end = place.end;
        log << text + (place.ended ? "" : "~");
    }
};

const QByteArray kExample = "\"\xD3\xF7\xE5\xED\xE8\xEA\",10,10,10,3,10,8,4.125\r\n";
const QString kExampleRead = "|10,10,10,3,10,8|4.125";

// A line in the file's code page.
QByteArray line(const QString &name, int score, const char *total)
{
    Cp1251 codePage;
    return "\"" + codePage.encode(name) + "\"," + QByteArray::number(score) + ",10,10,10,0,0," +
           total + "\r\n";
}

bool writeFile(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode)
{
    QFile file(path);
    return file.open(mode) && file.write(bytes) == bytes.size();
}

// Rich text read as Qt reads it where it may be markup (a tooltip), or always (a chart's label).
QString shownText(const QString &text, bool alwaysRich = false)
{
    QTextDocument document;
    alwaysRich || Qt::mightBeRichText(text) ? document.setHtml(text) : document.setPlainText(text);
    return document.toPlainText();
}

// The table's rows a filter shows, worked out the plain way: the names that hold the folded
// text, in a stable sort by the column.
std::vector<int> plainRows(const JournalTable &table, const QString &needle, int column,
                           Qt::SortOrder order)
{
    std::vector<int> rows;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (table.foldedName(table.nameOfRow(row)).contains(foldName(needle)))
            rows.push_back(row);
    }
    if (column >= 0)
        std::stable_sort(rows.begin(), rows.end(), [&](int left, int right) {
            return order == Qt::AscendingOrder ? table.lessThan(left, right, column)
                                               : table.lessThan(right, left, column);
        });
    return rows;
}

std::vector<int> filterRows(const JournalFilter &filter)
{
    std::vector<int> rows(size_t(filter.rowCount()));
    for (size_t row = 0; row < rows.size(); ++row)
        rows[row] = filter.mapToSource(filter.index(int(row), 0)).row();
    return rows;
}

} // namespace

class JournalTest : public QObject
{
    Q_OBJECT

private slots:
    void lenientReading_data();
    void lenientReading();
    void namesAndCsvFields_data();
    void namesAndCsvFields();
    void followingAFile_data();
    void followingAFile();
    void pupilSummaries();
    void windowSortsFiltersAndFollows();
    void filterAgainstPlainModel();
    void hostileNamesShownAsText_data();
    void hostileNamesShownAsText();
    void niceAxis_data();
    void niceAxis();
};

void JournalTest::lenientReading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    const QByteArray rest = ",1,2,3,4,5,6,7\r\n";

    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("line ends, last without one")
        << kExample + "\"b\",1,2,3,4,5,6,0.125\n\"c\",-1,0,0,0,0,0,-.125\r\"d\",1,1,1,1,1,1,5"
        << QStringList{"1:Ученик" + kExampleRead, "2:b|1,2,3,4,5,6|0.125",
                       "3:c|-1,0,0,0,0,0|-0.125", "4:d|1,1,1,1,1,1|5~"};
    QTest::newRow("blanks, quotes, odd names as the strict reader takes them")
        << " \"I, P\" ,1 , 2,3,4\t,5,6, 7 \r\nPe tya" + rest + "\"a\"bc" + rest +
               QByteArrayLiteral("\"a\0b\"") + rest
        << QStringList{"1:I, P|1,2,3,4,5,6|7", "2:Pe tya|1,2,3,4,5,6|7", "3:a|1,2,3,4,5,6|7",
                       "4:a b|1,2,3,4,5,6|7"};
    // Each damaged line is skipped alone, whatever it holds; a quote never spans lines.
    QTest::newRow("damaged lines")
        << "\r\n\"ab\r\n\"a\",1,2,3\r\n\"a\"" + rest.chopped(2) + ",8\r\n\"a\",x" + rest.mid(2) +
               "\"a\",1,2,3,4,5,99999,7\r\n\"a\",1,2,3,4,5,6,1e9\r\n\"" + QByteArray(300, 'n') +
               "\"" + rest + "\"a\",1,2,3,4,5,\"6\r\n7\r\n\"\r\n\"" + rest + kExample
        << (QString("1!empty0 2!quote1 3!few4 4!many9 5!score2 6!score7 7!total8 8!long1 "
                    "9!quote7 10!few1 11!quote1 12!quote1 13:Ученик") +
            kExampleRead)
               .split(' ');
    QTest::newRow("megabytes of garbage, binary")
        << QByteArray(6 << 20, 'x') + "\r\n" + QByteArrayLiteral("\x00\xff\x98\r\n") + kExample
        << QStringList{"1!long1", "2!few1", "3:Ученик" + kExampleRead};
}

// Both reader paths, with the bytes handed out whole or in small pieces, read alike, and the
// lines' places follow each other without a gap.
void JournalTest::lenientReading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    for (auto path : {ResultsParser::Path::Fast, ResultsParser::Path::General}) {
        for (qint64 piece : {qint64(1), qint64(7), qint64(1) << 20}) {
            PieceSource source(bytes, piece);
            Recorder recorder;
            ResultsParser(source, path).readLines(recorder);
            QCOMPARE(recorder.log.join(' '), lines.join(' '));
            QVERIFY(recorder.contiguous);
            QCOMPARE(recorder.end, bytes.size());
        }
    }
}

void JournalTest::namesAndCsvFields_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folded");
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("ё, case, blanks") << " Ёжикова  АНЯ "
                                     << "ежикова аня" << QByteArray("\" Ёжикова  АНЯ \"");
    QTest::newRow("comma") << "Иванов, Пётр"
                           << "иванов, петр" << QByteArray("\"Иванов, Пётр\"");
    QTest::newRow("quote") << "say \"hi\""
                           << "say \"hi\"" << QByteArray("\"say \"\"hi\"\"\"");
    QTest::newRow("semicolon") << "a;b"
                               << "a;b" << QByteArray("\"a;b\"");
    QTest::newRow("formula") << "=1+1"
                             << "=1+1" << QByteArray("'=1+1");
    QTest::newRow("formula and comma") << "=SUM(A1,A2)"
                                       << "=sum(a1,a2)" << QByteArray("\"'=SUM(A1,A2)\"");
    for (const char *start : {"+", "-", "@"})
        QTest::newRow(start) << QString(start) + "x" << QString(start) + "x"
                             << "'" + QByteArray(start) + "x";
    QTest::newRow("tab") << "\tx"
                         << "x" << QByteArray("'\tx");
}

void JournalTest::namesAndCsvFields()
{
    QFETCH(QString, name);
    QFETCH(QString, folded);
    QFETCH(QByteArray, csv);
    QCOMPARE(foldName(name), folded);
    QCOMPARE(CsvWriter::textField(name), csv);
}

void JournalTest::followingAFile_data()
{
    // Each step changes the file ("+" appends, "=" replaces it by a new file, "~" rewrites it in
    // place, "cut N", "remove"), then the follower looks once; "!" before a step cancels that
    // look.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("looks");
    const QString a = "\"a\",1,2,3,4,5,6,7\r\n";
    const QString b = "\"b\",1,2,3,4,5,6,7\r\n";
    const QString readA = "1:a|1,2,3,4,5,6|7";
    QTest::newRow("appends, nothing new")
        << QStringList{"+" + a, "+" + b + b, ""}
        << QStringList{readA, "2:b|1,2,3,4,5,6|7 3:b|1,2,3,4,5,6|7", ""};
    QTest::newRow("half a line, then the rest")
        << QStringList{"+" + a + "\"b\",1,2", "+,3,4,5,6,7\r\n"}
        << QStringList{readA + " 2!few3~", "void 2:b|1,2,3,4,5,6|7"};
    QTest::newRow("cut shorter") << QStringList{"+" + a + b, "cut 19"}
                                 << QStringList{readA + " 2:b|1,2,3,4,5,6|7", "over " + readA};
    QTest::newRow("replaced") << QStringList{"+" + a, "=" + b}
                              << QStringList{readA, "over 1:b|1,2,3,4,5,6|7"};
    QTest::newRow("rewritten in place, longer")
        << QStringList{"+" + a, "~" + b + a}
        << QStringList{readA, "over 1:b|1,2,3,4,5,6|7 2:a|1,2,3,4,5,6|7"};
    QTest::newRow("removed, then back") << QStringList{"+" + a, "remove", "+" + b}
                                        << QStringList{readA, "missing", "over 1:b|1,2,3,4,5,6|7"};
    QTest::newRow("cancelled, no longer followed")
        << QStringList{"+" + a, "!+" + b, "+" + b} << QStringList{readA, "cancelled", "cancelled"};
}

void JournalTest::followingAFile()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, looks);
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    FileFollower follower(path);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const std::atomic_bool cancel = steps[i].startsWith('!');
        const QString step = steps[i].mid(cancel ? 1 : 0);
        const QByteArray bytes = step.mid(1).toLatin1();
        if (step.startsWith('+')) {
            QVERIFY(writeFile(path, bytes, QIODevice::Append));
        } else if (step.startsWith('=')) {
            QVERIFY(writeFile(path + ".new", bytes, QIODevice::WriteOnly));
            QVERIFY(::rename(QFile::encodeName(path + ".new"), QFile::encodeName(path)) == 0);
        } else if (step.startsWith('~')) {
            QVERIFY(writeFile(path, bytes, QIODevice::WriteOnly | QIODevice::Truncate));
        } else if (step.startsWith("cut ")) {
            QVERIFY(QFile::resize(path, step.mid(4).toLongLong()));
        } else if (step == "remove") {
            QVERIFY(QFile::remove(path));
        }
        Recorder recorder;
        const FileFollower::State state = follower.poll(recorder, &cancel);
        if (state == FileFollower::State::Missing)
            recorder.log << "missing";
        else if (state == FileFollower::State::Cancelled)
            recorder.log << "cancelled";
        else
            QCOMPARE(state, FileFollower::State::Read);
        QCOMPARE(recorder.log.join(' '), looks[i]);
    }
}

// First and latest follow the files' order, whatever order the lines arrive in; a course is
// complete only with all four exercises at 10 in one attempt.
void JournalTest::pupilSummaries()
{
    QTemporaryDir folder;
    const QString first = folder.filePath("first.txt");
    const QString second = folder.filePath("second.txt");
    QVERIFY(writeFile(second, line("ёжик", 10, "5") + "\"=<Ann>\",10,9,10,10,3,4,4.875\r\n",
                      QIODevice::WriteOnly));
    QVERIFY(writeFile(first,
                      line("Ёжик ", 4, "4.25") + line("ЕЖИК", 7, "4.625") +
                          "\"=<Ann>\",9,10,10,10,5,2,4.875\r\n",
                      QIODevice::WriteOnly));
    JournalWindow window;
    QSignalSpy looked(&window, &JournalWindow::lookDone);
    window.openFiles({first, second});
    QVERIFY(looked.wait(10000));
    const auto *pupils = window.findChild<QTableView *>("pupils")->model();
    QCOMPARE(pupils->rowCount(), 2);
    QStringList rows;
    for (int row = 0; row < pupils->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < PupilsModel::ColumnCount; ++column)
            cells << pupils->index(row, column).data().toString();
        rows << cells.join('|');
    }
    QCOMPARE(rows, (QStringList{"Ёжик |3|4,25|5|5|10|10|10|10|0|0|да",
                                "=<Ann>|2|4,875|4,875|4,875|10|10|10|10|5|4|нет"}));
    // The CSV shows a name as text.
    const QString csv = folder.filePath("pupils.csv");
    QVERIFY(window.saveCsv(JournalWindow::Table::Pupils, csv));
    QFile saved(csv);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    QCOMPARE(lines.value(2),
             QString("'=<Ann>,2,\"4,875\",\"4,875\",\"4,875\",10,10,10,10,5,4,нет\r").toUtf8());
}

void JournalTest::windowSortsFiltersAndFollows()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    QVERIFY(writeFile(
        path, line("Ёжиков", 10, "5") + line("Аня", 1, "3.875") + line("ежиков", 3, "4.125"),
        QIODevice::WriteOnly));
    JournalWindow window;
    QSignalSpy looked(&window, &JournalWindow::lookDone);
    window.openFiles({path});
    window.show();
    QVERIFY(looked.wait(10000));
    auto *records = window.findChild<QTableView *>("records");
    const auto column = [&](int index) {
        QStringList cells;
        for (int row = 0; row < records->model()->rowCount(); ++row)
            cells << records->model()->index(row, index).data().toString();
        return cells.join(' ');
    };
    QCOMPARE(column(0), "Ёжиков Аня ежиков");

    // A click on the header sorts by that column; names go in Russian alphabetical order.
    QHeaderView *header = records->horizontalHeader();
    const auto clickHeader = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, 5));
    };
    clickHeader(1);
    QCOMPARE(column(1), "1 3 10");
    clickHeader(0);
    QVERIFY(column(0).startsWith("Аня ")); // Ё comes before А in Unicode

    // Typing narrows the rows and leaves the columns as the teacher set them.
    header->resizeSection(2, 77);
    auto *search = window.findChild<QLineEdit *>("search");
    for (const QString &letter : {QString("Ё"), QString("Ж")})
        QTest::sendKeyEvent(QTest::Click, search, Qt::Key_unknown, letter, Qt::NoModifier);
    QCOMPARE(records->model()->rowCount(), 2);
    QCOMPARE(header->sectionSize(2), 77);

    // A line that another program appends shows up without a reload, in its sorted place.
    QVERIFY(writeFile(path, line("ЁЖИКОВ", 2, "0.5"), QIODevice::Append));
    QTRY_COMPARE_WITH_TIMEOUT(records->model()->rowCount(), 3, 5000);
    QCOMPARE(column(1).split(' ').size(), 3);
    clickHeader(7);
    QCOMPARE(column(7), "0,5 4,125 5");
}

// Random appends, voided last lines, files read anew, searches and sorts: both filters show
// what the plain reading gives, Qt's model tester checks every signal they send, and a row a
// view holds stays on its record while the record is shown.
void JournalTest::filterAgainstPlainModel()
{
    RecordsModel records;
    PupilsModel pupils(records);
    JournalFilter recordsFilter(records);
    JournalFilter pupilsFilter(pupils);
    const auto mode = QAbstractItemModelTester::FailureReportingMode::QtTest;
    QAbstractItemModelTester recordsTester(&recordsFilter, mode);
    QAbstractItemModelTester pupilsTester(&pupilsFilter, mode);
    const QStringList names = {"Аня", "аня ", "Ёжик", "ежик", "Петров", "", "Sasha"};
    const QStringList needles = {"", "а", "Е", "ж", "пет", "z"};
    records.addFiles({"a.txt", "b.txt"});
    JournalBatch named;
    named.names = names;
    records.apply(named);
    QString needle;
    QRandomGenerator random(20240607);
    for (int step = 0; step < 400; ++step) {
        const int what = random.bounded(10);
        JournalBatch batch;
        batch.file = quint16(random.bounded(2));
        if (what < 6) {
            // An unended line left in the middle is voided all the same.
            batch.voidUnended = random.bounded(2) == 0;
            for (int i = random.bounded(1, 6); i > 0; --i) {
                JournalRecord record;
                record.total = random.bounded(4) / 2.0;
                record.name = quint32(random.bounded(names.size()));
                record.file = batch.file;
                record.line = quint32(step);
                record.scores[0] = qint16(random.bounded(3));
                record.unended = random.bounded(6) == 0;
                batch.records.push_back(record);
            }
            records.apply(batch);
        } else if (what == 6) {
            batch.startOver = true;
            records.apply(batch);
        } else {
            QPersistentModelIndex held;
            int heldRecord = -1;
            if (recordsFilter.rowCount() > 0) {
                held = recordsFilter.index(random.bounded(recordsFilter.rowCount()), 1);
                heldRecord = recordsFilter.mapToSource(held).row();
            }
            if (what < 9) {
                needle = needles[random.bounded(needles.size())];
                recordsFilter.setNameFilter(needle);
                pupilsFilter.setNameFilter(needle);
            } else {
                const auto order = random.bounded(2) ? Qt::AscendingOrder : Qt::DescendingOrder;
                recordsFilter.sort(random.bounded(-1, RecordsModel::ColumnCount), order);
                pupilsFilter.sort(random.bounded(-1, PupilsModel::ColumnCount), order);
            }
            if (heldRecord >= 0) {
                const std::vector<int> shown = filterRows(recordsFilter);
                QCOMPARE(held.isValid(), std::count(shown.cbegin(), shown.cend(), heldRecord) == 1);
                if (held.isValid())
                    QCOMPARE(recordsFilter.mapToSource(held).row(), heldRecord);
            }
        }
        QCOMPARE(filterRows(recordsFilter),
                 plainRows(records, needle, recordsFilter.sortColumn(), recordsFilter.sortOrder()));
        QCOMPARE(filterRows(pupilsFilter),
                 plainRows(pupils, needle, pupilsFilter.sortColumn(), pupilsFilter.sortOrder()));
    }
}

void JournalTest::hostileNamesShownAsText_data()
{
    // A pupil's name and a results file's name; "WATCHED" stands for the path of a file that
    // nothing may open, and the folder that holds it is the current one.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("picture") << "<img src=WATCHED>"
                             << "<img src=watched>.txt";
    QTest::newRow("bold, link") << "<b>Жирный</b> <a href=http://localhost/>ссылка</a>"
                                << "<b>жирный <a href=watched>.txt";
    QTest::newRow("entities, blanks") << "  A&amp;B   &lt;i&gt; "
                                      << "a &amp;  b.txt";
    QTest::newRow("table, style") << "<table><tr><td>x</td></tr></table><style>*{}</style>"
                                  << "<table background=watched>.txt";
    QTest::newRow("rich text start") << "<qt><img src=WATCHED>Аня</qt>"
                                     << "<qt>%p %v %m [*].txt";
    QTest::newRow("comment, an empty name's mark") << "(без имени)<!--"
                                                   << "<!-- -->.txt";
}

// Every place that shows a name or a file name shows it as text: the tables, the chart, the
// tooltips, the status bar, the window title and the print; and no picture it names is ever
// opened. The chart has the largest and the smallest totals on one axis of a dozen ticks.
void JournalTest::hostileNamesShownAsText()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);
    QTemporaryDir folder;
    const QString watched = folder.filePath("watched");
    QVERIFY(writeFile(watched, "GIF89a", QIODevice::WriteOnly));
    name.replace("WATCHED", watched);
    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    const auto back = qScopeGuard([&] { QDir::setCurrent(current); });
    const QString path = folder.filePath(fileName);
    QVERIFY(writeFile(path,
                      line(name, 1, "32767") + line("", 2, "-32768") + line("Аня", 3, "4.5") +
                          "bad line\r\n",
                      QIODevice::WriteOnly));
    // Whether anything opened or read the file, as the kernel tells.
    const int watch = inotify_init1(IN_NONBLOCK);
    const auto unwatch = qScopeGuard([&] { ::close(watch); });
    QVERIFY(inotify_add_watch(watch, QFile::encodeName(watched), IN_OPEN | IN_ACCESS) >= 0);
    char events[4096];

    JournalWindow window;
    QSignalSpy looked(&window, &JournalWindow::lookDone);
    window.show();
    window.openFiles({path});
    QVERIFY(looked.wait(10000));
    QCOMPARE(window.windowHandle()->title(), "Журнал результатов — " + fileName);
    const auto *records = window.findChild<QTableView *>("records")->model();
    const auto *pupils = window.findChild<QTableView *>("pupils")->model();
    const auto *skipped = window.findChild<QTableView *>("skipped")->model();
    QCOMPARE(records->index(0, RecordsModel::Name).data().toString(), name);
    QCOMPARE(records->index(0, RecordsModel::File).data().toString(), fileName);
    QCOMPARE(pupils->index(0, PupilsModel::Name).data().toString(), name);
    QCOMPARE(skipped->rowCount(), 1);
    const QStringList tips = {
        records->index(0, RecordsModel::File).data(Qt::ToolTipRole).toString(),
        skipped->index(0, SkippedModel::File).data(Qt::ToolTipRole).toString()};
    for (const QString &tip : tips) {
        QCOMPARE(shownText(tip), path);
        QToolTip::showText(window.geometry().center(), tip, &window);
        QCoreApplication::processEvents();
    }
    QToolTip::hideText();

    auto *chart = window.findChild<PupilsChart *>("chart");
    window.findChild<QTabWidget *>()->setCurrentIndex(2);
    chart->redraw();
    QVERIFY(!chart->grab().isNull());
    QStringList labels;
    for (const QString &label :
         qobject_cast<QBarCategoryAxis *>(chart->chart()->axes(Qt::Vertical).value(0))
             ->categories())
        labels << shownText(label, true);
    QCOMPARE(labels.size(), 3);
    QVERIFY2(labels.contains(name), qPrintable(labels.join('|')));
    const auto *totals = qobject_cast<QValueAxis *>(chart->chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(totals->min() <= -32768 && totals->max() >= 32767);
    QVERIFY(totals->tickCount() <= PupilsChart::kMaxTicks);

    // The print of the pupils, laid out as a printer would.
    QTextDocument print;
    print.setHtml(window.pupilsHtml());
    QImage page(800, 600, QImage::Format_RGB32);
    QPainter painter(&page);
    print.drawContents(&painter);
    QVERIFY(print.toPlainText().split('\n').contains(name));

    // A file that cannot be read is named in the status bar, as text.
    window.openFiles({folder.filePath("нет " + fileName)});
    auto *problems = window.findChild<QLabel *>("problems");
    QTRY_VERIFY(problems->text().contains("«нет " + fileName + "»"));
    for (const QLabel *label : window.statusBar()->findChildren<QLabel *>())
        QCOMPARE(label->textFormat(), Qt::PlainText);

    QVERIFY(::read(watch, events, sizeof events) < 0);
    QFile(watched).open(QIODevice::ReadOnly); // the watch itself sees an opening
    QVERIFY(::read(watch, events, sizeof events) > 0);
}

void JournalTest::niceAxis_data()
{
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("step");
    QTest::newRow("the usual totals") << 0.0 << 5.0 << 1.0;
    QTest::newRow("a negative total") << -1.5 << 4.875 << 1.0;
    QTest::newRow("eleven units") << 0.0 << 11.0 << 1.0;
    QTest::newRow("twelve units") << 0.0 << 12.0 << 2.0;
    QTest::newRow("an empty range") << 0.0 << 0.0 << 1.0;
    QTest::newRow("the largest total") << 0.0 << 32767.0 << 5000.0;
    QTest::newRow("the smallest total") << -32768.0 << 5.0 << 5000.0;
    QTest::newRow("both") << -32768.0 << 32767.0 << 10000.0;
    QTest::newRow("just over a step") << -10.25 << 50.0 << 10.0;
}

// Whole steps of 1, 2 or 5 times a power of ten, a dozen ticks at most, covering the range.
void JournalTest::niceAxis()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, step);
    const PupilsChart::Axis axis = PupilsChart::niceAxis(low, high);
    QCOMPARE(axis.step, step);
    const double decade = std::pow(10.0, std::floor(std::log10(axis.step)));
    QVERIFY(QList<double>({1, 2, 5}).contains(axis.step / decade));
    QVERIFY(axis.low <= low && axis.high >= high);
    QCOMPARE(std::fmod(axis.low, axis.step), 0.0);
    QCOMPARE(axis.ticks, int((axis.high - axis.low) / axis.step) + 1);
    QVERIFY(axis.ticks >= 2 && axis.ticks <= PupilsChart::kMaxTicks);
    QVERIFY(axis.low > low - axis.step);
    QVERIFY(axis.high < high + axis.step || axis.ticks == 2);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Totals with a decimal comma, which the CSV must quote.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    JournalTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_journal.moc"
