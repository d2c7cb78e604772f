#include "appendfailure.h"
#include "crc32.h"
#include "datesfile.h"
#include "filepath.h"
#include "linelog.h"
#include "lockholder.h"
#include "piecesource.h"
#include "recorddates.h"
#include "resultlist.h"
#include "resultsfailure.h"
#include "resultsfile.h"
#include "resultsparser.h"
#include "totaltext.h"
#include "workfolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTemporaryFile>
#include <QTest>
#include <csignal>
#include <cstring>
#include <map>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// "failure", or the count of records and the cells of the newest nine, oldest first:
// "2|name|L|R|Dbl|M|G1|G2|total|name|...".
QString readBack(const QByteArray &bytes, ResultsParser::Path path, qint64 piece)
{
    PieceSource source(bytes, piece);
    try {
        const ResultList list = ResultsParser(source, path).parse();
        QStringList summary{QString::number(list.count())};
        for (qint64 i = qMax<qint64>(0, list.count() - ResultList::kKept); i < list.count(); ++i) {
            const StoredResult &r = list.at(i);
            summary << r.Nam << r.L << r.R << r.Dbl << r.M << r.G1 << r.G2
                    << QString::number(int(r.Resul));
        }
        return summary.join(u'|');
    } catch (const ResultsFailure &) {
        return QStringLiteral("failure");
    }
}

// Line i of program `who` in the sharing test: 32 bytes, numbered in the name. A line of 32
// bytes never straddles a page of the file cache, where even a single write can show to a
// reader without a lock in two steps.
ResultRecord numbered(char who, int i)
{
    return {
        QStringLiteral("%1 %2").arg(who).arg(i, 8, 10, QLatin1Char('0')), 1, 2, 3, 4, 5, 6, 0.125};
}
constexpr qsizetype kLine = 32;

// The helper process that appends: this test run again with "--append-lines WHO COUNT", which
// appends COUNT numbered lines to res.txt.
int appendLines(const QByteArrayList &args)
{
    for (int i = 0; i < args[2].toInt(); ++i)
        ResultsFile().AppendResult(numbered(args[1][0], i));
    return 0;
}

// How long the test waits for a helper: only a fault makes it run out.
constexpr int kPatience = 120000;

constexpr int kNotATotal = -99999;
const QByteArray kExample = "\"\xD3\xF7\xE5\xED\xE8\xEA\",10,10,10,3,10,8,4.125\r\n";
// kExample's checksum, as zlib gives it.
constexpr quint32 kExampleCrc = 0xe1dd18a0;

// Standard error, while it lives, goes into a file.
class CapturedErrors
{
public:
    CapturedErrors()
    {
        if (!m_file.open())
            qFatal("cannot make a file for standard error");
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~CapturedErrors() { take(); }
    QString take()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
        m_file.seek(0);
        return QString::fromUtf8(m_file.readAll());
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};

QString stampText(qint64 seconds, int utcOffset, std::string_view host)
{
    return QString::fromLatin1(DatesFile::isoTime(seconds, utcOffset)) + ' ' +
           QString::fromUtf8(host.data(), qsizetype(host.size()));
}

// What the journal's loader does with one results file and its dates file, a look at a time:
// each record with the date the dates file gives it, as "line:time host", or "line:" undated.
class DatedLook : public FileFollower::Sink
{
public:
    explicit DatedLook(const QString &path)
        : m_path(path), m_follower(std::make_unique<FileFollower>(path)), m_dates(path)
    {
    }

    void look()
    {
        if (!m_dates.look()) {
            m_follower = std::make_unique<FileFollower>(m_path);
            m_dates.startOver();
            m_dated.clear();
        }
        m_follower->poll(*this);
        for (const RecordDates::Late &late : m_dates.lateDates())
            m_dated[late.line] =
                stampText(late.seconds, late.utcOffset, std::string_view(late.host));
    }
    QStringList dated() const
    {
        QStringList lines;
        for (const auto &[line, when] : m_dated)
            lines << QString::number(line) + ':' + when;
        return lines;
    }

    void startedOver() override
    {
        m_dates.startOver();
        m_dated.clear();
    }
    void lastLineVoided() override { m_dated.erase(m_unended); }
    void encodingFound(TextEncoding) override {}
    void record(const LinePlace &place, const LineRecord &record) override
    {
        const auto stamp = m_dates.record(place, record.bytes);
        m_dated[place.number] =
            stamp ? stampText(stamp->seconds, stamp->utcOffset, stamp->host) : QString();
        m_unended = place.ended ? 0 : place.number;
    }
    void skipped(const LinePlace &, LineFault, const LineHead &) override { m_unended = 0; }

private:
    QString m_path;
    std::unique_ptr<FileFollower> m_follower;
    RecordDates m_dates;
    std::map<qint64, QString> m_dated;
    qint64 m_unended = 0; // the last line handed out, when an unended record
};

// The same worked out the plain way, from both files whole: a line of the dates file holds
// unless a later line names a place before its end (whatever else that line holds), and dates
// the record at its place if the length and checksum agree.
QStringList plainDates(const QByteArray &results, const QByteArray &dates)
{
    std::vector<std::string_view> lines;
    for (qsizetype start = 0, end = 0; (end = dates.indexOf('\n', start)) >= 0; start = end + 1)
        lines.emplace_back(dates.constData() + start, size_t(end - start));
    std::map<qint64, DatesFile::Line> holding;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto line = DatesFile::parse(lines[i]);
        bool holds = line.has_value();
        for (size_t j = i + 1; holds && j < lines.size(); ++j) {
            const auto later = DatesFile::parsePlace(lines[j]);
            holds = !later || later->offset >= line->offset + line->length;
        }
        if (holds)
            holding[line->offset] = *line;
    }
    PieceSource source(results, results.size() + 1);
    LineLog log;
    ResultsParser(source).readLines(log);
    QStringList dated;
    for (const LineLog::Line &line : log.lines) {
        if (!line.isRecord)
            continue;
        const auto found = holding.find(line.place.start);
        const DatesFile::Line *date = found == holding.end() ? nullptr : &found->second;
        const qint64 length = line.place.end - line.place.start;
        const bool agrees = date && line.place.ended && date->length == length &&
                            Crc32::of(std::string_view(results.constData() + line.place.start,
                                                       size_t(length))) == date->crc;
        dated << QString::number(line.place.number) + ':' +
                     (agrees ? stampText(date->seconds, date->utcOffset, date->host) : QString());
    }
    return dated;
}

