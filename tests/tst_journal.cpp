#include "classlist.h"
#include "courserules.h"
#include "crc32.h"
#include "csvwriter.h"
#include "datesfile.h"
#include "followedwrite.h"
#include "journalexport.h"
#include "journalfilter.h"
#include "journalloader.h"
#include "journaloutputs.h"
#include "journalreport.h"
#include "journalwindow.h"
#include "namefold.h"
#include "namemerges.h"
#include "newrecords.h"
#include "periodbar.h"
#include "pupilschart.h"
#include "pupilsmodel.h"
#include "qttranslation.h"
#include "recordsmodel.h"
#include "rememberedfolder.h"
#include "skippedmodel.h"
#include "totaltext.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QTranslator>
#include <QValueAxis>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char *kFaultNames[] = {"",     "empty", "quote", "few",      "many",
                                       "long", "score", "total", "bigscore", "bigtotal"};

// Each line as "3:name|1,2,3,4,5,6|4.125" or "3!score2", with "~" after a line without its line
// end.
QString describe(const LineLog &log)
{
    Cp1251 codePage;
    QStringList lines;
    for (const LineLog::Line &line : log.lines) {
        QString text = QString::number(line.place.number);
        if (line.isRecord) {
            QStringList scores;
            for (qint16 score : line.scores)
                scores << QString::number(score);
            text += ':' + ResultsParser::fieldText(codePage, line.name) + (line.cut ? "…|" : "|") +
                    scores.join(',') + '|' + QString::number(line.total);
        } else {
            text += '!' + QString(kFaultNames[line.fault.kind]) + QString::number(line.fault.field);
        }
        lines << text + (line.place.ended ? "" : "~");
    }
    return lines.join(' ');
}

// Steady time moves only when a test says so; wall time is the system's, which files' times
// follow.
class ScriptedClock : public FileFollower::Clock
{
public:
    qint64 steady = 0;
    qint64 steadyMs() const override { return steady; }
    qint64 wallMs() const override { return QDateTime::currentMSecsSinceEpoch(); }
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

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

bool writeFile(const QString &path, const QByteArray &bytes,
               QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QFile file(path);
    return file.open(mode) && file.write(bytes) == bytes.size();
}

// A real file, changed as FollowedWrite says.
class FileWrite : public FollowedWrite
{
public:
    explicit FileWrite(const QString &path) : FollowedWrite(path) { writeFile(path, {}); }
    void append(const QByteArray &bytes) override { writeFile(m_path, bytes, QIODevice::Append); }
    void cut(qint64 size) override { QFile::resize(m_path, size); }
    void replace() override
    {
        QFile::copy(m_path, m_path + ".new");
        ::rename(QFile::encodeName(m_path + ".new"), QFile::encodeName(m_path));
    }
    FileFollower::State look(FileFollower &follower, FileFollower::Sink &sink) override
    {
        return follower.poll(sink);
    }
};

// The journal's models, fed by a loader on this thread that hands out every line at once.
struct Journal
{
    RecordsModel records;
    PupilsModel pupils{records};
    SkippedModel skipped{records};
    JournalLoader loader{FileFollower::kAtOnce};

    // The made-up totals of most tests' lines are doubtful: they count in, unless told.
    explicit Journal(const QStringList &paths, bool countDoubtful = true)
    {
        pupils.setCountDoubtful(countDoubtful);
        records.addFiles(paths);
        QObject::connect(&loader, &JournalLoader::batchReady, &loader,
                         [this](const std::shared_ptr<JournalBatch> &batch) {
                             records.apply(*batch);
                             skipped.apply(*batch);
                             loader.batchTaken(batch);
                         });
        loader.addFiles(paths);
    }

    // Records as "file:line name total", "~" after an unended one (in italics); pupils as
    // "name attempts first best latest"; skipped lines as "file:line reason | text"; sorted, as
    // rows are in the order they arrived.
    QStringList rows() const
    {
        QStringList rows;
        for (int row = 0; row < records.rowCount(); ++row) {
            const JournalRecord &record = records.record(row);
            const QVariant font =
                records.data(records.index(row, RecordsModel::Total), Qt::FontRole);
            rows << QString("%1:%2 %3 %4%5")
                        .arg(record.file)
                        .arg(record.line)
                        .arg(records.name(record.name), localeTotalText(record.total),
                             font.value<QFont>().italic() ? "~" : "");
        }
        for (int row = 0; row < pupils.rowCount(); ++row) {
            QStringList cells;
            for (int column = PupilsModel::Name; column <= PupilsModel::Latest; ++column)
                cells << pupils.text(row, column);
            rows << cells.join(' ');
        }
        for (int row = 0; row < skipped.rowCount(); ++row)
            rows << QString("%1:%2 %3 | %4")
                        .arg(skipped.line(row).file)
                        .arg(skipped.line(row).line)
                        .arg(skipped.index(row, SkippedModel::Reason).data().toString(),
                             skipped.index(row, SkippedModel::Text).data().toString());
        rows.sort();
        return rows;
    }
};

// Seconds since 1970 of an ISO time with its offset.
qint64 secondsOf(const QString &time)
{
    return DatesFile::parseIsoTime(time.toStdString())->first;
}

// A record as "file:line when total", `when` an ISO time with its offset, "~" before one the
// journal saw it at, or "-" for none.
JournalRecord recordOf(const QString &text)
{
    const QStringList words = text.split(' ');
    JournalRecord record;
    record.file = quint16(words[0].section(':', 0, 0).toInt());
    record.line = quint32(words[0].section(':', 1).toInt());
    record.total = words[2].toDouble();
    if (words[1] != "-") {
        const bool seen = words[1].startsWith('~');
        const auto time = DatesFile::parseIsoTime(words[1].mid(seen).toStdString());
        record.when = time->first;
        record.utcOffset = qint16(time->second);
        record.dating = seen ? JournalRecord::Dating::Seen : JournalRecord::Dating::Exact;
    }
    return record;
}

// The record's line in the dates file, from its bytes and place.
QByteArray dateLine(qint64 offset, const QByteArray &record, const char *time, const char *host)
{
    const auto when = DatesFile::parseIsoTime(time);
    return DatesFile::format({offset, record.size(), Crc32::of(std::string_view(record)),
                              when->first, qint16(when->second), host});
}

// A window's table as its rows, each the cells of `columns` (or all) joined by "|".
QString cells(const QAbstractItemModel *model, QList<int> columns = {})
{
    for (int column = columns.isEmpty() ? 0 : model->columnCount(); column < model->columnCount();
         ++column)
        columns << column;
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList texts;
        for (int column : columns)
            texts << model->index(row, column).data().toString();
        rows << texts.join('|');
    }
    return rows.join(' ');
}

// Shows the window and opens `paths` in it; true once they have been read.
bool openAndRead(JournalWindow &window, const QStringList &paths)
{
    QSignalSpy looked(&window, &JournalWindow::lookDone);
    window.show();
    window.openFiles(paths);
    return looked.wait(10000);
}

QAbstractItemModel *table(const JournalWindow &window, const char *name)
{
    return window.findChild<QTableView *>(name)->model();
}

// Rich text read as Qt reads it where it may be markup (a tooltip), or always (a chart's label).
QString shownText(const QString &text, bool alwaysRich = false)
{
    QTextDocument document;
    alwaysRich || Qt::mightBeRichText(text) ? document.setHtml(text) : document.setPlainText(text);
    return document.toPlainText();
}

// What a filter keeps of a table's rows.
struct Kept
{
    QString needle;
    JournalFilter::Match match = JournalFilter::Match::Part;
    bool doubtfulOnly = false;
    bool freshOnly = false;
    bool absentOnly = false;
};

