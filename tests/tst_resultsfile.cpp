#include "appendfailure.h"
#include "cp1251.h"
#include "resultlist.h"
#include "resultsfailure.h"
#include "resultsfile.h"
#include "resultsparser.h"
#include "totaltext.h"
#include "workfolder.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <cstring>
#include <optional>
#include <unistd.h>

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
        std::memcpy(buffer, m_bytes.constData() + m_pos, static_cast<size_t>(n));
        m_pos += n;
        return n;
    }

private:
    QByteArray m_bytes;
    qint64 m_piece;
    qint64 m_pos = 0;
};

// What a read gave: nothing on a failure, else the count and the newest record's eight cells.
struct Outcome
{
    qint64 count = 0;
    QStringList newest;
    bool operator==(const Outcome &) const = default;
};

QStringList cells(const StoredResult &r)
{
    return {r.Nam, r.L, r.R, r.Dbl, r.M, r.G1, r.G2, QString::number(int(r.Resul))};
}

std::optional<Outcome> parse(const QByteArray &bytes, ResultsParser::Path path, qint64 piece)
{
    PieceSource source(bytes, piece);
    try {
        const ResultList list = ResultsParser(source, path).parse();
        Outcome outcome{list.count(), {}};
        if (list.count() > 0)
            outcome.newest = cells(list.at(list.count() - 1));
        return outcome;
    } catch (const ResultsFailure &) {
        return std::nullopt;
    }
}

// Bytes of a literal that may hold NUL.
template <size_t N> QByteArray bytesOf(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

QByteArray cp1251(const char *utf8)
{
    Cp1251 codePage;
    return codePage.encode(QString::fromUtf8(utf8));
}

ResultRecord record(const QString &name, std::array<int, 6> scores, double total)
{
    return {name, scores[0], scores[1], scores[2], scores[3], scores[4], scores[5], total};
}

// The helper process of the sharing test: appends `count` lines for `name`, numbering them in
// the first score.
int appendLines(const QString &name, int count)
{
    const ResultsFile file;
    for (int i = 0; i < count; ++i)
        file.AppendResult(record(name, {i % 30000, 1, 2, 3, 4, 5}, 0.125));
    return 0;
}

} // namespace

using Expected = std::optional<Outcome>;
Q_DECLARE_METATYPE(Expected)
Q_DECLARE_METATYPE(ResultRecord)

class ResultsFileTest : public QObject
{
    Q_OBJECT

private slots:
    void lineIsByteExact_data();
    void lineIsByteExact();
    void writtenLineReadsBack_data();
    void writtenLineReadsBack();
    void reading_data();
    void reading();
    void totals_data();
    void totals();
    void localeTotal_data();
    void localeTotal();
    void hugeLinesAreBounded();
    void garbageReadsAlikeOnBothPaths();
    void missingOrOddFileIsAReadFailure();
    void appendFailureSaysWhyAndKeepsTheFile_data();
    void appendFailureSaysWhyAndKeepsTheFile();
    void twoProgramsAppendWithoutMixingLines();
};

void ResultsFileTest::lineIsByteExact_data()
{
    QTest::addColumn<ResultRecord>("record");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("example") << record("Ученик", {10, 10, 10, 3, 10, 8}, 4.125)
                             << QByteArray(
                                    "\"\xD3\xF7\xE5\xED\xE8\xEA\",10,10,10,3,10,8,4.125\r\n");
    QTest::newRow("empty name, all zero")
        << record("", {0, 0, 0, 0, 0, 0}, 0) << QByteArray("\"\",0,0,0,0,0,0,0\r\n");
    QTest::newRow("comma") << record("Иванов, Пётр", {1, 0, 0, 0, 0, 0}, 0.125)
                           << "\"" + cp1251("Иванов, Пётр") + "\",1,0,0,0,0,0,0.125\r\n";
    QTest::newRow("double quote") << record("Он \"Ас\"", {0, 0, 0, 0, 0, 0}, 5)
                                  << "\"" + cp1251("Он 'Ас'") + "\",0,0,0,0,0,0,5\r\n";
    QTest::newRow("line breaks and tab") << record("Аня\r\nБоря\tи\x7f", {0, 0, 0, 0, 0, 0}, 0)
                                         << "\"" + cp1251("Аня  Боря и ") + "\",0,0,0,0,0,0,0\r\n";
    QTest::newRow("outside the code page")
        << record("Jürgen 😀 王芳 €№", {0, 0, 0, 0, 0, 0}, 0)
        << QByteArray("\"J?rgen ? ?? \x88\xB9\",0,0,0,0,0,0,0\r\n");
    QTest::newRow("negative") << record("a", {-9, 0, 0, 0, -1, -32768}, -1.125)
                              << QByteArray("\"a\",-9,0,0,0,-1,-32768,-1.125\r\n");
    QTest::newRow("extremes") << record("a", {32767, 0, 0, 0, 0, 0}, 4095.875)
                              << QByteArray("\"a\",32767,0,0,0,0,0,4095.875\r\n");
    QTest::newRow("lowest total") << record("a", {0, 0, 0, 0, 0, 0}, -4096)
                                  << QByteArray("\"a\",0,0,0,0,0,0,-4096\r\n");
}