// A record of the course's, one per name.
QByteArray record(const QString &name, int score = 1)
{
    return ResultsFile::formatLine({name, qint16(score), 0, 0, 0, 0, 0, score / 8.0});
}

// The record's line in the dates file, at `offset`, saved at `time`.
QByteArray dateLine(qint64 offset, const QByteArray &record, const char *time,
                    const char *host = "m1")
{
    const auto when = DatesFile::parseIsoTime(time);
    return DatesFile::format({offset, record.size(), Crc32::of(std::string_view(record)),
                              when->first, qint16(when->second), host});
}

QByteArray readAll(const char *name)
{
    QFile file(QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(ResultRecord)

class ResultsFileTest : public QObject
{
    Q_OBJECT

private slots:
    void lineIsByteExact_data();
    void lineIsByteExact();
    void reading_data();
    void reading();
    void totals_data();
    void totals();
    void deviceIsAReadFailure();
    void appendStartsALineOfItsOwn_data();
    void appendStartsALineOfItsOwn();
    void lockHeldByAnotherProgram_data();
    void lockHeldByAnotherProgram();
    void programsAppendWholeLines();
    void pathsAreBytes();
    void datesFileBesideTheRecord_data();
    void datesFileBesideTheRecord();
    void datesLines_data();
    void datesLines();
    void datesMatchTheirRecords_data();
    void datesMatchTheirRecords();
    void datesAgainstPlainModel();
};

void ResultsFileTest::lineIsByteExact_data()
{
    QTest::addColumn<ResultRecord>("record");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("russianTotal"); // the user's row under a Russian locale

    // clang-format off
    QTest::newRow("32-byte example") << ResultRecord{"Ученик", 10, 10, 10, 3, 10, 8, 4.125} << kExample << "4,125";
    QTest::newRow("empty name, all zero") << ResultRecord{"", 0, 0, 0, 0, 0, 0, 0} << QByteArray("\"\",0,0,0,0,0,0,0\r\n") << "0";
    QTest::newRow("comma") << ResultRecord{"Ян, 1", 1, 0, 0, 0, 0, 0, 0.125} << QByteArray("\"\xDF\xED, 1\",1,0,0,0,0,0,0.125\r\n") << "0,125";
    // A double quote or a line end would break the record; the line must stay one record.
    QTest::newRow("double quote") << ResultRecord{"say \"hi\"", 0, 0, 0, 0, 0, 0, 5} << QByteArray("\"say 'hi'\",0,0,0,0,0,0,5\r\n") << "5";
    // U+0080 to U+009F are control characters too; U+00A0 is a letter of the code page.
    QTest::newRow("line breaks and controls") << ResultRecord{"a\r\nb\tc\x7f\u0080\u009f\u00a0", 0, 0, 0, 0, 0, 0, 0}
                                              << QByteArray("\"a  b c   \xA0\",0,0,0,0,0,0,0\r\n") << "0";
    // One "?" per character, a pair of surrogates included.
    QTest::newRow("outside the code page") << ResultRecord{"Jü😀王€№", 0, 0, 0, 0, 0, 0, 0} << QByteArray("\"J???\x88\xB9\",0,0,0,0,0,0,0\r\n") << "0";
    // No exponent, no rounding to six digits, no thousands separator.
    QTest::newRow("extremes") << ResultRecord{"a", 32767, -32768, 0, 0, 0, 0, 4095.875} << QByteArray("\"a\",32767,-32768,0,0,0,0,4095.875\r\n") << "4095,875";
    // clang-format on
}

void ResultsFileTest::lineIsByteExact()
{
    QFETCH(ResultRecord, record);
    QFETCH(QByteArray, line);
    QFETCH(QString, russianTotal);
    QCOMPARE(ResultsFile::formatLine(record), line);
    QCOMPARE(localeTotalText(record.Resul, QLocale(QLocale::Russian, QLocale::Russia)),
             russianTotal);
}

void ResultsFileTest::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *tag, const QByteArray &bytes, const QString &expected) {
        QTest::newRow(tag) << bytes << expected;
    };
    const QByteArray rest = ",1,2,3,4,5,6,7\r\n";
    const QString restRead = "|1|2|3|4|5|6|7";
    const QString example = "|Ученик|10|10|10|3|10|8|4";

    row("empty file", "", "0");
    row("example", kExample, "1" + example);
    row("last line without line end", kExample + kExample.chopped(2), "2" + example + example);
    row("lone LF and lone CR", "\"a\",1,2,3,4,5,6,7\n\"b\",1,2,3,4,5,6,7\r\"c\",1,2,3,4,5,6,8\n",
        "3|a" + restRead + "|b" + restRead + "|c|1|2|3|4|5|6|8");
    // A line end separates fields as a comma does: records are groups of eight fields.
    row("record over two lines", "\"a\",1,2,3\r\n4,5,6, 7 \r\n", "1|a" + restRead);
    row("comma in the name, blanks", " \t\"I, P\" " + rest, "1|I, P" + restRead);
    row("blanks around scores", "\"a b\",1 , 2,3,4\t,5,6,7\r\n", "1|a b" + restRead);
    row("unquoted name", " Pe tya " + rest, "1|Pe tya" + restRead);
    row("text after the closing quote", "\"a\"bc\"d" + rest, "1|a" + restRead);
    row("NUL, controls, DEL, line end in quotes", QByteArrayLiteral("\"a\0b\x01\x7f\r\nc\"") + rest,
        "1|a b    c" + restRead);
    row("byte 0x98", "\"a\x98\xE0\"" + rest, "1|a?а" + restRead);
    row("odd scores shown as read, quoted total", "\"a\",x y,,-,1.5,\"q,r\",0x10,\"3.5\"\r\n",
        "1|a|x y||-|1.5|q,r|0x10|4");
    // The newest nine outlive the refills of the reader's buffer.
    const QByteArray longLine = "\"" + QByteArray(20000, 'b') + "\"" + rest;
    row("more than a buffer", kExample + "\"x\"" + rest + longLine.repeated(8),
        "10|x" + restRead + ("|" + QString(ResultsParser::kMaxField, u'b') + restRead).repeated(8));
    row("name of megabytes is cut", "\"" + QByteArray(6 << 20, '\xE0') + "\"" + rest,
        "1|" + QString(ResultsParser::kMaxField, u'а') + restRead);

    // Read failures: no record is shown, not even those read before.
    row("bad total after a good record", kExample + "\"a\",1,2,3,4,5,6,abc\r\n", "failure");
    row("ends inside a record", kExample + "\"a\",1,2,3", "failure");
    row("empty line after the last", kExample + "\r\n", "failure");
    row("unclosed quote", "\"abc" + rest, "failure");
    row("nine fields", "\"a\",1,2,3,4,5,6,7,8\r\n", "failure");
    row("binary", QByteArrayLiteral("\x00\xff\x98\r\n\x01,,,\""), "failure");
    // A total is never cut: 300 zeros and a 7 are not a 7, nor a 0.
    row("overlong total", "\"a\",1,2,3,4,5,6," + QByteArray(300, '0') + "7\r\n", "failure");
    row("garbage line of megabytes", QByteArray(6 << 20, 'x'), "failure");
}