// The table's rows a filter shows, worked out the plain way: the names that hold the folded
// text, or are it, in a stable sort by the column.
std::vector<int> plainRows(const JournalTable &table, const Kept &kept, int column,
                           Qt::SortOrder order)
{
    const QString needle = foldName(kept.needle);
    const bool whole = kept.match == JournalFilter::Match::Whole && !needle.isEmpty();
    std::vector<int> rows;
    for (int row = 0; row < table.rowCount(); ++row) {
        const int name = table.nameOfRow(row);
        const QStringList searched = table.searchedName(name).split('\n');
        if ((whole ? table.foldedName(name) == needle
                   : std::ranges::any_of(
                         searched, [&](const QString &each) { return each.contains(needle); })) &&
            (!kept.doubtfulOnly || table.doubtful(row)) && (!kept.freshOnly || table.fresh(row)) &&
            (!kept.absentOnly || table.absent(row)) && table.inPeriod(row))
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

// Whether `lines` show `text` broken only at its blanks: each line is the text's next words as
// they are, or the start of them with «…» when they are cut short.
bool brokenAtBlanks(const QString &text, const QStringList &lines)
{
    qsizetype at = 0;
    for (const QString &line : lines) {
        const bool cut = line.endsWith(u'…') && !text.mid(at).startsWith(line);
        if (!text.mid(at).startsWith(cut ? line.chopped(1) : line))
            return false;
        at += line.size() - (cut ? 1 : 0);
        while (cut && at < text.size() && text[at] != u' ')
            ++at;
        if (at < text.size() && text[at] != u' ')
            return false;
        while (at < text.size() && text[at] == u' ')
            ++at;
    }
    return lines.size() <= JournalReport::kMaxLines &&
           (at == text.size() || (!lines.isEmpty() && lines.constLast().endsWith(u'…')));
}

// What pdfinfo and pdftotext read in a PDF file: its pages, and the text of one.
int pdfPages(const QString &path)
{
    QProcess info;
    info.start("pdfinfo", {path});
    info.waitForFinished();
    const QByteArray said = info.readAllStandardOutput();
    const qsizetype at = said.indexOf("\nPages:");
    return at < 0 ? -1 : said.mid(at + 7, said.indexOf('\n', at + 1) - at - 7).trimmed().toInt();
}

QString pdfText(const QString &path, int page)
{
    QProcess text;
    text.start("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), path, "-"});
    text.waitForFinished();
    return QString::fromUtf8(text.readAllStandardOutput());
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
    void followerMatchesWholeRead_data();
    void followerMatchesWholeRead();
    void modelsFollowTheLastLine_data();
    void modelsFollowTheLastLine();
    void pupilSummaries();
    void courseRules_data();
    void courseRules();
    void skippedLineText_data();
    void skippedLineText();
    void encodings_data();
    void encodings();
    void windowSortsAndFilters();
    void copyingSelectedRows_data();
    void copyingSelectedRows();
    void teacherAtWork();
    void closedFileNotRead();
    void lockWaitShown();
    void filterAgainstPlainModel();
    void hostileNamesShownAsText_data();
    void hostileNamesShownAsText();
    void report_data();
    void report();
    void printToFile_data();
    void printToFile();
    void qtTextsInTheUsersLanguage();
    void niceAxis_data();
    void niceAxis();
    void pupilsFollowTime_data();
    void pupilsFollowTime();
    void periodsOfTheBar_data();
    void periodsOfTheBar();
    void datedAsTheyArrive();
    void lessonAndNewRecords();
    void fitsTheScreen_data();
    void fitsTheScreen();
    void startFolders_data();
    void startFolders();
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
               "\"a\",1,2,3,4,5,99999,7\r\n\"a\",1,2,3,4,5,6,1e9\r\n\"a\",1,2,3,4,5,6,+"
               "40000\r\n\"a\"," +
               QByteArray(300, '1') + rest + "\"a\",1,2,3,4,5,\"6\r\n7\r\n\"\r\n\"" + rest +
               kExample
        << (QString("1!empty0 2!quote1 3!few4 4!many9 5!score2 6!bigscore7 7!total8 8!bigtotal8 "
                    "9!long2 10!quote7 11!few1 12!quote1 13!quote1 14:Ученик") +
            kExampleRead)
               .split(' ');
    // A name as long as the course writes is read whole, a longer one cut, never skipped.
    QTest::newRow("long names") << '"' + QByteArray(ResultsParser::kMaxName, '\xFF') + '"' + rest +
                                       '"' + QByteArray(6 << 20, '\xFF') + '"' + rest
                                << QStringList{"1:" + QString(ResultsParser::kMaxName, u'я') +
                                                   "|1,2,3,4,5,6|7",
                                               "2:" + QString(ResultsParser::kMaxName, u'я') +
                                                   "…|1,2,3,4,5,6|7"};
    QTest::newRow("megabytes of garbage, binary")
        << QByteArray(6 << 20, 'x') + "\r\n" + QByteArrayLiteral("\x00\xff\x98\r\n") + kExample
        << QStringList{"1!few1", "2!few1", "3:Ученик" + kExampleRead};
}

// Both reader paths, with the bytes handed out whole or in small pieces, read alike, over the
// same places. That the places cover the bytes without a gap, and a skipped line's start, the
// fuzz target checks on any input; skippedLineText shows the start as the journal does.
void JournalTest::lenientReading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    const auto read = [&](ResultsParser::Path path, qint64 piece) {
        PieceSource source(bytes, piece);
        LineLog log;
        ResultsParser(source, path).readLines(log);
        return log;
    };
    const LineLog whole = read(ResultsParser::Path::General, 1 << 20);
    QCOMPARE(describe(whole), lines.join(' '));
    for (auto path : {ResultsParser::Path::Fast, ResultsParser::Path::General}) {
        for (qint64 piece : {1, 7, 1 << 20})
            QVERIFY(read(path, piece).same(whole, true));
    }
}

void JournalTest::namesAndCsvFields_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folded");
    QTest::addColumn<QByteArray>("csv");
    // clang-format off
    QTest::newRow("ё, case, blanks") << " Ёжикова  АНЯ " << "ежикова аня" << QByteArray("\" Ёжикова  АНЯ \"");
    QTest::newRow("comma") << "Иванов, Пётр" << "иванов, петр" << QByteArray("\"Иванов, Пётр\"");
    QTest::newRow("quote") << "say \"hi\"" << "say \"hi\"" << QByteArray("\"say \"\"hi\"\"\"");
    QTest::newRow("semicolon") << "a;b" << "a;b" << QByteArray("\"a;b\"");
    QTest::newRow("formula") << "=1+1" << "=1+1" << QByteArray("'=1+1");
    QTest::newRow("formula and comma") << "=SUM(A1,A2)" << "=sum(a1,a2)" << QByteArray("\"'=SUM(A1,A2)\"");
    QTest::newRow("tab") << "\tx" << "x" << QByteArray("'\tx");
    for (const char *start : {"+", "-", "@"})
        QTest::newRow(start) << QString(start) + "x" << QString(start) + "x" << "'" + QByteArray(start) + "x";
    // clang-format on
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
    // Each step changes the file ("+" appends, "~" rewrites it in place, "remove", "old" and
    // "ahead" set its modification time an hour back or ahead, "wait N" lets N seconds pass),
    // then the follower looks once, with the settle time the journal uses; "!" before a step
    // cancels that look. After each look: "over" if it started from line 1 again, "void" if it
    // voided the last line, the lines taken so far and what their names were read as; or why
    // none could be.
    // Appends, cuts and replacements are followerMatchesWholeRead's.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("looks");
    const QString a = "\"a\",1,2,3,4,5,6,7\r\n", b = "\"b\",1,2,3,4,5,6,7\r\n", half = "\"b\",1,2";
    const QString readA = "1:a|1,2,3,4,5,6|7", readB = "1:b|1,2,3,4,5,6|7";
    // clang-format off
    QTest::newRow("an unended line in a file left long ago") << QStringList{"+" + a + half, "old"} << QStringList{readA, readA + " 2!few3~"};
    QTest::newRow("a modification time ahead of the clock") << QStringList{"+" + a + half, "ahead", "wait 2", "wait 1"}
                                                             << QStringList{readA, readA, readA, readA + " 2!few3~"};
    QTest::newRow("rewritten in place, longer") << QStringList{"+" + a, "~" + b + a} << QStringList{readA, "over " + readB + " 2:a|1,2,3,4,5,6|7"};
    QTest::newRow("removed, then back") << QStringList{"+" + a, "remove", "+" + b} << QStringList{readA, "missing", "over " + readB};
    QTest::newRow("cancelled, no longer followed") << QStringList{"+" + a, "!+" + b, "+" + b} << QStringList{readA, "cancelled", "cancelled"};
    // A UTF-8 name of an unended line that turns out damaged no longer counts, nor one of a file
    // rewritten.
    const QString utf8 = QString::fromLatin1("\"\xD0\xB8\",1,2,3,4,5,6,7");
    QTest::newRow("UTF-8 names voided") << QStringList{"+" + utf8, "old", "+,8\r\n", "~" + utf8 + "\r\n", "~" + a}
                                        << QStringList{"", "1:Рё|1,2,3,4,5,6|7~ [UTF-8]", "void 1!many9", "over 1:Рё|1,2,3,4,5,6|7 [UTF-8]", "over " + readA};
    // clang-format on
}

void JournalTest::followingAFile()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, looks);
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    ScriptedClock clock;
    FileFollower follower(path, FileFollower::kSettle, &clock);
    LineLog log;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const std::atomic_bool cancel = steps[i].startsWith('!');
        const QString step = steps[i].mid(cancel ? 1 : 0);
        const QByteArray bytes = step.mid(1).toLatin1();
        if (step.startsWith('+') || step.startsWith('~')) {
            QVERIFY(
                writeFile(path, bytes, step[0] == '+' ? QIODevice::Append : QIODevice::WriteOnly));
        } else if (step == "remove") {
            QVERIFY(QFile::remove(path));
        } else if (step == "old" || step == "ahead") {
            const timespec times[2] = {{0, UTIME_OMIT},
                                       {::time(nullptr) + (step == "old" ? -3600 : 3600), 0}};
            QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path), times, 0) == 0);
        } else if (step.startsWith("wait ")) {
            clock.steady += step.mid(5).toLongLong() * 1000;
        }
        const int overs = log.startOvers, voids = log.voids;
        const FileFollower::State state = follower.poll(log, &cancel);
        const QString news = QString("over ").repeated(log.startOvers - overs) +
                             QString("void ").repeated(log.voids - voids) + describe(log) +
                             (follower.encodings().utf8 ? " [UTF-8]" : "") +
                             (follower.encodings().cp1251 ? " [Windows-1251]" : "");
        QCOMPARE(state == FileFollower::State::Read        ? news
                 : state == FileFollower::State::Missing   ? "missing"
                 : state == FileFollower::State::Cancelled ? "cancelled"
                                                           : "unreadable",
                 looks[i]);
    }
}

void JournalTest::followerMatchesWholeRead_data()
{
    QTest::addColumn<std::chrono::milliseconds>("settle");
    QTest::newRow("every line at once") << FileFollower::kAtOnce;
    QTest::newRow("unended lines wait") << FileFollower::kSettle;
}

// A file of lines that end in every way, damaged ones among them, with names in Windows-1251 or
// UTF-8 (with or without a byte order mark) mixed, written as FollowedWrite writes it: each name
// is read by its own bytes, however the pieces fell.
void JournalTest::followerMatchesWholeRead()
{
    QFETCH(std::chrono::milliseconds, settle);
    const QList<QByteArray> names[] = {
        {"\xD3\xF7\xE5\xED\xE8\xEA", "\xA8\xE6\xE8\xEA", "Petya", "\xC0\xED\xFF"},
        {QString("Ученик").toUtf8(), QString("Ёжик").toUtf8(), "Petya", QString("Аня").toUtf8()}};
    const QList<QByteArray> damaged = {"",
                                       "\"ab",
                                       "\"a\",1,2,3",
                                       "\"a\",x,2,3,4,5,6,7",
                                       "x,1,2,3,4,5,6,1e9",
                                       "\"a\",1,2,3,4,5,6,7,8",
                                       QByteArray("\x00\xff\x98", 3)};
    const QList<QByteArray> lineEnds = {"\r\n", "\n", "\r"};
    QTemporaryDir folder;
    for (quint32 seed = 1; seed <= 200; ++seed) {
        QRandomGenerator random(seed);
        QByteArray bytes = random.bounded(3) == 0 ? "\xEF\xBB\xBF" : "";
        for (int lines = random.bounded(1, 8); lines > 0; --lines) {
            if (random.bounded(3) > 0)
                bytes += "\"" + names[random.bounded(2)][random.bounded(4)] + "\"," +
                         QByteArray::number(random.bounded(11)) + ",10,10,10,3,10,8,4.125";
            else
                bytes += damaged[random.bounded(damaged.size())];
            if (lines > 1 || random.bounded(3) > 0)
                bytes += lineEnds[random.bounded(3)];
        }
        FileWrite write(folder.filePath(QString("res%1.txt").arg(seed)));
        LineLog log;
        const char *failure = write.run(bytes, seed, settle, true, log);
        QVERIFY2(!failure,
                 qPrintable(
                     QString("seed %1, %2: %3").arg(seed).arg(failure, bytes.toPercentEncoding())));
    }
}

void JournalTest::modelsFollowTheLastLine_data()
{
    // Each step appends to the first file ("+"), or the second ("2+"), or replaces the first by
    // a new file ("="); then the loader looks once.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("rows"); // after the last step, in any order
    const QString a = "\"a\",1,2,3,4,5,6,7\r\n", b = "\"b\",1,2,3,4,5,6,4";
    // clang-format off
    QTest::newRow("voided as it grows") << QStringList{"+" + a + "\"b\",1,2", "+,3,4", "+,5,6,7"}
                                        << QStringList{"0:1 a 7", "0:2 b 7~", "a 1 7 7 7", "b 1 7 7 7"};
    QTest::newRow("completed, with a longer total") << QStringList{"+" + a + b, "+.125\r\n", "+" + a}
                                                    << QStringList{"0:1 a 7", "0:2 b 4,125", "0:3 a 7", "a 2 7 7 7", "b 1 4,125 4,125 4,125"};
    QTest::newRow("a record that turns out damaged") << QStringList{"+" + a + b, "+,8\r\n"}
                                                     << QStringList{"0:1 a 7", "a 1 7 7 7", "0:2 в строке 9 полей, а нужно 8 | \"b\",1,2,3,4,5,6,4,8"};
    // A file replaced takes its skipped lines with it.
    QTest::newRow("replaced") << QStringList{"+bad\r\n" + a + b, "=" + b} << QStringList{"0:1 b 4~", "b 1 4 4 4"};
    QTest::newRow("each file's own unended line") << QStringList{"+" + a + b, "2+" + b, "+.1\r\n", "2+.5"}
                                                  << QStringList{"0:1 a 7", "0:2 b 4,1", "1:1 b 4,5~", "a 1 7 7 7", "b 2 4,1 4,5 4,5"};
    // clang-format on
}