void ResultsFileTest::lineIsByteExact()
{
    QFETCH(ResultRecord, record);
    QFETCH(QByteArray, line);
    QCOMPARE(ResultsFile::formatLine(record), line);
    if (QTest::currentDataTag() == QByteArray("example"))
        QCOMPARE(line.size(), 32);
}

void ResultsFileTest::writtenLineReadsBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("readName");
    QTest::newRow("comma") << "Иванов, Пётр"
                           << "Иванов, Пётр";
    QTest::newRow("quote") << "\""
                           << "'";
    QTest::newRow("line break") << "a\nb"
                                << "a b";
    QTest::newRow("emoji") << "Jürgen 😀"
                           << "J?rgen ?";
    QTest::newRow("empty") << ""
                           << "";
}

// Whatever name is typed, the other records of the file stay readable.
void ResultsFileTest::writtenLineReadsBack()
{
    QFETCH(QString, name);
    QFETCH(QString, readName);
    const QByteArray neighbour = ResultsFile::formatLine(record("Сосед", {1, 2, 3, 4, 5, 6}, 1.25));
    const QByteArray bytes =
        neighbour + ResultsFile::formatLine(record(name, {7, 7, 7, 7, 7, 7}, 3.5)) + neighbour;
    for (auto path : {ResultsParser::Path::Fast, ResultsParser::Path::General}) {
        PieceSource source(bytes, 1 << 16);
        const ResultList list = ResultsParser(source, path).parse();
        QCOMPARE(list.count(), 3);
        QCOMPARE(cells(list.at(1)), QStringList({readName, "7", "7", "7", "7", "7", "7", "4"}));
        QCOMPARE(cells(list.at(2)), QStringList({"Сосед", "1", "2", "3", "4", "5", "6", "1"}));
    }
}

