#include "crc32.h"
#include "datedlook.h"
#include "datesfile.h"
#include "linelog.h"
#include "piecesource.h"
#include "recorddates.h"
#include "resultsfile.h"
#include "resultsparser.h"
#include "workfolder.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTemporaryFile>
#include <QTest>
#include <csignal>
#include <map>
#include <sys/resource.h>
#include <unistd.h>

namespace {

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

// The dates file beside a results file: the course's line for each record it saves, and the
// matching of the lines to the records as the journal reads them.
class DatesTest : public QObject
{
    Q_OBJECT

private slots:
    void datesFileBesideTheRecord_data();
    void datesFileBesideTheRecord();
    void datesLines_data();
    void datesLines();
    void datesMatchTheirRecords_data();
    void datesMatchTheirRecords();
    void datesAgainstPlainModel();
};

void DatesTest::datesFileBesideTheRecord_data()
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
void DatesTest::datesFileBesideTheRecord()
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

void DatesTest::datesLines_data()
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
void DatesTest::datesLines()
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

void DatesTest::datesMatchTheirRecords_data()
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
    // Records edited, cut or added, and dates files cut, are datesAgainstPlainModel's on random
    // files; here what it does not make.
    // clang-format off
    QTest::newRow("all agree") << all << dates << QStringList{one, two, three};
    QTest::newRow("a length edited") << all << dateLine(0, a, t1) + DatesFile::format({at2, b.size() - 1, Crc32::of(std::string_view(b)), 0, 0, "m2"}) +
                                                dateLine(at3, c, t3, "=m3")
                                     << QStringList{one, "2:", three};
    // Of two lines for one place only the last can date it, though both agree with it.
    QTest::newRow("cut and the same written again") << all << dates + dateLine(at3, c, t4) << QStringList{one, two, threeLater};
    QTest::newRow("a later line inside a record") << all << dates + dateLine(at2 + 1, c, t4) << QStringList{one, "2:", "3:"};
    QTest::newRow("a later line at a record's last byte") << all << dates + dateLine(at3 - 1, c, t4) << QStringList{one, "2:", "3:"};
    QTest::newRow("replaced") << record("Катя") + record("Лена") + record("Миша") << dates << QStringList{"1:", "2:", "3:"};
    QTest::newRow("a line put in by hand") << a + record("Петя") + b + c << dates << QStringList{one, "2:", "3:", "4:"};
    QTest::newRow("another file's dates") << all << dateLine(0, record("Катя"), t1) + dateLine(at2, record("Лена"), t2) << QStringList{"1:", "2:", "3:"};
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
void DatesTest::datesMatchTheirRecords()
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
void DatesTest::datesAgainstPlainModel()
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

QTEST_GUILESS_MAIN(DatesTest)
#include "tst_dates.moc"