// The records, pupils and skipped lines after every look match fresh models loading the file as
// it then is.
void JournalTest::modelsFollowTheLastLine()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, rows);
    QTemporaryDir folder;
    const QStringList paths = {folder.filePath("one.txt"), folder.filePath("two.txt")};
    for (const QString &path : paths)
        QVERIFY(writeFile(path, {}));
    Journal journal(paths);
    for (const QString &step : steps) {
        const QString &path = paths[step.startsWith('2') ? 1 : 0];
        const QByteArray bytes = step.mid(step.startsWith('2') ? 2 : 1).toLatin1();
        if (step.startsWith('=')) {
            QVERIFY(writeFile(path + ".new", bytes));
            QVERIFY(::rename(QFile::encodeName(path + ".new"), QFile::encodeName(path)) == 0);
        } else {
            QVERIFY(writeFile(path, bytes, QIODevice::Append));
        }
        journal.loader.lookAtAll();
        QCOMPARE(journal.rows(), Journal(paths).rows());
    }
    rows.sort();
    QCOMPARE(journal.rows(), rows);
}

// First and latest follow the files' order, whatever order the lines arrive in; a course is
// complete only with all four exercises at 10 in one attempt; one pupil's name is the same in
// either encoding. The status bar names a file in UTF-8; the CSV shows a name as text.
void JournalTest::pupilSummaries()
{
    QTemporaryDir folder;
    const QString first = folder.filePath("first.txt"), second = folder.filePath("second.txt");
    QVERIFY(writeFile(second, "\xEF\xBB\xBF" + QString("\"ёжик\",10,10,10,10,0,0,5\r\n"
                                                       "\"=<Ann>\",10,9,10,10,3,4,4.875\r\n")
                                                   .toUtf8()));
    QVERIFY(writeFile(first, line("Ёжик ", 4, "4.25") + line("ЕЖИК", 7, "4.625") +
                                 "\"=<Ann>\",9,10,10,10,5,2,4.875\r\n"));
    JournalWindow window;
    QVERIFY(openAndRead(window, {first, second}));
    // Each of Ann's attempts has a game's score the course cannot give: none counts.
    QCOMPARE(cells(table(window, "pupils")), "Ёжик |3|4,25|5|5|+0,75|10|10|10|10|0|0|да "
                                             "=<Ann>|2|||||||||||нет");
    QCOMPARE(window.findChild<QLabel *>("problems")->text(), "«second.txt»: в кодировке UTF-8");
    // As the user's spreadsheet reads CSV: a decimal comma between semicolons in Russian, a
    // period between commas in English; numbers as numbers, and how many attempts are doubtful.
    const QString csv = folder.filePath("pupils.csv");
    const auto back = qScopeGuard([] { QLocale::setDefault(QLocale::Russian); });
    const QByteArray doubtful = "\"Попыток, которые курс не мог записать: 2\"\r";
    const std::pair<QLocale::Language, QByteArrayList> forms[] = {
        {QLocale::Russian,
         {"\"Ёжик \";3;4,25;5;5;0,75;10;10;10;10;0;0;да;\r",
          "'=<Ann>;2;;;;;;;;;;;нет;" + doubtful}},
        {QLocale::English,
         {"\"Ёжик \",3,4.25,5,5,0.75,10,10,10,10,0,0,да,\r",
          "'=<Ann>,2,,,,,,,,,,,нет," + doubtful}}};
    for (const auto &[language, rows] : forms) {
        QLocale::setDefault(language);
        QVERIFY(window.saveCsv(JournalWindow::Table::Pupils, csv));
        QCOMPARE(readFile(csv).split('\n').mid(1, 2), rows);
    }
}

void JournalTest::courseRules_data()
{
    // A line's scores and total; why the course cannot have written it; whether it completes
    // the course.
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("reasons");
    QTest::addColumn<bool>("complete");
    const QString total = "Итог: %1, а (Левая + Правая + Двойной + Движ) / 8 = %2";
    const QString exercise = "%1: %2, а упражнение с %3 даёт от 0 до 11";
    const QString caught = "Игра 1: %1, а игра «Поймай» даёт 0 или 10";
    const QString sorted = "Игра 2: %1, а игра «Помести в нужный раздел» даёт 0, 2, 6, 8 или 10";
    // clang-format off
    QTest::newRow("all at the goal") << QByteArray("10,10,10,10,10,10,5") << "" << true;
    // Each of the four exercises one short in turn.
    QTest::newRow("left at 9") << QByteArray("9,10,10,10,10,10,4.875") << "" << false;
    QTest::newRow("right at 9") << QByteArray("10,9,10,10,10,10,4.875") << "" << false;
    QTest::newRow("double at 9") << QByteArray("10,10,9,10,10,10,4.875") << "" << false;
    QTest::newRow("drag at 9") << QByteArray("10,10,10,9,10,10,4.875") << "" << false;
    QTest::newRow("the drag counted once more") << QByteArray("10,10,10,11,0,8,5.125") << "" << true;
    QTest::newRow("nothing done") << QByteArray("0,0,0,0,0,0,0") << "" << false;
    QTest::newRow("sorted 2") << QByteArray("1,0,0,0,0,2,0.125") << "" << false;
    QTest::newRow("sorted 6") << QByteArray("1,0,0,0,0,6,+.1250") << "" << false;
    QTest::newRow("an exercise above 11") << QByteArray("12,10,10,10,0,0,5.25") << exercise.arg("Левая", "12", "левой кнопкой мыши") << false;
    QTest::newRow("below 0") << QByteArray("0,0,-1,0,0,0,-0.125") << exercise.arg("Двойной", "-1", "двойным щелчком") << false;
    QTest::newRow("caught 5") << QByteArray("1,1,1,1,5,0,0.5") << caught.arg(5) << false;
    for (const char *score : {"4", "12", "-1", "-2"})
        QTest::newRow(qPrintable(QString("sorted ") + score)) << "1,1,1,1,0," + QByteArray(score) + ",0.5" << sorted.arg(score) << false;
    QTest::newRow("a total an eighth off") << QByteArray("10,10,10,10,0,0,5.125") << total.arg("5,125", "5") << true;
    QTest::newRow("a total rounded") << QByteArray("1,0,0,0,0,0,0.1") << total.arg("0,1", "0,125") << false;
    QTest::newRow("everything") << QByteArray("0,12,0,-3,1,1,9")
                                << QStringList{exercise.arg("Правая", "12", "правой кнопкой мыши"), exercise.arg("Движ", "-3", "перетаскиванием"),
                                               caught.arg(1), sorted.arg(1), total.arg("9", "1,125")}.join("; ") << false;
    // clang-format on
}

// A record the course cannot have written is doubtful, for every reason at once; it is an
// attempt, and completes the course with every exercise done only when the doubtful count in.
void JournalTest::courseRules()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, reasons);
    QFETCH(bool, complete);
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    QVERIFY(writeFile(path, "\"a\"," + line + "\r\n"));
    Journal journal({path}, false);
    QCOMPARE(journal.records.rowCount(), 1);
    QCOMPARE(RecordsModel::doubtReasons(journal.records.record(0)).join("; "), reasons);
    QCOMPARE(journal.records.doubtful(0), !reasons.isEmpty());
    QCOMPARE(journal.pupils.doubtful(0), !reasons.isEmpty());
    QCOMPARE(journal.pupils.pupil(0).attempts, 1);
    QCOMPARE(journal.pupils.pupil(0).complete, complete && reasons.isEmpty());
    journal.pupils.setCountDoubtful(true);
    QCOMPARE(journal.pupils.pupil(0).complete, complete);
}

void JournalTest::skippedLineText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("skipped"); // reason | text
    QTest::newRow("one, four, five fields")
        << QByteArray("a\r\n\"\xC0\xED\xFF\",1,2,3\n1,2,3,4,5\r")
        << QStringList{"в строке 1 поле, а нужно 8 | a",
                       "в строке 4 поля, а нужно 8 | \"Аня\",1,2,3",
                       "в строке 5 полей, а нужно 8 | 1,2,3,4,5"};
    QTest::newRow("control characters, scores")
        << QByteArrayLiteral("\"a\tb\0\x7f\",1,x,3,4,5,6,7\r\n\"a\",1,2,3,4,5,99999,7\r\n")
        << QStringList{"оценка «Правая» не целое число | \"a␉b␀␡\",1,x,3,4,5,6,7",
                       "оценка «Игра 2» — слишком большое число | \"a\",1,2,3,4,5,99999,7"};
    QTest::newRow("totals, a quote, an empty line")
        << QByteArray("\"a\",1,2,3,4,5,6,7a\r\n\"a\",1,2,3,4,5,6,-40000\r\n\"ab\r\n\r\n")
        << QStringList{"итог не число | \"a\",1,2,3,4,5,6,7a",
                       "итог — слишком большое число | \"a\",1,2,3,4,5,6,-40000",
                       "в поле «Имя» не закрыта кавычка | \"ab", "пустая строка | "};
    QTest::newRow("long, cut; as long as kept")
        << "\"a\"," + QByteArray(300, '\xFF') + "\r\n" + QByteArray(120, 'x') + "\r\n"
        << QStringList{"в поле «Левая» больше 256 знаков | \"a\"," + QString(116, u'я') + "…",
                       "в строке 1 поле, а нужно 8 | " + QString(120, u'x')};
    // Cut in the middle of a letter: up to that letter.
    QTest::newRow("UTF-8, cut") << "\xEF\xBB\xBF\"" + QString(100, u'ж').toUtf8() + "\",1\n"
                                << QStringList{"в строке 2 поля, а нужно 8 | \"" +
                                               QString(59, u'ж') + "…"};
}

// A skipped line shows its start as its file is read, control characters as their pictures,
// and why it was skipped in plain words.
void JournalTest::skippedLineText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, skipped);
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    QVERIFY(writeFile(path, bytes));
    const Journal journal({path});
    QStringList rows;
    for (int row = 0; row < journal.skipped.rowCount(); ++row)
        rows << journal.skipped.index(row, SkippedModel::Reason).data().toString() + " | " +
                    journal.skipped.text(row);
    QCOMPARE(rows, skipped);
}