void ResultsFileTest::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Expected>("expected");

    const auto ok = [](qint64 count, QStringList newest) {
        return Expected(Outcome{count, newest});
    };
    const Expected failure;
    const QByteArray example("\"\xD3\xF7\xE5\xED\xE8\xEA\",10,10,10,3,10,8,4.125\r\n");
    const QStringList exampleCells{"Ученик", "10", "10", "10", "3", "10", "8", "4"};

    QTest::newRow("empty file") << QByteArray() << ok(0, {});
    QTest::newRow("example") << example << ok(1, exampleCells);
    QTest::newRow("two, last without line end")
        << example + example.chopped(2) << ok(2, exampleCells);
    QTest::newRow("lone LF and lone CR")
        << QByteArray("\"a\",1,2,3,4,5,6,7\n\"b\",1,2,3,4,5,6,7\r\"c\",1,2,3,4,5,6,8\n")
        << ok(3, {"c", "1", "2", "3", "4", "5", "6", "8"});
    QTest::newRow("record over two lines") << QByteArray("\"a\",1,2,3\r\n4,5,6,7\r\n")
                                           << ok(1, {"a", "1", "2", "3", "4", "5", "6", "7"});
    QTest::newRow("comma in the name")
        << QByteArray("\"Ivanov, Petr\",1,2,3,4,5,6,7\r\n")
        << ok(1, {"Ivanov, Petr", "1", "2", "3", "4", "5", "6", "7"});
    QTest::newRow("blanks around fields") << QByteArray(" \t\"a b\" , 1 ,2\t, 3,4,5,6, 4.5 \r\n")
                                          << ok(1, {"a b", "1", "2", "3", "4", "5", "6", "4"});
    QTest::newRow("text after the closing quote")
        << QByteArray("\"a\"bc\"d,1,2,3,4,5,6,7\r\n")
        << ok(1, {"a", "1", "2", "3", "4", "5", "6", "7"});
    QTest::newRow("line end inside quotes") << QByteArray("\"a\r\nb\",1,2,3,4,5,6,7\r\n")
                                            << ok(1, {"a  b", "1", "2", "3", "4", "5", "6", "7"});
    QTest::newRow("odd scores shown as read")
        << QByteArray("\"a\",x y,,-,1.5,\"q,r\",0x10,7\r\n")
        << ok(1, {"a", "x y", "", "-", "1.5", "q,r", "0x10", "7"});
    QTest::newRow("NUL and control bytes") << bytesOf("\"a\0b\x01\",1,2,3,4,5,6,7\r\n")
                                           << ok(1, {"a b ", "1", "2", "3", "4", "5", "6", "7"});
    QTest::newRow("byte 0x98") << QByteArray("\"a\x98\xE0\",1,2,3,4,5,6,7\r\n")
                               << ok(1, {"a?а", "1", "2", "3", "4", "5", "6", "7"});
    QTest::newRow("quoted total") << QByteArray("\"a\",1,2,3,4,5,6,\"3.5\"\r\n")
                                  << ok(1, {"a", "1", "2", "3", "4", "5", "6", "4"});
    QTest::newRow("unquoted name")
        << cp1251("Петя,1,2,3,4,5,6,7\r\n") << ok(1, {"Петя", "1", "2", "3", "4", "5", "6", "7"});

    // The failures: nothing is shown from a file that has one.
    QTest::newRow("total not a number") << example + "\"a\",1,2,3,4,5,6,abc\r\n" << failure;
    QTest::newRow("total out of range") << QByteArray("\"a\",1,2,3,4,5,6,32767.5\r\n") << failure;
    QTest::newRow("ends inside a record") << example + "\"a\",1,2,3" << failure;
    QTest::newRow("empty line after the last") << example + "\r\n" << failure;
    QTest::newRow("blank line between") << example + "\r\n" + example << failure;
    QTest::newRow("unclosed quote") << QByteArray("\"abc,1,2,3,4,5,6,7\r\n") << failure;
    QTest::newRow("nine fields") << QByteArray("\"a\",1,2,3,4,5,6,7,8\r\n") << failure;
    QTest::newRow("binary") << bytesOf("\x00\xff\x98\r\n\x01,,,\"") << failure;
    QTest::newRow("overlong total") << "\"a\",1,2,3,4,5,6," + QByteArray(300, '0') + "7\r\n"
                                    << failure;
}

void ResultsFileTest::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Expected, expected);
    for (auto path : {ResultsParser::Path::Fast, ResultsParser::Path::General}) {
        for (qint64 piece : {qint64(1), qint64(2), qint64(7), qint64(1) << 20}) {
            const Expected got = parse(bytes, path, piece);
            if (got != expected) {
                qWarning() << "path" << int(path) << "piece" << piece << "count"
                           << (got ? got->count : -1) << (got ? got->newest : QStringList());
                QFAIL("unexpected outcome");
            }
        }
    }
}

void ResultsFileTest::totals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value"); // -99999: not a total

    const int no = -99999;
    const std::pair<const char *, int> rows[] = {
        {"4.125", 4},     {"4.875", 5},        {"2.5", 2},      {"3.5", 4},
        {"-2.5", -2},     {"-3.5", -4},        {"0.125", 0},    {".125", 0},
        {"0.5", 0},       {"1.5", 2},          {"5", 5},        {"5.", 5},
        {"+3", 3},        {"-0", 0},           {"007", 7},      {"2.5000000000000000000001", 3},
        {"-4096", -4096}, {"32767.4", 32767},  {"32767.5", no}, {"-32768.5", -32768},
        {"-32768.6", no}, {"99999999999", no}, {"1e9", no},     {"nan", no},
        {"inf", no},      {"0x10", no},        {"", no},        {".", no},
        {"-", no},        {"1 2", no},         {"4.1.2", no},   {"--1", no},
        {"4,5", no}};
    for (const auto &[text, value] : rows)
        QTest::newRow(*text ? text : "empty") << QByteArray(text) << value;
}