// Both reader paths, with the bytes handed out whole or in small pieces, read alike.
void ResultsFileTest::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QStringList got;
    for (auto path : {ResultsParser::Path::Fast, ResultsParser::Path::General}) {
        for (qint64 piece : {qint64(1), qint64(7), qint64(1) << 20})
            got << readBack(bytes, path, piece);
    }
    QCOMPARE(got, QStringList(6, expected));
}

void ResultsFileTest::totals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value"); // kNotATotal: refused
    const std::pair<const char *, int> accepted[] = {
        {"4.125", 4},   {"4.875", 5},       {"2.5", 2},           {"3.5", 4},
        {"-2.5", -2},   {"-3.5", -4},       {".125", 0},          {"-0", 0},
        {"0000007", 7}, {"32767.4", 32767}, {"-32768.5", -32768}, {"2.5000000000000000000001", 3}};
    for (const auto &[text, value] : accepted)
        QTest::newRow(text) << QByteArray(text) << value;
    for (const char *text :
         {"32767.5", "99999999999", "1e9", "nan", "inf", "0x10", "", ".", "1 2", "4.1.2"})
        QTest::newRow(*text ? text : "empty") << QByteArray(text) << kNotATotal;
}

// Half to the even neighbour on the decimal digits; anything but a plain decimal is refused.
void ResultsFileTest::totals()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    const auto parsed = parseTotal(std::string_view(text.constData(), text.size()));
    QCOMPARE(parsed ? int(*parsed) : kNotATotal, value);
}

// A device that never ends is not read for ever.
void ResultsFileTest::deviceIsAReadFailure()
{
    WorkFolder folder;
    QVERIFY(QFile::link("/dev/zero", "res.txt"));
    QVERIFY_THROWS_EXCEPTION(ResultsFailure, ResultsFile().LoadResults());
}

void ResultsFileTest::appendStartsALineOfItsOwn_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("appended"); // the bytes after `before`
    QTest::addColumn<QString>("strict");      // the count of records read, or "failure"
    QTest::addColumn<QString>("lenient");     // each line's name, or "skipped"
    const QByteArray crLf = "\r\n";
    // clang-format off
    QTest::newRow("no file") << QByteArray() << kExample << "1" << "Ученик";
    QTest::newRow("empty file") << QByteArray("") << kExample << "1" << "Ученик";
    QTest::newRow("ends with CR LF") << kExample << kExample << "2" << "Ученик Ученик";
    QTest::newRow("ends with LF") << kExample.chopped(2) + "\n" << kExample << "2" << "Ученик Ученик";
    QTest::newRow("no line end") << kExample.chopped(2) << crLf + kExample << "2" << "Ученик Ученик";
    // CR CR LF would be an empty line, a field for the strict reader: nothing would read.
    QTest::newRow("lone CR") << kExample.chopped(1) << "\n" + kExample << "2" << "Ученик Ученик";
    // The damaged line stays damaged, and the record after it whole.
    QTest::newRow("writer died mid-line") << kExample + "\"\xCF\xE5\xF2\",10,1" << crLf + kExample << "failure" << "Ученик skipped Ученик";
    QTest::newRow("NUL padding after a crash") << kExample + QByteArray(7, '\0') << crLf + kExample << "failure" << "Ученик skipped Ученик";
    // clang-format on
}

