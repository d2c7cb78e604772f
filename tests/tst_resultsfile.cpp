#include "appendfailure.h"
#include "cp1251.h"
#include "datedlook.h"
#include "filepath.h"
#include "linelog.h"
#include "lockholder.h"
#include "piecesource.h"
#include "resultlist.h"
#include "resultsfailure.h"
#include "resultsfile.h"
#include "resultsparser.h"
#include "resultstail.h"
#include "systemerror.h"
#include "totaltext.h"
#include "workfolder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>
#include <cstring>
#include <iconv.h>
#include <unistd.h>

namespace {

// The cells of the newest nine, oldest first: "name|L|R|Dbl|M|G1|G2|total|name|...".
QString newest(const ResultList &list)
{
    QStringList cells;
    for (qint64 i = qMax<qint64>(0, list.count() - ResultList::kKept); i < list.count(); ++i) {
        const StoredResult &r = list.at(i);
        cells << r.Nam << r.L << r.R << r.Dbl << r.M << r.G1 << r.G2
              << QString::number(int(r.Resul));
    }
    return cells.join(u'|');
}

// "failure", or the count of records and the cells of the newest nine: "2|name|L|...".
QString readBack(const QByteArray &bytes, ResultsParser::Path path, qint64 piece)
{
    PieceSource source(bytes, piece);
    try {
        const ResultList list = ResultsParser(source, path).parse();
        return QString::number(list.count()) + (list.count() ? "|" : "") + newest(list);
    } catch (const ResultsFailure &) {
        return QStringLiteral("failure");
    }
}

// The newest nine of a file as "Результаты" reads them when the file is large (ResultsTail), or
// "failure", or "whole" when the file is to be read whole.
QString tailOf(const QByteArray &bytes, qint64 window)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return QStringLiteral("cannot write");
    try {
        const std::optional<ResultList> list =
            ResultsTail::read(file.handle(), bytes.size(), window);
        return list ? newest(*list) : QStringLiteral("whole");
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
    void tailReadAsWhole();
    void totals_data();
    void totals();
    void deviceIsAReadFailure();
    void appendStartsALineOfItsOwn_data();
    void appendStartsALineOfItsOwn();
    void lockHeldByAnotherProgram_data();
    void lockHeldByAnotherProgram();
    void programsAppendWholeLines();
    void pathsAreBytes();
    void codePageAgainstTheCLibrary();
    void systemErrorsInRussian();
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

// A large file read from near its end gives what a whole read gives, on random files with
// records over two lines, names unquoted or holding a line end, and damaged totals here and
// there; where the damage lies only before the part read, what a whole read gives of the file
// mended. Where the place it starts at is not shown to be a record's start, the file is read
// whole.
void ResultsFileTest::tailReadAsWhole()
{
    const QList<QByteArray> names = {"\"\xD3\xF7\xE5\xED\xE8\xEA\"", "\"Petya\"",
                                     "\"\xC8\xE2\xE0\xED\xEE\xE2, \xCF\xB8\xF2\xF0\"", "\"\""};
    const QList<QByteArray> lineEnds = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
    int fromTail = 0, pastDamage = 0;
    for (quint32 seed = 1; seed <= 400; ++seed) {
        QRandomGenerator random(seed);
        QByteArray bytes, mended;
        for (int records = random.bounded(1, 100); records > 0; --records) {
            QByteArrayList fields{names[random.bounded(names.size())]};
            for (int score = 0; score < 6; ++score)
                fields << QByteArray::number(random.bounded(12));
            fields << "4.125";
            const int kind = random.bounded(24);
            if (kind == 0)
                fields[0] = "Pe tya";
            else if (kind == 1)
                fields[0] = "\"a" + lineEnds[random.bounded(4)] + "b\"";
            QByteArray line = fields[0];
            const int split = kind == 2 ? random.bounded(1, 8) : 0;
            for (int field = 1; field < 8; ++field)
                line += (field == split ? lineEnds[random.bounded(5)] : ",") + fields[field];
            line += records > 1 || random.bounded(2) ? lineEnds[random.bounded(5)] : "";
            mended += line;
            bytes += kind == 3 ? line.replace("4.125", "4.1x5") : line;
        }
        const qint64 window = random.bounded(64, 1024);
        const QString whole = readBack(mended, ResultsParser::Path::Fast, 1 << 20).section('|', 1);
        const QString sound = tailOf(mended, window);
        QVERIFY2(sound == "whole" || sound == whole, qPrintable(QString::number(seed)));
        const QString damaged = tailOf(bytes, window);
        const bool failed = readBack(bytes, ResultsParser::Path::Fast, 1 << 20) == "failure";
        // Read whole, it is what it was; read from near the end, the true newest or nothing.
        QVERIFY2(damaged == "whole" || damaged == "failure" || damaged == whole,
                 qPrintable(QString::number(seed)));
        fromTail += sound != "whole";
        pastDamage += failed && damaged == whole;
    }
    // Many files are read from near their end, some past a damaged record.
    QVERIFY2(fromTail > 100 && pastDamage > 10,
             qPrintable(QString("%1 from the end, %2 past damage").arg(fromTail).arg(pastDamage)));
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
    QFile dates("res.txt.dates");
    QVERIFY(dates.open(QIODevice::ReadOnly));
    QCOMPARE(dates.readAll().count('\n'), kPrograms * kLines);
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

// The code page's own table against the C library's converter: every byte read, every character
// of the Basic Multilingual Plane written, and random text with pairs of surrogates and lone
// ones, each of which is one character the code page lacks.
void ResultsFileTest::codePageAgainstTheCLibrary()
{
    const Cp1251 codePage;
    const iconv_t toText = iconv_open("UTF-32LE", "CP1251");
    const iconv_t toBytes = iconv_open("CP1251", "UTF-32LE");
    QVERIFY(toText != iconv_t(-1) && toBytes != iconv_t(-1));
    const auto closing = qScopeGuard([&] {
        iconv_close(toText);
        iconv_close(toBytes);
    });
    // One unit through the C library: its result, or "?" where it has none.
    const auto convert = [](iconv_t converter, const char *unit, size_t size, size_t width) {
        char out[4] = {};
        char *in = const_cast<char *>(unit), *to = out;
        size_t left = size, room = sizeof out;
        return iconv(converter, &in, &left, &to, &room) == size_t(-1) ? QByteArray("?")
                                                                      : QByteArray(out, width);
    };
    QString read;
    QString text;
    for (int byte = 0; byte < 256; ++byte) {
        const char c = char(byte);
        read += codePage.decode(&c, 1);
        const QByteArray wide = convert(toText, &c, 1, 4);
        text += wide == "?" ? QStringLiteral("?")
                            : QString::fromUcs4(reinterpret_cast<const char32_t *>(wide.data()), 1);
    }
    QCOMPARE(read, text);
    // As the C library wrote text: each character as its code point, a lone surrogate as
    // U+FFFD.
    const auto model = [&](const QString &text) {
        QByteArray bytes;
        for (const uint character : text.toUcs4())
            bytes += convert(toBytes, reinterpret_cast<const char *>(&character), 4, 1);
        return bytes;
    };
    QByteArray written;
    QByteArray expected;
    for (uint character = 0; character < 0x10000; ++character) {
        written += codePage.encode(QString(QChar(character)));
        expected += model(QString(QChar(character)));
    }
    QCOMPARE(written, expected);
    QRandomGenerator random(20250301);
    const char32_t pick[] = {U'a', U'Ё', U'я', U'№', U'€', U'ü', U'王', U'😀', 0xD800, 0xDC00};
    for (int round = 0; round < 2000; ++round) {
        text.clear();
        for (int i = random.bounded(8); i > 0; --i) {
            const char32_t character = pick[random.bounded(int(std::size(pick)))];
            text += character > 0xFFFF ? QString::fromUcs4(&character, 1) : QChar(uint(character));
        }
        QCOMPARE(codePage.encode(text), model(text));
    }
}

// Every error a user can meet reading, writing or starting a program is said in Russian, never
// in the system's English words.
void ResultsFileTest::systemErrorsInRussian()
{
    for (int error :
         {ENOENT,  EACCES,    EAGAIN,       EIO,      ENOSPC,     EDQUOT,    EROFS,
          EISDIR,  EBADF,     ENOEXEC,      EMFILE,   ENFILE,     ENOMEM,    ELOOP,
          ETXTBSY, EXDEV,     EEXIST,       ESTALE,   ETIMEDOUT,  EHOSTDOWN, EHOSTUNREACH,
          ENOLCK,  EOVERFLOW, EINVAL,       EPIPE,    ENODEV,     EBUSY,     E2BIG,
          EFBIG,   ENXIO,     ENAMETOOLONG, ENOTCONN, ECONNRESET, EINTR}) {
        for (auto use : {SystemError::Use::Read, SystemError::Use::Write, SystemError::Use::Run}) {
            const QString text = SystemError::text(error, use);
            QVERIFY2(!text.contains(QRegularExpression("[A-Za-z0-9]")), qPrintable(text));
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