void ResultsFileTest::totals()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    const auto parsed = parseTotal(std::string_view(text.constData(), text.size()));
    QCOMPARE(parsed ? int(*parsed) : -99999, value);
}

void ResultsFileTest::localeTotal_data()
{
    QTest::addColumn<double>("total");
    QTest::addColumn<QString>("russian");
    QTest::addColumn<QString>("file");
    QTest::newRow("4.125") << 4.125 << "4,125"
                           << "4.125";
    QTest::newRow("whole") << 5.0 << "5"
                           << "5";
    QTest::newRow("below 1") << 0.125 << "0,125"
                             << "0.125";
    QTest::newRow("negative") << -1.125 << "-1,125"
                              << "-1.125";
    QTest::newRow("no thousands separator") << 4095.875 << "4095,875"
                                            << "4095.875";
    QTest::newRow("zero") << 0.0 << "0"
                          << "0";
}

void ResultsFileTest::localeTotal()
{
    QFETCH(double, total);
    QFETCH(QString, russian);
    QFETCH(QString, file);
    QCOMPARE(localeTotalText(total, QLocale(QLocale::Russian, QLocale::Russia)), russian);
    QCOMPARE(localeTotalText(total, QLocale::c()), file);
    QCOMPARE(totalText(total), file);
}

// A name of several megabytes is cut, a garbage line of several megabytes is a failure;
// neither takes more than the reader's fixed buffers.
void ResultsFileTest::hugeLinesAreBounded()
{
    const QByteArray longName(6 << 20, '\xE0');
    const QByteArray bytes = "\"" + longName + "\",1,2,3,4,5,6,7\r\n";
    for (auto path : {ResultsParser::Path::Fast, ResultsParser::Path::General}) {
        const Expected got = parse(bytes, path, 1 << 16);
        QVERIFY(got);
        QCOMPARE(got->count, 1);
        QCOMPARE(got->newest.first(), QString(ResultsParser::kMaxField, QChar(u'а')));
    }
    QVERIFY(!parse(QByteArray(6 << 20, 'x'), ResultsParser::Path::Fast, 1 << 16));
}

// Lines in the program's layout (short ones, and ones too long for a look at 64 bytes at once)
// with a few bytes changed to characters that matter to the reader, and random runs of such
// characters: both paths agree on every input, whatever the pieces.
void ResultsFileTest::garbageReadsAlikeOnBothPaths()
{
    QRandomGenerator random(20240607);
    const char alphabet[] = "\"\",,,\r\n\r\n 12.5-x\t\x98\0";
    const auto pick = [&] { return alphabet[random.bounded(int(sizeof alphabet))]; };
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes;
        if (round % 2 == 0) {
            for (int line = int(random.bounded(1, 4)); line > 0; --line)
                bytes += ResultsFile::formatLine(record(round % 4 == 0 ? QString(70, u'Ж') : "Ана",
                                                        {line, 22, 3, 4, 5, 6}, 4.125));
            for (int change = int(random.bounded(1, 4)); change > 0; --change) {
                const int at = int(random.bounded(int(bytes.size())));
                if (random.bounded(2) == 0)
                    bytes[at] = pick();
                else
                    bytes.insert(at, pick());
            }
        } else {
            for (int i = int(random.bounded(200)); i > 0; --i)
                bytes += pick();
        }
        const Expected general = parse(bytes, ResultsParser::Path::General, 1 << 16);
        for (qint64 piece : {qint64(1), qint64(3), qint64(1) << 16}) {
            if (parse(bytes, ResultsParser::Path::Fast, piece) != general)
                QFAIL(qPrintable("paths differ on " + bytes.toPercentEncoding()));
        }
    }
}

void ResultsFileTest::missingOrOddFileIsAReadFailure()
{
    WorkFolder folder;
    QVERIFY(folder.isValid());
    const ResultsFile file;
    QVERIFY_THROWS_EXCEPTION(ResultsFailure, file.LoadResults());
    QVERIFY(QDir().mkdir("res.txt"));
    QVERIFY_THROWS_EXCEPTION(ResultsFailure, file.LoadResults());
    QVERIFY(QDir().rmdir("res.txt"));
    // A device that never ends must not be read for ever.
    QVERIFY(QFile::link("/dev/zero", folder.path()));
    QVERIFY_THROWS_EXCEPTION(ResultsFailure, file.LoadResults());
}