// The pupil's line never joins a last line that lost its line end.
void ResultsFileTest::appendStartsALineOfItsOwn()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, appended);
    QFETCH(QString, strict);
    QFETCH(QString, lenient);
    WorkFolder folder;
    if (QByteArray(QTest::currentDataTag()) != "no file")
        QVERIFY(folder.write(before));
    const ResultsFile file;
    file.AppendResult({"Ученик", 10, 10, 10, 3, 10, 8, 4.125});
    const QByteArray bytes = folder.read();
    QCOMPARE(bytes, before + appended);
    try {
        QCOMPARE(QString::number(file.LoadResults().count()), strict);
    } catch (const ResultsFailure &) {
        QCOMPARE(QStringLiteral("failure"), strict);
    }
    PieceSource source(bytes, bytes.size() + 1);
    LineLog log;
    ResultsParser(source).readLines(log);
    Cp1251 codePage;
    QStringList names;
    for (const LineLog::Line &line : log.lines)
        names << (line.isRecord ? ResultsParser::fieldText(codePage, line.name) : "skipped");
    QCOMPARE(names.join(' '), lenient);
}

void ResultsFileTest::lockHeldByAnotherProgram_data()
{
    QTest::addColumn<QString>("lock"); // the other program's: r or w
    QTest::addColumn<bool>("append");  // or read
    QTest::addColumn<QString>("outcome");
    const QString busy = "файл занят другой программой";
    QTest::newRow("write lock: appending gives up") << "w" << true << busy;
    QTest::newRow("write lock: reading gives up") << "w" << false << "not read";
    QTest::newRow("read lock: appending gives up") << "r" << true << busy;
    QTest::newRow("read lock: reading goes on") << "r" << false << "read 1";
}

// Another program holds a lock until the test ends it: the append waits (briefly here) and
// gives up with the reason, writing nothing; reading waits for a write lock only.
void ResultsFileTest::lockHeldByAnotherProgram()
{
    QFETCH(QString, lock);
    QFETCH(bool, append);
    QFETCH(QString, outcome);
    WorkFolder folder;
    QVERIFY(folder.write(kExample));
    QProcess holder;
    QVERIFY(LockHolder::start(holder, lock.toLatin1()));
    const ResultsFile file("res.txt", std::chrono::milliseconds(100));
    QString got = "appended";
    try {
        if (append)
            file.AppendResult({"Ученик", 10, 10, 10, 3, 10, 8, 4.125});
        else
            got = QStringLiteral("read %1").arg(file.LoadResults().count());
    } catch (const AppendFailure &failure) {
        got = failure.reason();
    } catch (const ResultsFailure &) {
        got = "not read";
    }
    holder.kill();
    QVERIFY(holder.waitForFinished(kPatience));
    QCOMPARE(got, outcome);
    QCOMPARE(folder.read(), kExample);
}

// Programs sharing one file, each waiting for the others' locks: a reader that takes no lock,
// reading on while they append, only ever meets whole lines; in the end every line is there
// once, each program's in order, and dated once.
void ResultsFileTest::programsAppendWholeLines()
{
    // In memory where there is room for it, so that the appends do not wait for a disk.
    const QFileInfo memory("/dev/shm");
    WorkFolder folder(memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath());
    QVERIFY(folder.write({}));
    constexpr int kPrograms = 4, kLines = 3000;
    QProcess programs[kPrograms];
    for (int p = 0; p < kPrograms; ++p)
        programs[p].start(QCoreApplication::applicationFilePath(),
                          {"--append-lines", QString(QChar('a' + p)), QString::number(kLines)});
    const auto finished = [](QProcess &p) {
        return p.state() == QProcess::NotRunning || p.waitForFinished(0);
    };
    QFile reader("res.txt");
    QVERIFY(reader.open(QIODevice::ReadOnly));
    char buffer[1 << 16];
    qint64 seen = 0;
    for (const QDeadlineTimer patience(kPatience); !patience.hasExpired();) {
        const ssize_t got = ::read(reader.handle(), buffer, sizeof buffer);
        QVERIFY(got >= 0);
        seen += got;
        QVERIFY2(seen % kLine == 0, "a reader without a lock met part of a line");
        if (got == 0 && std::all_of(programs, programs + kPrograms, finished))
            break;
    }
    for (const QProcess &program : programs)
        QVERIFY(program.state() == QProcess::NotRunning &&
                program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0);

    const QByteArray bytes = folder.read();
    QCOMPARE(bytes.size(), kPrograms * kLines * kLine);
    int next[kPrograms] = {};
    for (qsizetype at = 0; at < bytes.size(); at += kLine) {
        const char who = bytes[at + 1];
        QVERIFY(who >= 'a' && who < 'a' + kPrograms);
        QCOMPARE(bytes.mid(at, kLine), ResultsFile::formatLine(numbered(who, next[who - 'a']++)));
    }
    QCOMPARE(readAll("res.txt.dates").count('\n'), kPrograms * kLines);
    DatedLook look("res.txt");
    look.look();
    const QStringList dated = look.dated();
    QCOMPARE(dated.size(), kPrograms * kLines);
    QVERIFY(std::none_of(dated.cbegin(), dated.cend(),
                         [](const QString &line) { return line.endsWith(':'); }));
}

