#include "resultlist.h"
#include "resultsfailure.h"
#include "resultsfile.h"
#include "resultsparser.h"
#include "totaltext.h"
#include "workfolder.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <cstring>

namespace {

// Hands out the bytes in pieces of a fixed size, so that every boundary inside a record (a CR
// apart from its LF, a name cut in two) is met by the reader.
class PieceSource : public ByteSource
{
public:
    PieceSource(const QByteArray &bytes, qint64 piece) : m_bytes(bytes), m_piece(piece) {}
    qint64 read(char *buffer, qint64 capacity) override
    {
        const qint64 n = std::min({capacity, m_piece, m_bytes.size() - m_pos});
        std::memcpy(buffer, m_bytes.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }

private:
    QByteArray m_bytes;
    qint64 m_piece;
    qint64 m_pos = 0;
};

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

// The helper process of the sharing test: appends `count` lines for `name`, numbered in L.
int appendLines(const QString &name, int count)
{
    const ResultsFile file;
    for (int i = 0; i < count; ++i)
        file.AppendResult({name, i, 1, 2, 3, 4, 5, 0.125});
    return 0;
}

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
    void totals_data();
    void totals();
    void oddFilesAreReadFailures();
    void twoProgramsAppendWithoutMixingLines();
};

void ResultsFileTest::lineIsByteExact_data()
{
    QTest::addColumn<ResultRecord>("record");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("russianTotal"); // the user's row under a Russian locale

    QTest::newRow("32-byte example")
        << ResultRecord{"Ученик", 10, 10, 10, 3, 10, 8, 4.125} << kExample << "4,125";
    QTest::newRow("empty name, all zero")
        << ResultRecord{"", 0, 0, 0, 0, 0, 0, 0} << QByteArray("\"\",0,0,0,0,0,0,0\r\n") << "0";
    QTest::newRow("comma") << ResultRecord{"Ян, 1", 1, 0, 0, 0, 0, 0, 0.125}
                           << QByteArray("\"\xDF\xED, 1\",1,0,0,0,0,0,0.125\r\n") << "0,125";
    // A double quote or a line end would break the record; the line must stay one record.
    QTest::newRow("double quote") << ResultRecord{"say \"hi\"", 0, 0, 0, 0, 0, 0, 5}
                                  << QByteArray("\"say 'hi'\",0,0,0,0,0,0,5\r\n") << "5";
    QTest::newRow("line breaks and controls") << ResultRecord{"a\r\nb\tc\x7f", 0, 0, 0, 0, 0, 0, 0}
                                              << QByteArray("\"a  b c \",0,0,0,0,0,0,0\r\n") << "0";
    // One "?" per character, a pair of surrogates included.
    QTest::newRow("outside the code page")
        << ResultRecord{"Jü😀王€№", 0, 0, 0, 0, 0, 0, 0}
        << QByteArray("\"J???\x88\xB9\",0,0,0,0,0,0,0\r\n") << "0";
    // No exponent, no rounding to six digits, no thousands separator.
    QTest::newRow("extremes") << ResultRecord{"a", 32767, -32768, 0, 0, 0, 0, 4095.875}
                              << QByteArray("\"a\",32767,-32768,0,0,0,0,4095.875\r\n")
                              << "4095,875";
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
    row("NUL, controls, line end in quotes", QByteArrayLiteral("\"a\0b\x01\r\nc\"") + rest,
        "1|a b   c" + restRead);
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
    row("total out of range", "\"a\",1,2,3,4,5,6,32767.5\r\n", "failure");
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

void ResultsFileTest::oddFilesAreReadFailures()
{
    WorkFolder folder;
    const ResultsFile file;
    QVERIFY_THROWS_EXCEPTION(ResultsFailure, file.LoadResults());
    // A device that never ends must not be read for ever.
    QVERIFY(QFile::link("/dev/zero", "res.txt"));
    QVERIFY_THROWS_EXCEPTION(ResultsFailure, file.LoadResults());
}

// Two programs sharing one file: every line arrives whole, none is lost, and a reader in
// between never meets half a line.
void ResultsFileTest::twoProgramsAppendWithoutMixingLines()
{
    WorkFolder folder;
    constexpr int kLines = 10000;
    QProcess processes[2];
    const QByteArray names[2] = {"first", "second"};
    for (int i = 0; i < 2; ++i)
        processes[i].start(QCoreApplication::applicationFilePath(),
                           {"--append-lines", names[i], QString::number(kLines)});
    const auto running = [&](const QProcess &p) { return p.state() != QProcess::NotRunning; };
    while (running(processes[0]) || running(processes[1])) {
        try {
            ResultsFile().LoadResults();
        } catch (const ResultsFailure &) {
            QVERIFY2(!QFile::exists("res.txt"), "a reader met a half-written file");
        }
        processes[0].waitForFinished(5);
        processes[1].waitForFinished(5);
    }
    for (const QProcess &process : processes)
        QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);

    const QList<QByteArray> lines = folder.read().split('\n');
    QCOMPARE(lines.size(), 2 * kLines + 1);
    int next[2] = {0, 0};
    for (const QByteArray &line : lines.first(2 * kLines)) {
        const int who = line.startsWith("\"first\"") ? 0 : 1;
        QCOMPARE(line, "\"" + names[who] + "\"," + QByteArray::number(next[who]++) +
                           ",1,2,3,4,5,0.125\r");
    }
    QCOMPARE(next[0], kLines);
}

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--append-lines") == 0)
        return appendLines(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    QCoreApplication app(argc, argv);
    ResultsFileTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resultsfile.moc"