void ResultsFileTest::appendFailureSaysWhyAndKeepsTheFile_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full") << "full"
                               << "нет места на диске";
    QTest::newRow("folder of that name") << "folder"
                                         << "под этим именем находится папка";
    QTest::newRow("read-only file") << "read-only"
                                    << "нет прав на запись";
    QTest::newRow("read-only folder") << "read-only folder"
                                      << "нет прав на запись";
}

void ResultsFileTest::appendFailureSaysWhyAndKeepsTheFile()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    WorkFolder folder;
    QVERIFY(folder.isValid());
    const QByteArray before = ResultsFile::formatLine(record("Старый", {1, 1, 1, 1, 1, 1}, 0.5));
    QString target = "res.txt";
    if (setup == "full") {
        QVERIFY(QFile::link("/dev/full", folder.path()));
    } else if (setup == "folder") {
        QVERIFY(QDir().mkdir("res.txt"));
    } else {
        if (::geteuid() == 0)
            QSKIP("permissions do not stop the superuser");
        // A read-only file in a folder, or no file yet in a read-only folder.
        QVERIFY(QDir().mkdir("sub"));
        target = "sub/res.txt";
        if (setup == "read-only")
            QVERIFY(folder.write(before, target));
        const QString changed = setup == "read-only" ? folder.path(target) : folder.path("sub");
        QVERIFY(QFile::setPermissions(changed, QFile::ReadOwner | QFile::ExeOwner));
    }
    try {
        ResultsFile(target).AppendResult(record("Новый", {0, 0, 0, 0, 0, 0}, 0));
        QFAIL("the append did not fail");
    } catch (const AppendFailure &failure) {
        QCOMPARE(failure.reason(), reason);
    }
    if (setup == "read-only")
        QCOMPARE(folder.read(target), before);
    if (setup == "read-only folder") {
        QVERIFY(!QFile::exists(target));
        QFile::setPermissions(folder.path("sub"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

// Two programs sharing one file: every line arrives whole, none is lost, and a reader in
// between never meets half a line.
void ResultsFileTest::twoProgramsAppendWithoutMixingLines()
{
    WorkFolder folder;
    QVERIFY(folder.isValid());
    constexpr int kLines = 10000;
    QProcess first;
    QProcess second;
    for (auto [process, name] : {std::pair{&first, "Первый"}, std::pair{&second, "Второй"}}) {
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QCoreApplication::applicationFilePath(),
                       {"--append-lines", name, QString::number(kLines)});
    }
    const ResultsFile file;
    int reads = 0;
    while (first.state() != QProcess::NotRunning || second.state() != QProcess::NotRunning) {
        try {
            file.LoadResults();
            ++reads;
        } catch (const ResultsFailure &) {
            if (QFile::exists("res.txt"))
                QFAIL("a reader met a half-written file");
        }
        first.waitForFinished(5);
        second.waitForFinished(5);
    }
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);

    const QList<QByteArray> lines = folder.read().split('\n');
    QCOMPARE(lines.size(), 2 * kLines + 1);
    QVERIFY(lines.last().isEmpty());
    const QByteArray firstName = cp1251("Первый");
    const QByteArray secondName = cp1251("Второй");
    int nextFirst = 0;
    int nextSecond = 0;
    for (int i = 0; i < 2 * kLines; ++i) {
        const QByteArray &line = lines[i];
        int &next = line.startsWith("\"" + firstName) ? nextFirst : nextSecond;
        const QByteArray &name = &next == &nextFirst ? firstName : secondName;
        QCOMPARE(line, "\"" + name + "\"," + QByteArray::number(next) + ",1,2,3,4,5,0.125\r");
        ++next;
    }
    QCOMPARE(nextFirst, kLines);
    QCOMPARE(nextSecond, kLines);
    QCOMPARE(file.LoadResults().count(), 2 * kLines);
    qInfo("the reader read the file %d times while the lines were written", reads);
}

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--append-lines") == 0)
        return appendLines(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    QApplication app(argc, argv);
    ResultsFileTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resultsfile.moc"