// A name's bytes come back as they were, whatever they are; valid UTF-8 reads as Qt reads it;
// what a person is shown has no lone surrogate or control character, and a long name is cut
// in the middle.
void ResultsFileTest::pathsAreBytes()
{
    QRandomGenerator random(20261207);
    const QByteArray alphabet = QByteArray("/ a.\xD0\xB9\xC3\xA9\xE2\x80\xA6\xF0\x9F\x90\xAD"
                                           "\xC0\x80\xED\xA0\x80\xF4\x90\x80\x80\xFF\x80\n");
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes(random.bounded(12), Qt::Uninitialized);
        for (char &c : bytes)
            c = round % 2 ? char(random.bounded(256)) : alphabet[random.bounded(alphabet.size())];
        const QString text = FilePath::decode(bytes);
        QCOMPARE(FilePath::encode(text), bytes);
        if (QString::fromUtf8(bytes).toUtf8() == bytes)
            QCOMPARE(text, QString::fromUtf8(bytes));
        const QString shown = FilePath::shown(text, 8);
        QVERIFY(shown.size() <= 8);
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QVERIFY(shown[i].unicode() >= 0x20);
            if (shown[i].isHighSurrogate())
                QVERIFY(i + 1 < shown.size() && shown[++i].isLowSurrogate());
            else
                QVERIFY(!shown[i].isLowSurrogate());
        }
    }
}

void ResultsFileTest::datesFileBesideTheRecord_data()
{
    QTest::addColumn<QByteArray>("before"); // res.txt
    QTest::addColumn<QByteArray>("dates");  // res.txt.dates, when a file
    QTest::addColumn<qint64>("offset");     // of the record, dated; -1 when not dated
    QTest::addColumn<QString>("said");      // why not, on standard error
    const QByteArray earlier = "0 32 e1dd18a0 2026-12-08T10:15:02+03:00 m1\n";
    // clang-format off
    QTest::newRow("none yet") << QByteArray() << QByteArray() << qint64(0) << "";
    QTest::newRow("after earlier lines") << kExample << earlier << qint64(32) << "";
    QTest::newRow("after the record's line end") << kExample.chopped(2) << QByteArray() << qint64(32) << "";
    // A line cut short is ended, so that it does not swallow the new one.
    QTest::newRow("a line cut short") << kExample << earlier.left(20) << qint64(32) << "";
    QTest::newRow("read-only") << kExample << earlier << qint64(-1) << "нет прав на запись";
    QTest::newRow("a folder") << kExample << QByteArray() << qint64(-1) << "под этим именем находится папка";
    QTest::newRow("a link") << kExample << QByteArray() << qint64(-1) << "на месте файла ссылка";
    QTest::newRow("a full device") << kExample << QByteArray() << qint64(-1) << "это не обычный файл";
    QTest::newRow("the results file itself") << kExample << QByteArray() << qint64(-1) << "это сам файл результатов";
    // The size limit lets part of the line in: it is taken back.
    QTest::newRow("the disk fills mid-line") << kExample << earlier.repeated(100) << qint64(-1) << "файл слишком большой";
    // clang-format on
}

// The course dates every record it saves, once the record is on the disk; a date that cannot be
// written never costs the record, and is said in a line on standard error.
void ResultsFileTest::datesFileBesideTheRecord()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, dates);
    QFETCH(qint64, offset);
    QFETCH(QString, said);
    const QString setup = QTest::currentDataTag();
    WorkFolder folder;
    QVERIFY(folder.write(before));
    if (!dates.isNull()) {
        QFile file("res.txt.dates");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(dates) == dates.size());
    }
    rlimit limit = {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit unlimited = limit;
    if (setup == "read-only")
        QVERIFY(::chmod("res.txt.dates", 0444) == 0 && ::chmod("res.txt", 0666) == 0 &&
                ::chmod(".", 0777) == 0);
    else if (setup == "a folder")
        QVERIFY(QDir().mkdir("res.txt.dates"));
    else if (setup == "a link")
        QVERIFY(QFile::link("res.txt", "res.txt.dates"));
    else if (setup == "a full device")
        QVERIFY(WorkFolder::makeFullDevice("res.txt.dates"));
    else if (setup == "the results file itself")
        QVERIFY(::link("res.txt", "res.txt.dates") == 0);
    else if (setup == "the disk fills mid-line")
        limit.rlim_cur = dates.size() + 10;
    // Permissions do not stop the superuser: the read-only case writes as an ordinary user.
    const bool asUser = setup == "read-only" && ::geteuid() == 0;
    std::signal(SIGXFSZ, SIG_IGN);
    const qint64 from = QDateTime::currentSecsSinceEpoch();
    CapturedErrors errors;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0 && (!asUser || ::seteuid(65534) == 0));
    ResultsFile file;
    file.setSync([](int) { return 0; });
    file.AppendResult({"Ученик", 10, 10, 10, 3, 10, 8, 4.125});
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &unlimited) == 0 && (!asUser || ::seteuid(0) == 0));
    std::signal(SIGXFSZ, SIG_DFL);
    const QString stderrText = errors.take();
    const qint64 until = QDateTime::currentSecsSinceEpoch();

    const QByteArray saved = before + (before.endsWith('\n') || before.isEmpty() ? "" : "\r\n");
    const QByteArray results = readAll("res.txt");
    QCOMPARE(results.left(saved.size() + kExample.size()), saved + kExample);
    if (offset < 0) {
        QCOMPARE(stderrText,
                 "mouse-tutor: дата попытки не записана в «res.txt.dates»: " + said + '\n');
        if (setup != "the results file itself")
            QCOMPARE(results, saved + kExample);
        if (!dates.isEmpty())
            QCOMPARE(readAll("res.txt.dates"), dates);
        return;
    }
    QCOMPARE(stderrText, QString());
    const QByteArray written = readAll("res.txt.dates");
    const QByteArray kept = dates + (dates.isEmpty() || dates.endsWith('\n') ? "" : "\n");
    QCOMPARE(written.left(kept.size()), kept);
    QVERIFY(written.endsWith('\n'));
    const auto line = DatesFile::parse(std::string_view(written).substr(
        size_t(kept.size()), size_t(written.size() - kept.size() - 1)));
    QVERIFY(line);
    QCOMPARE(line->offset, offset);
    QCOMPARE(line->length, kExample.size());
    QCOMPARE(line->crc, kExampleCrc);
    QVERIFY(line->seconds >= from && line->seconds <= until);
    QCOMPARE(int(line->utcOffset),
             QDateTime::fromSecsSinceEpoch(line->seconds).offsetFromUtc() / 60);
    QCOMPARE(QByteArray(line->host.data(), qsizetype(line->host.size())),
             DatesFile::hostField(QSysInfo::machineHostName().toUtf8()));
}