void JournalTest::encodings_data()
{
    QTest::addColumn<QList<QByteArray>>("files");
    QTest::addColumn<QStringList>("records"); // line and name
    const QByteArray rest = ",10,10,10,3,10,8,4.125\r\n";
    const QByteArray utf8 = "\"" + QString("Ёжик").toUtf8() + "\"" + rest;
    const QByteArray bom = "\xEF\xBB\xBF";
    // clang-format off
    QTest::newRow("Windows-1251") << QList<QByteArray>{kExample + "\"Petya\"" + rest} << QStringList{"1 Ученик", "2 Petya"};
    QTest::newRow("UTF-8") << QList<QByteArray>{"\"Petya\"" + rest + utf8} << QStringList{"1 Petya", "2 Ёжик"};
    QTest::newRow("byte order mark") << QList<QByteArray>{bom + utf8 + utf8} << QStringList{"1 Ёжик", "2 Ёжик"};
    // Each name by its own bytes, whatever came before it in the file or in another file.
    QTest::newRow("mixed, in either order") << QList<QByteArray>{utf8 + kExample, kExample + utf8}
                                            << QStringList{"1 Ёжик", "2 Ученик", "1 Ученик", "2 Ёжик"};
    // A name that is not UTF-8 is read as a pupils' program wrote it.
    QTest::newRow("byte order mark, a Windows-1251 line") << QList<QByteArray>{bom + kExample + utf8} << QStringList{"1 Ученик", "2 Ёжик"};
    // "Рё" in Windows-1251 is valid UTF-8 ("и"), a letter: read as UTF-8.
    QTest::newRow("Windows-1251 that is valid UTF-8") << QList<QByteArray>{"\"\xD0\xB8\"" + rest + kExample} << QStringList{"1 и", "2 Ученик"};
    // Valid UTF-8 without a letter ("—") is UTF-8 only in a file marked so.
    QTest::newRow("no letter") << QList<QByteArray>{"\"\xE2\x80\x94\"" + rest, bom + "\"\xE2\x80\x94\"" + rest}
                               << QStringList{"1 вЂ”", "1 —"};
    // As long as the name prompt takes, whole in either encoding; longer, cut.
    const QString longest = QString("𠀀").repeated(255); // four bytes a letter
    QTest::newRow("long names") << QList<QByteArray>{"\"" + longest.toUtf8() + "\"" + rest + "\"" + QByteArray(2000, '\xFF') + "\"" + rest}
                                << QStringList{"1 " + longest, "2 " + QString(ResultsParser::kMaxName, u'я') + "…"};
    // clang-format on
}

// The journal and the export read names alike.
void JournalTest::encodings()
{
    QFETCH(QList<QByteArray>, files);
    QFETCH(QStringList, records);
    QTemporaryDir folder;
    QStringList paths;
    for (const QByteArray &bytes : files) {
        paths << folder.filePath(QString("res%1.txt").arg(paths.size() + 1));
        QVERIFY(writeFile(paths.back(), bytes));
    }
    QBuffer errors;
    errors.open(QIODevice::WriteOnly);
    const QString csv = folder.filePath("out.csv");
    QCOMPARE(JournalExport::run(paths, csv, errors), JournalExport::AllRead);
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    const Journal journal(paths);
    QCOMPARE(journal.records.rowCount(), records.size());
    for (int row = 0; row < records.size(); ++row) {
        const JournalRecord &record = journal.records.record(row);
        QCOMPARE(QString("%1 %2").arg(record.line).arg(journal.records.name(record.name)),
                 records[row]);
        const QList<QByteArray> fields = lines.value(row + 1).split(',');
        QCOMPARE(QString::fromUtf8(fields.value(1) + ' ' + fields.value(2)), records[row]);
    }
}

void JournalTest::windowSortsAndFilters()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    QVERIFY(writeFile(path, line("Ёжиков", 10, "5") + line("Аня", 1, "3.875") +
                                line("ежиков", 3, "4.125")));
    JournalWindow window;
    QVERIFY(openAndRead(window, {path}));
    auto *records = window.findChild<QTableView *>("records");
    QCOMPARE(cells(records->model(), {0}), "Ёжиков Аня ежиков");

    // A click on the header sorts by that column; names go in Russian alphabetical order.
    QHeaderView *header = records->horizontalHeader();
    const auto clickHeader = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, 5));
    };
    clickHeader(1);
    QCOMPARE(cells(records->model(), {1}), "1 3 10");
    clickHeader(0);
    QVERIFY(cells(records->model(), {0}).startsWith("Аня ")); // Ё comes before А in Unicode

    // Typing a piece of a name, from its middle too, narrows the rows and leaves the columns as
    // the teacher set them.
    header->resizeSection(2, 77);
    auto *search = window.findChild<QLineEdit *>("search");
    for (const QString &letter : {QString("Ж"), QString("И")})
        QTest::sendKeyEvent(QTest::Click, search, Qt::Key_unknown, letter, Qt::NoModifier);
    QCOMPARE(records->model()->rowCount(), 2);
    QCOMPARE(header->sectionSize(2), 77);

    // A CSV file holds the rows the table shows, in the order it shows them.
    const QString csv = folder.filePath("shown.csv");
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        records->sortByColumn(RecordsModel::Left, order);
        QVERIFY(window.saveCsv(JournalWindow::Table::Records, csv));
        QStringList saved;
        for (const QByteArray &row : readFile(csv).split('\n').mid(1, 2))
            saved << QString::fromUtf8(row.split(';').value(2));
        QCOMPARE(saved.join(' '), cells(records->model(), {0}));
    }
    QVERIFY(window.saveCsv(JournalWindow::Table::Pupils, csv));
    QCOMPARE(readFile(csv).count('\n'), 2); // the headings and one pupil
}

void JournalTest::copyingSelectedRows_data()
{
    // Runs of rows selected, "first-last" each; the rows copied, or 0 when a box refuses.
    QTest::addColumn<QString>("runs");
    QTest::addColumn<int>("copied");
    const int most = int(JournalOutputs::kMostCopied);
    const QString all = QString("0-%1").arg(most);
    // clang-format off
    QTest::newRow("two rows apart") << "3-3 0-0" << 2;
    QTest::newRow("runs that overlap") << "0-9 5-14 14-20" << 21;
    QTest::newRow("as many as one copy takes") << QString("0-%1").arg(most - 1) << most;
    QTest::newRow("one more") << all << 0;
    QTest::newRow("one more, in two runs") << QString("0-9 10-%1").arg(most) << 0;
    // clang-format on
}

// Ctrl+C copies each selected row once, in the table's order, counted from the selection's runs
// rather than row by row; beyond JournalOutputs::kMostCopied rows a box says why not, and the
// clipboard keeps what it had.
void JournalTest::copyingSelectedRows()
{
    QFETCH(QString, runs);
    QFETCH(int, copied);
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    QByteArray lines;
    for (int row = 0; row <= JournalOutputs::kMostCopied; ++row)
        lines += "\"N" + QByteArray::number(row) + "\",1,2,3,4,5,6,0.125\r\n";
    QVERIFY(writeFile(path, lines));
    JournalWindow window;
    QVERIFY(openAndRead(window, {path}));
    auto *records = window.findChild<QTableView *>("records");
    // Each run in a column of its own, which the selection keeps apart from the others.
    QItemSelection selection;
    int column = 0;
    for (const QString &run : runs.split(' ')) {
        selection.select(records->model()->index(run.section('-', 0, 0).toInt(), column),
                         records->model()->index(run.section('-', 1, 1).toInt(), column));
        ++column;
    }
    records->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    QGuiApplication::clipboard()->setText("before");
    QString said;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            said = box->text();
            box->accept();
        }
    });
    answer.start(10);
    QTest::keyClick(records, Qt::Key_C, Qt::ControlModifier);
    const QString text = QGuiApplication::clipboard()->text();
    if (copied == 0) {
        QCOMPARE(said, "Выделено строк: 100\u00A0001. За раз копируется не больше 100\u00A0000 "
                       "строк: выделите меньше или сохраните таблицу в CSV (меню «Файл»).");
        QCOMPARE(text, "before");
        return;
    }
    QCOMPARE(said, "");
    QCOMPARE(text.count('\n'), copied + 1);
    // In the table's order, from the first row to the last of any run.
    int last = 0;
    for (const QString &run : runs.split(' '))
        last = std::max(last, run.section('-', 1, 1).toInt());
    QVERIFY(text.section('\n', 1, 1).startsWith("N0\t"));
    QVERIFY(text.section('\n', copied, copied).startsWith(QString("N%1\t").arg(last)));
}

// A file named twice is read once. One pupil's attempts are those of the same folded name, not
// of every name that holds it, in the order of the files and their lines; the search typed
// before goes, and Escape or «Все ученики» leads back. Ctrl+C copies the selected rows; Escape
// clears the search; the doubtful records are marked, counted and kept alone on request; a
// closed file's records, pupils and skipped lines go, and nothing more is read of it.
void JournalTest::teacherAtWork()
{
    QTemporaryDir folder;
    const QString a = folder.filePath("a.txt"), b = folder.filePath("b.txt");
    QVERIFY(writeFile(a, line("Ёлкин", 10, "5") + line("Ёлкина", 3, "4.125") +
                             line("Ёлкин", 12, "5.25") + "bad\r\n"));
    QVERIFY(writeFile(b, line("ёлкин ", 9, "4.875") + "b\tad\r\n"));
    QVERIFY(QFile::link(a, folder.filePath("link.txt")));
    JournalWindow window;
    window.fitTo(QRect(0, 0, 1920, 1080));
    QVERIFY(openAndRead(window, {b, a, folder.filePath("link.txt"), folder.path() + "/./a.txt"}));
    QCOMPARE(window.windowTitle(), "Журнал результатов — файлов: 2");
    auto *search = window.findChild<QLineEdit *>("search");
    auto *records = window.findChild<QTableView *>("records");
    auto *pupils = window.findChild<QTableView *>("pupils");
    auto *tabs = window.findChild<QTabWidget *>();
    const auto shown = [&] {
        return cells(records->model(),
                     {RecordsModel::Name, RecordsModel::File, RecordsModel::Line});
    };
    // A line added to the first file comes after the second file's.
    QVERIFY(writeFile(b, line("Ёлкин", 10, "5"), QIODevice::Append));
    QTRY_COMPARE_WITH_TIMEOUT(records->model()->rowCount(), 5, 5000);
    QCOMPARE(shown(), "ёлкин |b.txt|1 Ёлкин|a.txt|1 Ёлкина|a.txt|2 Ёлкин|a.txt|3 Ёлкин|b.txt|3");
    QVERIFY(records->horizontalHeader()->sectionSize(RecordsModel::File) >
            records->fontMetrics().horizontalAdvance("b.txt"));

    QTest::sendKeyEvent(QTest::Click, search, Qt::Key_unknown, "к", Qt::NoModifier);
    tabs->setCurrentWidget(pupils);
    // Thirteen columns in a window 1100 pixels wide, the name's with room.
    QVERIFY(pupils->horizontalHeader()->length() <= pupils->viewport()->width());
    QVERIFY(pupils->horizontalHeader()->sectionSize(PupilsModel::Name) >= 100);
    const QModelIndex pupil = pupils->model()->index(0, PupilsModel::Name);
    // Under the spelling typed most often.
    QCOMPARE(pupil.data().toString(), "Ёлкин");
    // As a mouse does it: a click, then the second press as a double click.
    const QPoint at = pupils->visualRect(pupil).center();
    QTest::mouseClick(pupils->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(pupils->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(search->text(), "");
    QCOMPARE(window.findChild<QLabel *>("pupilName")->text(), "Попытки: Ёлкин");
    // The report says what it shows.
    QCOMPARE(window.report().title().value(1), "Попытки: Ёлкин");
    const QString attempts = "ёлкин |b.txt|1 Ёлкин|b.txt|3 Ёлкин|a.txt|1 Ёлкин|a.txt|3";
    QCOMPARE(shown(), attempts);
    QTest::mouseClick(records->viewport(), Qt::LeftButton, {},
                      records->visualRect(records->model()->index(0, 1)).center());
    QTest::mouseClick(records->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      records->visualRect(records->model()->index(3, 1)).center());
    QTest::keyClick(records, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             "Имя\tЛевая\tПравая\tДвойной\tДвиж\tИгра 1 «Поймай»\tИгра 2 «Помести»\tИтог\tКогда\t"
             "Компьютер\tФайл\tСтрока\n"
             "ёлкин \t9\t10\t10\t10\t0\t0\t4,875\t—\t\tb.txt\t1\n"
             "Ёлкин\t12\t10\t10\t10\t0\t0\t5,25\t—\t\ta.txt\t3\n");
    QTest::keyClick(records, Qt::Key_Escape);
    QVERIFY(window.findChild<QWidget *>("pupilBar")->isHidden());
    QCOMPARE(tabs->currentWidget(), pupils);
    QCOMPARE(records->model()->rowCount(), 5);
    // Headings of two lines are copied in one.
    pupils->selectRow(0);
    QTest::keyClick(pupils, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(QGuiApplication::clipboard()->text().startsWith("Имя\tПопыток\tПервый итог\t"));
    // Enter on a pupil does what a double click does.
    QTest::keyClick(pupils, Qt::Key_Return);
    QCOMPARE(shown(), attempts);
    QTest::mouseClick(window.findChild<QPushButton *>("allPupils"), Qt::LeftButton);
    QCOMPARE(tabs->currentWidget(), pupils);

    QTest::sendKeyEvent(QTest::Click, search, Qt::Key_unknown, "x", Qt::NoModifier);
    QCOMPARE(records->model()->rowCount(), 0);
    QTest::keyClick(search, Qt::Key_Escape);
    QCOMPARE(search->text(), "");
    QCOMPARE(records->model()->rowCount(), 5);

    auto *summary = window.findChild<QLabel *>("summary");
    QTRY_VERIFY(summary->text().endsWith("· подозрительных: 1, не учтены"));
    QVERIFY(records->model()->index(0, RecordsModel::Name).data(Qt::DecorationRole).isNull());
    QTest::sendKeyEvent(QTest::Click, search, Qt::Key_unknown, "Ё", Qt::NoModifier);
    QTest::mouseClick(window.findChild<QCheckBox *>("doubtfulOnly"), Qt::LeftButton);
    QCOMPARE(window.report().title().value(1), "Отбор: в имени есть «Ё»; только подозрительные");
    QTest::keyClick(search, Qt::Key_Escape);
    QCOMPARE(shown(), "Ёлкин|a.txt|3");
    QCOMPARE(pupils->model()->rowCount(), 1);
    const QModelIndex doubtful = records->model()->index(0, RecordsModel::Name);
    QVERIFY(!doubtful.data(Qt::DecorationRole).value<QIcon>().isNull());
    QCOMPARE(shownText(doubtful.data(Qt::ToolTipRole).toString()),
             "Ёлкин\nКурс не мог записать такую строку:\n"
             "Левая: 12, а упражнение с левой кнопкой мыши даёт от 0 до 11");
    QTest::mouseClick(window.findChild<QCheckBox *>("doubtfulOnly"), Qt::LeftButton);

    auto *closing = window.findChild<QMenu *>("closeFile");
    emit closing->aboutToShow();
    QCOMPARE(closing->actions().size(), 2);
    closing->actions().front()->trigger();
    QCOMPARE(window.windowTitle(), "Журнал результатов — a.txt");
    QCOMPARE(shown(), "Ёлкин|a.txt|1 Ёлкина|a.txt|2 Ёлкин|a.txt|3");
    QCOMPARE(pupils->model()->index(0, PupilsModel::Attempts).data().toString(), "2");
    QCOMPARE(table(window, "skipped")->rowCount(), 1);
    QSignalSpy looked(&window, &JournalWindow::lookDone);
    QVERIFY(writeFile(b, line("Новый", 1, "3.875"), QIODevice::Append));
    QTRY_COMPARE_WITH_TIMEOUT(looked.size(), 2, 5000);
    QCOMPARE(records->model()->rowCount(), 3);
}

// A file closed is no longer read, and what was on its way from it is not taken.
void JournalTest::closedFileNotRead()
{
    QTemporaryDir folder;
    const QStringList paths = {folder.filePath("one.txt"), folder.filePath("two.txt")};
    for (const QString &path : paths)
        QVERIFY(writeFile(path, line("a", 1, "3.875") + "bad\r\n"));
    Journal journal(paths);
    journal.records.closeFile(0);
    journal.skipped.dropFile(0);
    JournalBatch late;
    late.records.resize(1);
    late.skipped.resize(1);
    journal.records.apply(late);
    journal.skipped.apply(late);
    QCOMPARE(journal.rows(), QStringList({"1:1 a 3,875", "1:2 в строке 1 поле, а нужно 8 | bad",
                                          "a 1 3,875 3,875 3,875"}));
    QSignalSpy batches(&journal.loader, &JournalLoader::batchReady);
    journal.loader.closeFile(0);
    for (const QString &path : paths)
        QVERIFY(writeFile(path, line("b", 2, "4"), QIODevice::Append));
    journal.loader.lookAtAll();
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches[0][0].value<std::shared_ptr<JournalBatch>>()->file, 1);
}

// While another program holds a file's lock, the status bar says that the journal waits for
// it; once it is let go, the records come and the note goes.
void JournalTest::lockWaitShown()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    QVERIFY(writeFile(path, kExample));
    // A lock of the open file, not of this program: the journal's own reads wait for it too.
    const int holder = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    QVERIFY(::fcntl(holder, F_OFD_SETLK, &lock) == 0);
    JournalWindow window;
    window.show();
    window.openFiles({path});
    const QLabel *reading = window.findChild<QLabel *>("reading");
    QTRY_COMPARE(reading->isVisible() ? reading->text() : QString(),
                 "«res.txt»: файл занят другой программой, жду…");
    QCOMPARE(table(window, "records")->rowCount(), 0);
    ::close(holder);
    QTRY_COMPARE(table(window, "records")->rowCount(), 1);
    QTRY_VERIFY(!reading->isVisible());
}

// Random appends, voided last lines, files read anew, searches for a piece of a name or a whole
// one, doubtful rows alone, new rows alone and marked seen, periods, dates that come late, and
// sorts: both filters show what the plain reading gives, Qt's model tester checks every signal
// they send, and a row a view holds stays on its record while the record is shown.
void JournalTest::filterAgainstPlainModel()
{
    RecordsModel records;
    PupilsModel pupils(records);
    JournalFilter recordsFilter(records);
    JournalFilter pupilsFilter(pupils);
    const auto mode = QAbstractItemModelTester::FailureReportingMode::QtTest;
    QAbstractItemModelTester recordsTester(&recordsFilter, mode);
    QAbstractItemModelTester pupilsTester(&pupilsFilter, mode);
    const QStringList names = {"Аня", "аня ", "Ёжик", "ежик", "Ежикова", "Петров", "", "Sasha"};
    const QStringList needles = {"", "а", "Е", "ж", "ёжик", "пет", "z", "ова п"};
    // Class lists and merges of those names come and go; the merges are the test's own.
    QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal")).remove("nameMerges");
    NameMerges merges;
    const auto unmerged = qScopeGuard([] {
        QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal")).remove("nameMerges");
    });
    pupils.setMerges(merges);
    records.addFiles({"a.txt", "b.txt"});
    JournalBatch named;
    named.names = names;
    records.apply(named);
    Kept kept;
    bool absentOnly = false; // the pupils' alone
    QRandomGenerator random(20240607);
    for (int step = 0; step < 1500; ++step) {
        const int what = random.bounded(18);
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
                record.line = quint32(step * 8 + i);
                record.scores[0] = qint16(random.bounded(3));
                record.unended = random.bounded(6) == 0;
                record.doubts = random.bounded(4) == 0 ? CourseRules::kWrongTotal : 0;
                record.dating = JournalRecord::Dating(random.bounded(3));
                record.when = random.bounded(10);
                record.arrived = random.bounded(2) == 0;
                batch.records.push_back(record);
            }
            records.apply(batch);
        } else if (what == 6) {
            batch.startOver = true;
            records.apply(batch);
        } else if (what == 10) {
            const int from = random.bounded(6);
            records.setPeriod(random.bounded(3) == 0
                                  ? JournalPeriod()
                                  : JournalPeriod::between(from, random.bounded(from, 11)));
        } else if (what == 11) {
            kept.freshOnly = !kept.freshOnly;
            recordsFilter.setFreshOnly(kept.freshOnly);
        } else if (what == 12) {
            records.markSeen();
        } else if (what == 14) {
            absentOnly = !absentOnly;
            pupilsFilter.setAbsentOnly(absentOnly);
        } else if (what == 15) {
            QStringList listed;
            for (const QString &name : names + QStringList{"Новенький"})
                listed << (random.bounded(2) ? name : QString());
            pupils.setClassList(ClassList::fromText(listed.join('\n')));
        } else if (what == 16) {
            const QString name = names[random.bounded(names.size())];
            if (!merges.undo(name))
                merges.merge(name, names[random.bounded(names.size())]);
        } else if (what == 17) {
            pupils.setCountDoubtful(!pupils.countsDoubtful());
        } else if (what == 13) {
            // Dates for lines read before, some of them still there.
            for (int i = random.bounded(1, 4); i > 0; --i)
                batch.dated.push_back(
                    {quint32(random.bounded(step * 8 + 8)), 0, 0, qint64(random.bounded(10))});
            records.apply(batch);
        } else {
            QPersistentModelIndex held;
            int heldRecord = -1;
            if (recordsFilter.rowCount() > 0) {
                held = recordsFilter.index(random.bounded(recordsFilter.rowCount()), 1);
                heldRecord = recordsFilter.mapToSource(held).row();
            }
            if (what == 7) {
                kept.needle = needles[random.bounded(needles.size())];
                kept.match =
                    random.bounded(2) ? JournalFilter::Match::Whole : JournalFilter::Match::Part;
                recordsFilter.setNameFilter(kept.needle, kept.match);
                pupilsFilter.setNameFilter(kept.needle, kept.match);
            } else if (what == 8) {
                kept.doubtfulOnly = !kept.doubtfulOnly;
                recordsFilter.setDoubtfulOnly(kept.doubtfulOnly);
                pupilsFilter.setDoubtfulOnly(kept.doubtfulOnly);
            } else {
                const auto order = random.bounded(2) ? Qt::AscendingOrder : Qt::DescendingOrder;
                recordsFilter.sort(random.bounded(-1, RecordsModel::ColumnCount), order);
                pupilsFilter.sort(random.bounded(-1, PupilsModel::ColumnCount), order);
            }
            const std::vector<int> shown = filterRows(recordsFilter);
            if (heldRecord >= 0)
                QCOMPARE(held.isValid(), std::count(shown.cbegin(), shown.cend(), heldRecord) == 1);
            if (held.isValid())
                QCOMPARE(recordsFilter.mapToSource(held).row(), heldRecord);
        }
        QCOMPARE(filterRows(recordsFilter),
                 plainRows(records, kept, recordsFilter.sortColumn(), recordsFilter.sortOrder()));
        Kept pupilsKept = kept;
        pupilsKept.freshOnly = false;
        pupilsKept.absentOnly = absentOnly;
        QCOMPARE(filterRows(pupilsFilter), plainRows(pupils, pupilsKept, pupilsFilter.sortColumn(),
                                                     pupilsFilter.sortOrder()));
    }
}