void ResultsFileTest::datesLines_data()
{
    QTest::addColumn<QByteArray>("line"); // without its LF
    QTest::addColumn<QString>("read");    // "offset length crc seconds utcOffset host", or ""
    const auto at = [](int year, int month, int day, int hour, int minute, int second, int offset) {
        return QString::number(QDateTime(QDate(year, month, day), QTime(hour, minute, second),
                                         Qt::OffsetFromUTC, offset * 60)
                                   .toSecsSinceEpoch()) +
               ' ' + QString::number(offset);
    };
    // clang-format off
    QTest::newRow("as the course writes it") << QByteArray("1024 32 e1dd18a0 2026-12-08T10:15:02+03:00 класс-3") << "1024 32 e1dd18a0 " + at(2026, 12, 8, 10, 15, 2, 180) + " класс-3";
    QTest::newRow("west of UTC, a leap day") << QByteArray("0 1 00000000 2024-02-29T23:59:59-09:30 m") << "0 1 00000000 " + at(2024, 2, 29, 23, 59, 59, -570) + " m";
    QTest::newRow("before 1970") << QByteArray("7 9 ffffffff 1969-12-31T23:59:59+00:00 m") << "7 9 ffffffff -1 0 m";
    QTest::newRow("the first second") << QByteArray("0 1 00000000 0000-01-01T00:00:00+00:00 m") << "0 1 00000000 -62167219200 0 m";
    QTest::newRow("no computer") << QByteArray("0 1 00000000 9999-12-31T23:59:59+23:59") << "";
    QTest::newRow("the last second") << QByteArray("0 1 00000000 9999-12-31T23:59:59+23:59 m") << "0 1 00000000 " + at(9999, 12, 31, 23, 59, 59, 1439) + " m";
    QTest::newRow("a leading zero") << QByteArray("01 32 e1dd18a0 2026-12-08T10:15:02+03:00 m") << "";
    QTest::newRow("a sign") << QByteArray("+1 32 e1dd18a0 2026-12-08T10:15:02+03:00 m") << "";
    QTest::newRow("no length") << QByteArray("1 0 e1dd18a0 2026-12-08T10:15:02+03:00 m") << "";
    QTest::newRow("capital hex") << QByteArray("1 32 E1DD18A0 2026-12-08T10:15:02+03:00 m") << "";
    QTest::newRow("two spaces") << QByteArray("1 32  e1dd18a0 2026-12-08T10:15:02+03:00 m") << "";
    QTest::newRow("February 30") << QByteArray("1 32 e1dd18a0 2026-02-30T10:15:02+03:00 m") << "";
    QTest::newRow("24 o'clock") << QByteArray("1 32 e1dd18a0 2026-12-08T24:00:00+03:00 m") << "";
    QTest::newRow("no offset") << QByteArray("1 32 e1dd18a0 2026-12-08T10:15:02 m") << "";
    QTest::newRow("a blank in the name") << QByteArray("1 32 e1dd18a0 2026-12-08T10:15:02+03:00 m 1") << "";
    QTest::newRow("a CR at the end") << QByteArray("1 32 e1dd18a0 2026-12-08T10:15:02+03:00 m\r") << "";
    QTest::newRow("a name too long") << "1 32 e1dd18a0 2026-12-08T10:15:02+03:00 " + QByteArray(65, 'm') << "";
    QTest::newRow("an offset past a long long") << QByteArray("99999999999999999999 32 e1dd18a0 2026-12-08T10:15:02+03:00 m") << "";
    // clang-format on
}