void JournalTest::hostileNamesShownAsText_data()
{
    // A pupil's name and a results file's name; "WATCHED" stands for the path of a file that
    // nothing may open, and the folder that holds it is the current one.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileName");
    // clang-format off
    QTest::newRow("picture") << "<img src=WATCHED>" << "<img src=watched>.txt";
    QTest::newRow("bold, link") << "<b>Жирный</b> <a href=http://localhost/>ссылка</a>" << "<b>жирный <a href=watched>.txt";
    QTest::newRow("entities, blanks") << "  A&amp;B   &lt;i&gt; " << "a &amp;  b.txt";
    QTest::newRow("table, style") << "<table><tr><td>x</td></tr></table><style>*{}</style>" << "<table background=watched>.txt";
    QTest::newRow("rich text start") << "<qt><img src=WATCHED>Аня</qt>" << "<qt>%p %v %m [*].txt";
    QTest::newRow("comment, an empty name's mark") << "(без имени)<!--" << "<!-- -->.txt";
    // clang-format on
}

// Every place that shows a name or a file name shows it as text: the tables, the chart, the
// tooltips, the status bar and the window title; and no picture it names is ever opened. The chart
// has the largest and the smallest totals on one axis of a dozen ticks.
void JournalTest::hostileNamesShownAsText()
{
    QFETCH(QString, name);
    QFETCH(QString, fileName);
    QTemporaryDir folder;
    const QString watched = folder.filePath("watched");
    QVERIFY(writeFile(watched, "GIF89a"));
    name.replace("WATCHED", watched);
    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    const auto back = qScopeGuard([&] { QDir::setCurrent(current); });
    const QString path = folder.filePath(fileName);
    QVERIFY(writeFile(path, line(name, 1, "32767") + line("", 2, "-32768") + line("Аня", 3, "4.5") +
                                "bad line\r\n"));
    // Whether anything opened or read the file, as the kernel tells.
    const int watch = inotify_init1(IN_NONBLOCK);
    const auto unwatch = qScopeGuard([&] { ::close(watch); });
    QVERIFY(inotify_add_watch(watch, QFile::encodeName(watched), IN_OPEN | IN_ACCESS) >= 0);
    char events[4096];

    JournalWindow window;
    QVERIFY(openAndRead(window, {path}));
    QCOMPARE(window.windowHandle()->title(), "Журнал результатов — " + fileName);
    const auto *records = table(window, "records");
    const auto *pupils = table(window, "pupils");
    const auto *skipped = table(window, "skipped");
    QCOMPARE(records->index(0, RecordsModel::Name).data().toString(), name);
    QCOMPARE(records->index(0, RecordsModel::File).data().toString(), fileName);
    QCOMPARE(pupils->index(0, PupilsModel::Name).data().toString(), name);
    QCOMPARE(skipped->rowCount(), 1);
    // A doubtful record's name comes with the reasons.
    for (const QVariant &tip : {records->index(0, RecordsModel::Name).data(Qt::ToolTipRole),
                                pupils->index(0, PupilsModel::Name).data(Qt::ToolTipRole)})
        QCOMPARE(shownText(tip.toString()).split('\n').first(), name);
    for (const QVariant &tip : {records->index(0, RecordsModel::File).data(Qt::ToolTipRole),
                                skipped->index(0, SkippedModel::File).data(Qt::ToolTipRole)}) {
        QCOMPARE(shownText(tip.toString()), path);
        QToolTip::showText(window.geometry().center(), tip.toString(), &window);
        QCoreApplication::processEvents();
    }
    QToolTip::hideText();

    // The totals the course cannot write are on the chart only when counted in.
    auto *countDoubtful = window.findChild<QCheckBox *>("countDoubtful");
    countDoubtful->setChecked(true);
    const auto leftOut = qScopeGuard([&] { countDoubtful->setChecked(false); });
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

void JournalTest::report_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("pupils");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("filesLine");
    // clang-format off
    QTest::newRow("pupils") << 1 << 1 << 40 << "ученики" << "Файл: «res1.txt»";
    QTest::newRow("records of four files") << 0 << 4 << 40 << "записи" << "Файлов: 4";
    QTest::newRow("one page of three files") << 0 << 3 << 4 << "записи" << "Файлы: «res1.txt», «res2.txt», «res3.txt»";
    QTest::newRow("the chart's pupils") << 2 << 2 << 40 << "ученики" << "Файлы: «res1.txt», «res2.txt»";
    // clang-format on
}

// The report of the tab shown, saved as a PDF: the files and the date in its title, the header
// on every page, every row once, and each name as typed (markup, repeated blanks, a name of a
// hundred letters, a word too long for any column), broken only at its blanks. The PDF has the
// report's pages, the last row on the last.
void JournalTest::report()
{
    QFETCH(int, tab);
    QFETCH(int, files);
    QFETCH(int, pupils);
    QFETCH(QString, subject);
    QFETCH(QString, filesLine);
    QStringList names = {"<b>Жирный</b>  A&amp;B   &lt;i&gt;", "  Два  пробела ",
                         "Александра Константиновна Преображенская-Святополк-Мирская Иоанна "
                         "Владимировна Вознесенская",
                         QString(150, u'Ж')};
    while (names.size() < pupils)
        names << QString("Ученик %1").arg(names.size());
    QTemporaryDir folder;
    QStringList paths;
    for (int file = 1; file <= files; ++file)
        paths << folder.filePath(QString("res%1.txt").arg(file));
    // The first pupils' totals are not what the course gives, the others' are.
    for (int pupil = 0; pupil < names.size(); ++pupil)
        QVERIFY(writeFile(paths[pupil % files],
                          line(names[pupil], 1, pupil < 4 ? "2.5" : "3.875") +
                              line(names[pupil], 2, "4"),
                          QIODevice::Append));
    JournalWindow window;
    QVERIFY(openAndRead(window, paths));
    window.findChild<QTabWidget *>()->setCurrentIndex(tab);
    const auto *shown = table(window, tab == 0 ? "records" : "pupils");

    JournalReport report = window.report();
    const QStringList title = report.title();
    QCOMPARE(title.value(0), "Журнал результатов: " + subject);
    QCOMPARE(title.value(1), filesLine);
    QVERIFY2(title.value(2).contains(
                 QLocale(QLocale::Russian).toString(QDate::currentDate(), "d MMMM yyyy")),
             qPrintable(title.value(2)));
    QFile pdf(folder.filePath("report.pdf"));
    QVERIFY(pdf.open(QIODevice::WriteOnly) && report.writePdf(pdf));
    pdf.close();
    QCOMPARE(report.pageCount() >= 2, pupils > 10);
    QCOMPARE(pdfPages(pdf.fileName()), report.pageCount());
    const QString last = pdfText(pdf.fileName(), report.pageCount());
    const QString lastName = report.page(report.pageCount() - 1).back().front().front();
    QVERIFY2(last.contains(lastName) &&
                 last.contains(QString("стр. %1 из %1").arg(report.pageCount())),
             qPrintable(last));
    // Asked every so many rows, a small table is done before it is asked.
    JournalReport stopped = window.report();
    stopped.setProgress([](qint64, qint64) { return false; });
    QBuffer nothing;
    nothing.open(QIODevice::WriteOnly);
    QCOMPARE(!stopped.writePdf(nothing) && stopped.stopped(), pupils > 10);

    // Each doubtful row's value marked, a pupil's by the name, a record's by the total; the
    // foot of a page explains the marks where it shows one, and only there.
    int doubtful = 0;
    for (int row = 0; row < shown->rowCount(); ++row)
        doubtful += shown->index(row, 0).data(Qt::DecorationRole).isValid();
    int marks = 0;
    for (int page = 1; page <= report.pageCount(); ++page) {
        const QString text = pdfText(pdf.fileName(), page);
        const bool noted = text.contains(tab == 0 ? "* — такую оценку курс поставить не мог"
                                                  : "* — у ученика есть попытки");
        QCOMPARE(noted, text.contains('*'));
        marks += int(text.count('*')) - noted;
    }
    QCOMPARE(marks, doubtful);

    int row = 0;
    bool wrapped = false;
    for (int page = 0; page < report.pageCount(); ++page) {
        const std::vector<JournalReport::Row> rows = report.page(page);
        for (int column = 0; column < shown->columnCount(); ++column)
            QVERIFY(brokenAtBlanks(
                shown->headerData(column, Qt::Horizontal).toString().replace('\n', ' '),
                rows.front()[size_t(column)]));
        for (size_t each = 1; each < rows.size(); ++each, ++row) {
            const QString name = shown->index(row, 0).data().toString();
            QStringList lines = rows[each].front();
            if (tab != 0 && shown->index(row, 0).data(Qt::DecorationRole).isValid()) {
                QVERIFY(lines.back().endsWith('*'));
                lines.back().chop(1);
            }
            QVERIFY2(brokenAtBlanks(name, lines), qPrintable(name + " → " + lines.join('|')));
            wrapped = wrapped || lines.size() > 1;
        }
    }
    QCOMPARE(row, shown->rowCount());
    QVERIFY(wrapped);
}

void JournalTest::printToFile_data()
{
    // The file the print dialog was told to print to: the results file itself, a link to it, a
    // new file, or a link to a file that a user other than this one planted in a shared folder
    // (sticky and writable by all, as /tmp); the pages asked for (0 and 0 for all). Then the
    // pages the PDF holds, or why nothing was written. A workbook saved is written the same way.
    QTest::addColumn<bool>("workbook");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("pages"); // -1: as many as the report has
    QTest::addColumn<QString>("problem");
    const QString read = "это файл результатов, из которого читаются записи";
    // clang-format off
    const QString planted = "это ссылка, которую в общей папке оставил другой пользователь";
    for (const bool workbook : {false, true}) {
        const QByteArray kind = workbook ? "workbook: " : "print: ";
        QTest::newRow(kind + "the results file") << workbook << "res.txt" << 0 << 0 << 0 << read;
        QTest::newRow(kind + "a link to it") << workbook << "link.pdf" << 0 << 0 << 0 << read;
        QTest::newRow(kind + "a planted link") << workbook << "share/class.pdf" << 0 << 0 << 0 << planted;
    }
    QTest::newRow("print: a new file, all pages") << false << "new.pdf" << 0 << 0 << -1 << "";
    QTest::newRow("print: a new file, pages 2 to 3") << false << "new.pdf" << 2 << 3 << 2 << "";
    QTest::newRow("workbook: a new file") << true << "new.xlsx" << 0 << 0 << 0 << "";
    // clang-format on
}

// A print to a file is written as a PDF saved is, never by the printer itself: on the pages
// the dialog set up, whole, and never over a results file by any name.
void JournalTest::printToFile()
{
    QFETCH(bool, workbook);
    QFETCH(QString, target);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, pages);
    QFETCH(QString, problem);
    QTemporaryDir folder;
    const QString results = folder.filePath("res.txt");
    QByteArray lines;
    for (int pupil = 0; pupil < 150; ++pupil)
        lines += line(QString("Ученик %1").arg(pupil), 1, "2.5");
    QVERIFY(writeFile(results, lines));
    QVERIFY(QFile::link(results, folder.filePath("link.pdf")));
    const QString other = folder.filePath("other.pdf");
    QVERIFY(writeFile(other, "other"));
    if (target.startsWith("share/")) {
        if (::geteuid() != 0)
            QSKIP("a link of another user is made by root alone");
        const QByteArray share = QFile::encodeName(folder.filePath("share"));
        const QByteArray link = share + "/class.pdf";
        QVERIFY(::mkdir(share, 0700) == 0 && ::chmod(share, 01777) == 0);
        QVERIFY(::symlink("../other.pdf", link) == 0 && ::lchown(link, 4242, 4242) == 0);
    }
    JournalWindow window;
    QVERIFY(openAndRead(window, {results}));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath(target));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setFromTo(from, to);
    auto *outputs = window.findChild<JournalOutputs *>();
    const QString said =
        workbook ? outputs->saveWorkbook(folder.filePath(target)) : outputs->print(printer);
    QCOMPARE(readFile(results), lines);
    QCOMPARE(readFile(other), QByteArray("other"));
    if (!problem.isEmpty()) {
        QCOMPARE(said, "Не удалось сохранить файл " + folder.filePath(target) + ": " + problem);
        return;
    }
    QCOMPARE(said, "");
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 4); // no new file left behind
    if (workbook) {
        QVERIFY(readFile(folder.filePath(target)).startsWith("PK\x03\x04"));
        return;
    }
    JournalReport report = window.report();
    report.layOut(printer);
    QVERIFY(report.pageCount() >= 4);
    QCOMPARE(pdfPages(folder.filePath(target)), pages < 0 ? report.pageCount() : pages);
    QVERIFY(
        pdfText(folder.filePath(target), 1)
            .contains(QString("стр. %1 из %2").arg(from > 0 ? from : 1).arg(report.pageCount())));
}

// Qt's own texts in the user's language, loaded as main() loads them.
void JournalTest::qtTextsInTheUsersLanguage()
{
    QTranslator *translator = QtTranslation::install(QLocale(QLocale::Russian));
    QVERIFY(translator);
    const auto uninstall = qScopeGuard([translator] { delete translator; });
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), "Отмена");
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

// Whole steps, a dozen ticks at most, covering the range with no step to spare.
void JournalTest::niceAxis()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, step);
    const PupilsChart::Axis axis = PupilsChart::niceAxis(low, high);
    QCOMPARE(axis.step, step);
    QCOMPARE(std::fmod(axis.low, axis.step), 0.0);
    QCOMPARE(axis.ticks, int((axis.high - axis.low) / axis.step) + 1);
    QVERIFY(axis.ticks >= 2 && axis.ticks <= PupilsChart::kMaxTicks);
    QVERIFY(axis.low <= low && axis.low > low - axis.step);
    QVERIFY(axis.high >= high && (axis.high < high + axis.step || axis.ticks == 2));
}

void JournalTest::pupilsFollowTime_data()
{
    QTest::addColumn<QStringList>("records"); // as recordOf() reads them, all of one pupil
    QTest::addColumn<QString>("period");      // "from until", or all the time
    QTest::addColumn<QString>("pupil");       // attempts, first, best, latest, growth
    QTest::addColumn<QString>("outside");     // records the period leaves out, undated ones
    const QString day = "2026-12-08T00:00:00+03:00 2026-12-09T00:00:00+03:00";
    // clang-format off
    QTest::newRow("a clock set back") << QStringList{"0:1 2026-12-08T10:00:00+03:00 3", "0:2 2026-12-08T09:00:00+03:00 5"} << "" << "2 5 5 3 −2" << "0 0";
    QTest::newRow("files opened latest first") << QStringList{"0:1 2026-12-08T10:00:00+03:00 5.125", "1:1 2026-12-01T10:00:00+03:00 2.875"} << "" << "2 2,875 5,125 5,125 +2,25" << "0 0";
    QTest::newRow("another computer's offset") << QStringList{"0:1 2026-12-08T10:00:00+03:00 2", "0:2 2026-12-08T09:30:00+02:00 4"} << "" << "2 2 4 4 +2" << "0 0";
    QTest::newRow("undated attempts are older") << QStringList{"0:1 2026-12-01T10:00:00+03:00 5", "0:2 - 3"} << "" << "2 3 5 5 +2" << "0 0";
    QTest::newRow("equal times: files and lines") << QStringList{"1:1 2026-12-08T10:00:00+03:00 4", "0:2 2026-12-08T10:00:00+03:00 3", "0:1 2026-12-08T10:00:00+03:00 2"} << "" << "3 2 4 4 +2" << "0 0";
    QTest::newRow("a time seen counts") << QStringList{"0:1 ~2026-12-08T10:00:00+03:00 2", "0:2 2026-12-08T09:00:00+03:00 4"} << "" << "2 4 4 2 −2" << "0 0";
    QTest::newRow("one attempt") << QStringList{"0:1 - 3"} << "" << "1 3 3 3 —" << "0 0";
    // A day from its midnight up to the next, by the instant, whatever the computer's offset.
    QTest::newRow("a day's edges") << QStringList{"0:1 2026-12-07T23:59:59+03:00 1", "0:2 2026-12-08T00:00:00+03:00 2", "0:3 2026-12-08T23:59:59+03:00 3",
                                                  "0:4 2026-12-09T00:00:00+03:00 4", "0:5 2026-12-08T01:30:00+05:00 5", "0:6 - 6"}
                                   << day << "2 2 3 3 +1" << "4 1";
    // clang-format on
}

// First and latest are by time: the clock of one computer set back, files opened in any order,
// computers in other time zones; the period counts its records alone, undated ones never.
void JournalTest::pupilsFollowTime()
{
    QFETCH(QStringList, records);
    QFETCH(QString, period);
    QFETCH(QString, pupil);
    QFETCH(QString, outside);
    RecordsModel model;
    PupilsModel pupils(model);
    model.addFiles({"a.txt", "b.txt"});
    JournalBatch batch;
    batch.names = QStringList{"Аня"};
    model.apply(batch);
    for (const QString &text : records) {
        JournalBatch one;
        one.file = recordOf(text).file;
        one.records = {recordOf(text)};
        model.apply(one);
    }
    if (!period.isEmpty())
        model.setPeriod(JournalPeriod::between(secondsOf(period.section(' ', 0, 0)),
                                               secondsOf(period.section(' ', 1))));
    QStringList cells;
    for (int column : {PupilsModel::Attempts, PupilsModel::First, PupilsModel::Best,
                       PupilsModel::Latest, PupilsModel::Change})
        cells << pupils.text(0, column);
    QCOMPARE(cells.join(' '), pupil);
    QCOMPARE(QString("%1 %2").arg(model.outsideCount()).arg(model.undatedOutsideCount()), outside);
}

void JournalTest::periodsOfTheBar_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QDateTime>("from");  // invalid: from the start of time
    QTest::addColumn<QDateTime>("until"); // invalid: on for ever
    const auto at = [](int day, int hour = 0, int minute = 0) {
        return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
    };
    // clang-format off
    QTest::newRow("today") << int(PeriodBar::Today) << at(9, 15) << at(9) << at(10);
    QTest::newRow("today at midnight") << int(PeriodBar::Today) << at(9) << at(9) << at(10);
    // The week from Monday, 7 December.
    QTest::newRow("the week on Wednesday") << int(PeriodBar::Week) << at(9, 15) << at(7) << at(14);
    QTest::newRow("the week on Sunday night") << int(PeriodBar::Week) << at(13, 23, 59) << at(7) << at(14);
    QTest::newRow("the week on Monday") << int(PeriodBar::Week) << at(7) << at(7) << at(14);
    QTest::newRow("the lesson") << int(PeriodBar::Lesson) << at(9, 15) << at(9, 10, 15) << QDateTime();
    QTest::newRow("all the time") << int(PeriodBar::All) << at(9, 15) << QDateTime() << QDateTime();
    // clang-format on
}

// Today and this week by this computer's calendar; the lesson from when it was started.
void JournalTest::periodsOfTheBar()
{
    QFETCH(int, kind);
    QFETCH(QDateTime, now);
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, until);
    const qint64 lesson = QDateTime(QDate(2026, 12, 9), QTime(10, 15)).toSecsSinceEpoch();
    const JournalPeriod period =
        PeriodBar::periodOf(PeriodBar::Kind(kind), now, lesson, JournalPeriod());
    QCOMPARE(period.all, kind == PeriodBar::All);
    QCOMPARE(period.from, from.isValid() ? from.toSecsSinceEpoch() : JournalPeriod::kAlways);
    QCOMPARE(period.until, until.isValid() ? until.toSecsSinceEpoch() : JournalPeriod::kNever);
}