// Only a line exactly as the course writes it is read; what is read is written back alike.
void ResultsFileTest::datesLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, read);
    const auto parsed = DatesFile::parse(std::string_view(line));
    QCOMPARE(parsed.has_value(), !read.isEmpty());
    if (!parsed)
        return;
    QCOMPARE(QString("%1 %2 %3 %4 %5 %6")
                 .arg(parsed->offset)
                 .arg(parsed->length)
                 .arg(parsed->crc, 8, 16, QChar('0'))
                 .arg(parsed->seconds)
                 .arg(parsed->utcOffset)
                 .arg(QString::fromUtf8(parsed->host.data(), qsizetype(parsed->host.size()))),
             read);
    QCOMPARE(DatesFile::format(*parsed), line + '\n');
    // A computer's name as a line can hold it.
    QCOMPARE(DatesFile::hostField(""), "-");
    QCOMPARE(DatesFile::hostField("класс 3\t\xff" + QByteArray(80, 'x')),
             "класс?3??" + QByteArray(50, 'x'));
}

void ResultsFileTest::datesMatchTheirRecords_data()
{
    QTest::addColumn<QByteArray>("results");
    QTest::addColumn<QByteArray>("dates");
    QTest::addColumn<QStringList>("dated"); // "line:time computer", or "line:" undated
    const char *t1 = "2026-12-08T10:15:02+03:00", *t2 = "2026-12-08T10:20:00+03:00",
               *t3 = "2026-12-08T10:25:00-05:00", *t4 = "2026-12-09T09:00:00+03:00";
    const QByteArray a = record("Аня"), b = record("Боря"), c = record("Вова");
    const qint64 at2 = a.size(), at3 = a.size() + b.size();
    const QByteArray all = a + b + c;
    const QByteArray dates =
        dateLine(0, a, t1) + dateLine(at2, b, t2, "m2") + dateLine(at3, c, t3, "=m3");
    const QString one = QString("1:") + t1 + " m1", two = QString("2:") + t2 + " m2",
                  three = QString("3:") + t3 + " =m3", threeLater = QString("3:") + t4 + " m1";
    // clang-format off
    QTest::newRow("all agree") << all << dates << QStringList{one, two, three};
    QTest::newRow("a record edited") << a + record("Бора") + c << dates << QStringList{one, "2:", three};
    QTest::newRow("a length edited") << all << dateLine(0, a, t1) + DatesFile::format({at2, b.size() - 1, Crc32::of(std::string_view(b)), 0, 0, "m2"}) +
                                                dateLine(at3, c, t3, "=m3")
                                     << QStringList{one, "2:", three};
    QTest::newRow("the results file cut") << a + b << dates << QStringList{one, two};
    QTest::newRow("cut and written again") << a + b + record("Гена") << dates + dateLine(at3, record("Гена"), t4) << QStringList{one, two, threeLater};
    // Of two lines for one place only the last can date it, though both agree with it.
    QTest::newRow("cut and the same written again") << all << dates + dateLine(at3, c, t4) << QStringList{one, two, threeLater};
    QTest::newRow("a later line inside a record") << all << dates + dateLine(at2 + 1, c, t4) << QStringList{one, "2:", "3:"};
    QTest::newRow("replaced") << record("Катя") + record("Лена") + record("Миша") << dates << QStringList{"1:", "2:", "3:"};
    QTest::newRow("a line added by hand") << all + record("Петя") << dates << QStringList{one, two, three, "4:"};
    QTest::newRow("a line put in by hand") << a + record("Петя") + b + c << dates << QStringList{one, "2:", "3:", "4:"};
    QTest::newRow("the dates file cut mid-line") << all << dates.chopped(9) << QStringList{one, two, "3:"};
    QTest::newRow("another file's dates") << all << dateLine(0, record("Катя"), t1) + dateLine(at2, record("Лена"), t2) << QStringList{"1:", "2:", "3:"};
    QTest::newRow("a last line without its end") << all.chopped(2) << dates << QStringList{one, two, "3:"};
    QTest::newRow("no dates file") << all << QByteArray() << QStringList{"1:", "2:", "3:"};
    QTest::newRow("a line longer than any") << all << QByteArray(200000, 'x') + '\n' + dates << QStringList{one, two, three};
    // Its end, past the reader's buffer, is no line of its own.
    QTest::newRow("a long line ending as a date") << all << dates + QByteArray(1 << 16, 'x') + dateLine(at3, c, t4) << QStringList{one, two, three};
    // clang-format on
    // Lines that straddle the reader's buffers are dated as well.
    QByteArray many, manyDates;
    QStringList manyDated;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray line = record(QString("Ученик %1").arg(i), i % 12);
        manyDates += DatesFile::format({many.size(), line.size(), Crc32::of(std::string_view(line)),
                                        1796710000 + i, 180, "m1"});
        manyDated
            << QString("%1:%2 m1").arg(i + 1).arg(QString(DatesFile::isoTime(1796710000 + i, 180)));
        many += line;
    }
    QTest::newRow("more than a buffer") << many << manyDates << manyDated;
}

// A line of the dates file dates a record only where its place, length and checksum agree
// with the results file: a file edited, cut, replaced or written again gets no wrong date.
void ResultsFileTest::datesMatchTheirRecords()
{
    QFETCH(QByteArray, results);
    QFETCH(QByteArray, dates);
    QFETCH(QStringList, dated);
    WorkFolder folder;
    QVERIFY(folder.write(results));
    if (!dates.isNull()) {
        QFile file("res.txt.dates");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(dates) == dates.size());
    }
    DatedLook look("res.txt");
    look.look();
    QCOMPARE(look.dated(), dated);
}