// The loader dates each record from the dates file; a record appended while the journal is
// open has the time it was seen until its line comes, and is new; a dates file replaced dates
// again what it dates, the new marks kept.
void JournalTest::datedAsTheyArrive()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    const QByteArray first = line("Аня", 1, "3.875"), second = line("Боря", 2, "4");
    const QByteArray third = line("Вова", 3, "4.125"), fourth = line("Гена", 4, "4.25");
    QVERIFY(writeFile(path, first + second));
    QVERIFY(writeFile(path + ".dates", dateLine(0, first, "2026-12-08T10:15:02+03:00", "m1")));
    Journal journal({path});
    const auto rows = [&] {
        QStringList rows;
        for (int row = 0; row < journal.records.rowCount(); ++row) {
            const JournalRecord &record = journal.records.record(row);
            const QString when = RecordsModel::whenText(record);
            rows << QString("%1 %2 %3%4")
                        .arg(record.line)
                        .arg(when.startsWith("≈") ? "≈" : RecordsModel::isoWhen(record))
                        .arg(journal.records.hostName(record.host))
                        .arg(journal.records.isFresh(record) ? " new" : "");
        }
        return rows.join(", ");
    };
    QCOMPARE(rows(), "1 2026-12-08T10:15:02+03:00 m1, 2  ");
    QVERIFY(writeFile(path, third, QIODevice::Append));
    journal.loader.lookAtAll();
    QCOMPARE(rows(), "1 2026-12-08T10:15:02+03:00 m1, 2  , 3 ≈  new");
    const qint64 at3 = first.size() + second.size();
    QVERIFY(writeFile(path + ".dates", dateLine(at3, third, "2026-12-08T11:00:00+05:00", "m2"),
                      QIODevice::Append));
    QVERIFY(writeFile(path, fourth, QIODevice::Append));
    QVERIFY(writeFile(path + ".dates",
                      dateLine(at3 + third.size(), fourth, "2026-12-08T11:01:00+05:00", "m2"),
                      QIODevice::Append));
    journal.loader.lookAtAll();
    QCOMPARE(rows(), "1 2026-12-08T10:15:02+03:00 m1, 2  , 3 2026-12-08T11:00:00+05:00 m2 new, "
                     "4 2026-12-08T11:01:00+05:00 m2 new");
    journal.records.markSeen();
    QCOMPARE(journal.records.freshCount(), 0);
    // Another dates file, which dates the second record and not the third.
    QVERIFY(writeFile(path + ".dates.new",
                      dateLine(first.size(), second, "2026-12-07T09:00:00+03:00", "m3")));
    QVERIFY(::rename(QFile::encodeName(path + ".dates.new"), QFile::encodeName(path + ".dates")) ==
            0);
    QVERIFY(writeFile(path, line("Дима", 5, "4.375"), QIODevice::Append));
    journal.loader.lookAtAll();
    QCOMPARE(rows(), "1  , 2 2026-12-07T09:00:00+03:00 m3, 3 ≈ , 4 ≈ , 5 ≈  new");
}

// The teacher picks today, starts a lesson and sees what comes in during it: the tables, the
// chart's pupils, the counts (the doubtful record of another day among them), the print's
// title and the CSV follow the period; a record that arrives is new until marked seen.
void JournalTest::lessonAndNewRecords()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    const QByteArray first = line("Аня", 1, "3.875"), second = line("Боря", 2, "4");
    QVERIFY(writeFile(path, first + second + line("Вова", 12, "5.25")));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QByteArray today = DatesFile::isoTime(now - 60, 180);
    QVERIFY(writeFile(path + ".dates",
                      dateLine(0, first, DatesFile::isoTime(now - 2 * 86400, 180), "m1") +
                          dateLine(first.size(), second, today, "m2")));
    JournalWindow window;
    QVERIFY(openAndRead(window, {path}));
    auto *records = table(window, "records");
    auto *summary = window.findChild<QLabel *>("summary");
    window.findChild<QComboBox *>("period")->setCurrentIndex(PeriodBar::Today);
    QCOMPARE(cells(records, {RecordsModel::Name, RecordsModel::Host}), "Боря|m2");
    QCOMPARE(table(window, "pupils")->rowCount(), 1);
    QTRY_COMPARE(summary->text(),
                 "Записей: 1 из 3 · учеников: 1 · вне периода: 2, из них без даты: 1");
    QCOMPARE(window.report().title().value(0), "Журнал результатов: записи за сегодня, " +
                                                   QDate::currentDate().toString("dd.MM.yyyy"));

    QTest::mouseClick(window.findChild<QPushButton *>("startLesson"), Qt::LeftButton);
    QCOMPARE(window.findChild<QComboBox *>("period")->currentIndex(), int(PeriodBar::Lesson));
    QCOMPARE(records->rowCount(), 0);
    auto *fresh = window.findChild<QPushButton *>("freshButton");
    QVERIFY(fresh->isHidden());
    QVERIFY(writeFile(path, line("Гена", 4, "4.25"), QIODevice::Append));
    QTRY_COMPARE_WITH_TIMEOUT(records->rowCount(), 1, 5000);
    QTRY_VERIFY(fresh->isVisible());
    QCOMPARE(fresh->text(), "Новых: 1");
    QVERIFY(records->index(0, RecordsModel::When).data().toString().startsWith("≈ "));
    QVERIFY(records->index(0, RecordsModel::Name).data(Qt::BackgroundRole).isValid());
    // Shown alone under their bar, until marked seen.
    window.findChild<QComboBox *>("period")->setCurrentIndex(PeriodBar::All);
    QCOMPARE(records->rowCount(), 4);
    QTRY_VERIFY(summary->text().contains("подозрительных: 1"));
    QTest::mouseClick(fresh, Qt::LeftButton);
    QCOMPARE(cells(records, {RecordsModel::Name}), "Гена");
    QVERIFY(window.findChild<QWidget *>("freshBar")->isVisible());
    QTest::mouseClick(window.findChild<QPushButton *>("markSeen"), Qt::LeftButton);
    QVERIFY(window.findChild<QWidget *>("freshBar")->isHidden());
    QCOMPARE(records->rowCount(), 4);
    QVERIFY(!records->index(3, RecordsModel::Name).data(Qt::BackgroundRole).isValid());
    QTRY_VERIFY(fresh->isHidden());

    window.findChild<QComboBox *>("period")->setCurrentIndex(PeriodBar::Today);
    const QString csv = folder.filePath("records.csv");
    QVERIFY(window.saveCsv(JournalWindow::Table::Records, csv));
    QFile saved(csv);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    QVERIFY(lines.value(0).endsWith(";Итог;Когда;Компьютер;Почему под подозрением\r"));
    QCOMPARE(lines.size(), 4); // the heading, two records, and the end
    // Named as the table names the file, with a decimal comma between semicolons.
    QVERIFY(lines.value(1).startsWith("res.txt;2;"));
    QVERIFY(lines.value(1).endsWith(";4;" + today + ";m2;\r"));
    // A time seen is no date for a spreadsheet.
    QVERIFY(lines.value(2).endsWith(";4,25;;;\r"));

    auto *pair = window.findChild<QComboBox *>("chartPair");
    pair->setCurrentIndex(1);
    QCOMPARE(window.findChild<PupilsChart *>("chart")->chart()->title(), "Первый и последний итог");
}

// The first size fits the screen without its panels, at any scale (a screen of 1280×1024 at a
// scale of 2 is 640×512); the search row, the period and the status bar lie within it, and no
// pupil's name is cut while the number columns stay whole: a scroll bar comes first.
void JournalTest::fitsTheScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("dates");
    QTest::newRow("1280×1024 at 2") << QSize(640, 512) << true;
    QTest::newRow("1920×1080 at 2") << QSize(960, 540) << false;
    QTest::newRow("1024×768") << QSize(1024, 768) << true;
    QTest::newRow("large") << QSize(2560, 1440) << false;
}

void JournalTest::fitsTheScreen()
{
    QFETCH(QSize, screen);
    QFETCH(bool, dates);
    QTemporaryDir folder;
    const QString path = folder.filePath("res.txt");
    const QStringList names = {"Морозова Анастасия", "Михайлова Александра Сергеевна",
                               "Михаилова Александра Сергеевна", "Ян"};
    QByteArray lines;
    for (const QString &name : names)
        lines += line(name, 10, "4.875");
    QVERIFY(writeFile(path, lines));
    JournalWindow window;
    QVERIFY(openAndRead(window, {path}));
    // A period open at its end, as --since alone asks, shows its last minute as far as it goes.
    if (dates) {
        window.setPeriod(QDateTime(QDate(2026, 12, 8), QTime(9, 0)).toSecsSinceEpoch(),
                         JournalPeriod::kNever);
        QCOMPARE(window.findChild<QDateTimeEdit *>("periodUntil")->dateTime().date().year(), 9999);
        QCOMPARE(window.report().title().value(0), "Журнал результатов: записи с 08.12.2026 09:00");
    }
    const QRect available(QPoint(0, 24), screen);
    window.fitTo(available);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(available.contains(window.frameGeometry()));
    QCOMPARE(window.size(), QSize(1100, 680).boundedTo(screen - QSize(16, 48)));
    for (const char *name : {"search", "period", "startLesson", "doubtfulOnly", "summary"}) {
        auto *widget = window.findChild<QWidget *>(name);
        const QRect place(widget->mapTo(&window, QPoint()), widget->size());
        QVERIFY2(window.rect().contains(place) && !widget->visibleRegion().isEmpty(), name);
    }
    for (const char *name : {"records", "pupils"}) {
        auto *view = window.findChild<QTableView *>(name);
        window.findChild<QTabWidget *>()->setCurrentWidget(
            name == QByteArray("records") ? view->parentWidget() : view);
        QHeaderView *header = view->horizontalHeader();
        const int nameColumn = 0;
        QVERIFY2(header->sectionSize(nameColumn) >=
                     view->fontMetrics().horizontalAdvance(names[1]) + 8,
                 name);
        // A game's score, a heading of two lines, whole.
        const int game =
            name == QByteArray("records") ? int(RecordsModel::Game1) : int(PupilsModel::Game1);
        QVERIFY(header->sectionSize(game) >= header->fontMetrics().horizontalAdvance("«Поймай»"));
    }
}

// The file dialogs start in the folder last used, else beside the first results file open,
// else at home.
void JournalTest::startFolders_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QStringList>("open");
    QTest::addColumn<QString>("start");
    QTest::newRow("remembered") << "kept" << QStringList{"class/res.txt"} << "kept";
    QTest::newRow("none kept") << "" << QStringList{"class/res.txt", "kept/res.txt"} << "class";
    QTest::newRow("kept, since gone") << "gone" << QStringList{"class/res.txt"} << "class";
    QTest::newRow("no file open") << "gone" << QStringList{} << "~";
    QTest::newRow("the file's folder gone") << "" << QStringList{"gone/res.txt"} << "~";
}

void JournalTest::startFolders()
{
    QFETCH(QString, remembered);
    QFETCH(QStringList, open);
    QFETCH(QString, start);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("kept") && QDir(folder.path()).mkdir("class"));
    const auto inside = [&](const QString &name) { return folder.filePath(name); };
    QSettings settings("mouse-tutor", "journal");
    if (remembered.isEmpty())
        settings.remove("testFolder");
    else
        RememberedFolder::keep("testFolder", inside(remembered + "/chosen.txt"));
    for (QString &path : open)
        path = inside(path);
    QCOMPARE(RememberedFolder::get("testFolder", open),
             start == "~" ? QDir::homePath() : inside(start));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The file dialogs' folders are remembered, not in the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    // Totals with a decimal comma, which the CSV must quote.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    JournalTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_journal.moc"