// Records saved by the course, lines added or cut by hand in either file, files replaced, and
// dates that come only after their record was read: after every look, each record has the date
// that reading both files whole gives it, or none.
void ResultsFileTest::datesAgainstPlainModel()
{
    const QFileInfo memory("/dev/shm");
    WorkFolder folder(memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath());
    QRandomGenerator random(20261208);
    const auto append = [](const char *name, const QByteArray &bytes) {
        QFile file(QString::fromLatin1(name));
        return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
    };
    const auto replace = [](const char *name, const QByteArray &bytes) {
        const QString copy = QString::fromLatin1(name) + ".new";
        QFile file(copy);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
               ::rename(QFile::encodeName(copy), name) == 0;
    };
    int saved = 0;
    for (int round = 0; round < 20; ++round) {
        QFile::remove("res.txt");
        QFile::remove("res.txt.dates");
        QVERIFY(folder.write({}));
        DatedLook look("res.txt");
        QByteArray late; // a date written only after the next look, as a look may come between
        qsizetype unended = -1; // where the last line once left without its end starts
        for (int step = 0; step < 120; ++step) {
            const QByteArray results = readAll("res.txt");
            // The course: the record, a line end first where the last line lost its own, and
            // its date.
            const auto save = [&] {
                const QByteArray line = record(QString("Ученик %1").arg(++saved), step % 12);
                const QByteArray start = results.isEmpty() || results.endsWith('\n') ? ""
                                         : results.endsWith('\r')                    ? "\n"
                                                                                     : "\r\n";
                QVERIFY(append("res.txt.dates", late) && append("res.txt", start + line));
                late = DatesFile::format({results.size() + start.size(), line.size(),
                                          Crc32::of(std::string_view(line)), 1796710000 + saved,
                                          qint16(random.bounded(-600, 600)), "m1"});
                if (random.bounded(3) > 0)
                    QVERIFY(append("res.txt.dates", std::exchange(late, {})));
            };
            const int what = random.bounded(16);
            if (what < 7) {
                save();
            } else {
                QVERIFY(append("res.txt.dates", std::exchange(late, {})));
                const QByteArray dates = readAll("res.txt.dates");
                const qsizetype lastEnd = results.lastIndexOf('\n') + 1;
                switch (what) {
                case 7: // by hand, with or without its line end
                    QVERIFY(append(
                        "res.txt",
                        record(QString("Рука %1").arg(++saved)).chopped(random.bounded(2) * 2)));
                    if (const QByteArray now = readAll("res.txt"); !now.endsWith('\n'))
                        unended = now.lastIndexOf('\n') + 1;
                    break;
                case 8: { // a line that claims a place, whole or with its end damaged, or
                          // nonsense
                    const QByteArray claim = dateLine(random.bounded(results.size() + 40),
                                                      record("Аня"), "2026-12-08T10:15:02+03:00");
                    const int kind = random.bounded(3);
                    QVERIFY(append("res.txt.dates", kind == 0   ? claim
                                                    : kind == 1 ? claim.left(20) + '\n'
                                                                : QByteArray("x y\n")));
                    break;
                }
                case 9: // an earlier line again
                    if (const qsizetype from = dates.lastIndexOf(
                            '\n', dates.size() - 2 -
                                      random.bounded(qMax<qsizetype>(1, dates.size() / 2)));
                        from >= 0)
                        QVERIFY(append("res.txt.dates",
                                       dates.mid(from + 1, dates.indexOf('\n', from + 1) - from)));
                    break;
                case 10: // the dates file cut mid-line
                    QVERIFY(::truncate("res.txt.dates",
                                       qMax<qsizetype>(0, dates.size() - random.bounded(1, 30))) ==
                                0 ||
                            dates.isEmpty());
                    break;
                case 11: { // the results file cut at the start of a line, past any line that
                           // was once unended: the follower takes such a line cut away and
                           // written again just as long for the same line
                    const qsizetype at =
                        results.lastIndexOf('\n',
                                            qMax<qsizetype>(0, lastEnd - 2 - random.bounded(200))) +
                        1;
                    if (results.endsWith('\n') && at > unended)
                        QVERIFY(::truncate("res.txt", at) == 0);
                    break;
                }
                case 12: // a record edited
                    if (!results.isEmpty()) {
                        QByteArray edited = results;
                        edited[random.bounded(edited.size())] = 'x';
                        QVERIFY(replace("res.txt", edited));
                    }
                    break;
                case 13:
                    QVERIFY(replace("res.txt", results));
                    break;
                case 14:
                    QVERIFY(replace("res.txt.dates", dates));
                    break;
                default: // gone, and made anew by the course's next save; what it dated
                         // before stays dated until then
                    QVERIFY(QFile::remove("res.txt.dates") || dates.isNull());
                    save();
                }
            }
            if (random.bounded(2) == 0 || step == 119) {
                look.look();
                QCOMPARE(look.dated(), plainDates(readAll("res.txt"), readAll("res.txt.dates")));
            }
        }
    }
}

int main(int argc, char *argv[])
{
    if (argc > 2 && std::strcmp(argv[1], "--append-lines") == 0)
        return appendLines(QByteArrayList(argv + 1, argv + argc));
    LockHolder::runIfAsked(argc, argv);
    QCoreApplication app(argc, argv);
    ResultsFileTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resultsfile.moc"
