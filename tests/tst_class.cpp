#include "classlist.h"
#include "classlistdialog.h"
#include "classmenu.h"
#include "courserules.h"
#include "cp1251.h"
#include "datesfile.h"
#include "journalfilter.h"
#include "journalwindow.h"
#include "mergedialog.h"
#include "misspellings.h"
#include "namefold.h"
#include "namemerges.h"
#include "pupilschart.h"
#include "pupilsmodel.h"
#include "recordsmodel.h"
#include "shownname.h"
#include "workbookwriter.h"
#include "workfolder.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QValueAxis>
#include <ctime>
#include <sys/stat.h>

namespace {

QByteArray cp1251(const QString &text)
{
    Cp1251 codePage;
    return codePage.encode(text);
}

// The optimal string alignment distance, the whole table: what the banded one must agree with.
int plainDistance(const QString &a, const QString &b)
{
    std::vector<std::vector<int>> d(size_t(a.size() + 1), std::vector<int>(size_t(b.size() + 1)));
    for (qsizetype i = 0; i <= a.size(); ++i) {
        for (qsizetype j = 0; j <= b.size(); ++j) {
            if (i == 0 || j == 0) {
                d[i][j] = int(i + j);
                continue;
            }
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return std::min(d[a.size()][b.size()], Misspellings::kMaxEdits + 1);
}

// The records, each "name|L,R,D,M,G1,G2|total|when" (an ISO time with its offset, or "-" for
// none), as the reading thread hands them to the model; the doubts as the reader finds them.
void feed(RecordsModel &records, const QStringList &lines, const QString &file = "res.txt")
{
    records.addFiles({file});
    JournalBatch batch;
    for (const QString &line : lines) {
        const QStringList fields = line.split('|');
        if (!batch.names.contains(fields[0]))
            batch.names << fields[0];
        JournalRecord &record = batch.records.emplace_back();
        record.name = quint32(batch.names.indexOf(fields[0]));
        record.line = quint32(batch.records.size());
        const QStringList scores = fields[1].split(',');
        for (size_t i = 0; i < record.scores.size(); ++i)
            record.scores[i] = qint16(scores[qsizetype(i)].toInt());
        record.total = fields[2].toDouble();
        record.doubts = CourseRules::doubts(record.scores, record.total);
        if (fields[3] != "-") {
            record.when = DatesFile::parseIsoTime(fields[3].toStdString())->first;
            record.dating = JournalRecord::Dating::Exact;
        }
    }
    records.apply(batch);
}

// The pupils as "name|attempts|first|best|latest|complete|listed", one a line.
QString pupilRows(const PupilsModel &pupils)
{
    QStringList rows;
    for (int row = 0; row < pupils.rowCount(); ++row) {
        QStringList cells;
        for (int column :
             {PupilsModel::Name, PupilsModel::Attempts, PupilsModel::First, PupilsModel::Best,
              PupilsModel::Latest, PupilsModel::Complete, PupilsModel::Listed})
            cells << (column < pupils.columnCount() ? pupils.text(row, column) : "-");
        rows << cells.join('|');
    }
    return rows.join('\n');
}

// A member of the workbook as its bytes, through unzip.
QByteArray unzipped(const QString &workbook, const QString &member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook, member});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput();
}

// The cell's element in a sheet's XML, as <c r="B5" ...>...</c>.
QString cellXml(const QString &sheet, const QString &reference)
{
    const QRegularExpression cell(QStringLiteral("<c r=\"%1\"[^>]*(/>|>.*?</c>)").arg(reference));
    return cell.match(sheet).captured(0);
}

} // namespace

class ClassTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { QSettings(QStringLiteral("mouse-tutor"), QStringLiteral("journal")).clear(); }

    void classList_data();
    void classList();
    void merges();
    void distance_data();
    void distance();
    void distanceAgainstTheWholeTable();
    void hints();
    void shownName_data();
    void shownName();
    void pupilsOfTheClass_data();
    void pupilsOfTheClass();
    void classInTheWindow();
    void workbook();
    void workbookPastTheRowLimit();
    void workbookFailures_data();
    void workbookFailures();
};

void ClassTest::classList_data()
{
    QTest::addColumn<QString>("kind"); // what stands under the name
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("repeats");
    QTest::addColumn<QString>("problem"); // a part of it

    const QByteArray bom = "\xEF\xBB\xBF";
    QByteArray many;
    for (int i = 0; i <= ClassList::kMaxNames; ++i)
        many += "Pupil " + QByteArray::number(i) + "\n";
    // clang-format off
    QTest::newRow("utf-8 and 1251 by line") << "plain" << QString("Иванов Петя\n").toUtf8() + cp1251("Сидорова Аня\r\n") + "Petrov" << "Иванов Петя|Сидорова Аня|Petrov" << "" << "";
    // Valid UTF-8 with no letter beyond ASCII is read as Windows-1251.
    QTest::newRow("utf-8 without letters") << "plain" << QByteArray("\xE2\x84\x96 5") << "в„– 5" << "" << "";
    QTest::newRow("mark makes the file utf-8") << "plain" << bom + QString("Ёжиков Лёва\r").toUtf8() + "\xE2\x84\x96 5\r" << "Ёжиков Лёва|№ 5" << "" << "";
    QTest::newRow("blanks and comments") << "plain" << QString("  # 5 «Б»\n\n \t \n  Петров \t  Вася  \r\n#Козлов\nКозлов  Дима").toUtf8() << "Петров Вася|Козлов Дима" << "" << "";
    QTest::newRow("repeats kept once, reported once") << "plain" << QString("Семёнов Егор\nИванов\nсеменов  егор\nИВАНОВ\n СЕМЕНОВ ЕГОР\n").toUtf8() << "Семёнов Егор|Иванов" << "Семёнов Егор:1,3,5|Иванов:2,4" << "";
    QTest::newRow("line too long") << "plain" << "Ok\n" + QByteArray(ClassList::kMaxLineLength + 1, 'x') << "" << "" << "строка 2 длиннее 200 знаков";
    QTest::newRow("line at the cap") << "plain" << QByteArray(ClassList::kMaxLineLength, 'x') << QString(200, 'x') << "" << "";
    QTest::newRow("too many names") << "plain" << many << "" << "" << "больше 1000 имён";
    QTest::newRow("file too big") << "plain" << QByteArray(ClassList::kMaxFileSize + 1, '#') << "" << "" << "больше 1 МиБ";
    QTest::newRow("folder") << "folder" << QByteArray() << "" << "" << "это папка";
    QTest::newRow("pipe") << "pipe" << QByteArray() << "" << "" << "не обычный файл";
    QTest::newRow("missing") << "missing" << QByteArray() << "" << "" << "файл не найден";
    // clang-format on
}

void ClassTest::classList()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, names);
    QFETCH(QString, repeats);
    QFETCH(QString, problem);

    WorkFolder folder;
    const QString path = QStringLiteral("list.txt");
    if (kind == "plain") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == "pipe") {
        QCOMPARE(::mkfifo("list.txt", 0600), 0);
    }
    QList<ClassList> lists{ClassList::fromFile(path)};
    // Pasted, the same text reads the same.
    if (kind == "plain" && !bytes.startsWith("\xEF\xBB\xBF") && bytes.isValidUtf8() &&
        QString::fromUtf8(bytes).contains(QRegularExpression("[а-яё]")))
        lists << ClassList::fromText(QChar(0xFEFF) + QString::fromUtf8(bytes));
    for (const ClassList &list : std::as_const(lists)) {
        QCOMPARE(list.names().join('|'), names);
        QStringList found;
        for (const ClassList::Repeat &repeat : list.repeats()) {
            QStringList lines;
            for (int line : repeat.lines)
                lines << QString::number(line);
            found << repeat.name + ':' + lines.join(',');
        }
        QCOMPARE(found.join('|'), repeats);
        QVERIFY2(problem.isEmpty() ? list.problem().isEmpty() : list.problem().contains(problem),
                 qPrintable(list.problem()));
        for (const QString &name : list.names()) {
            QVERIFY(list.contains(foldName(name.toUpper() + ' ')));
            QCOMPARE(list.listedName(foldName(name.toUpper())), name);
        }
    }
    const ClassList list = lists.front();
    if (!repeats.isEmpty())
        QCOMPARE(list.repeatNotes().front(), "«Семёнов Егор» повторяется в строках 1, 3, 5");
    QVERIFY(!list.contains(foldName("Нет Такого")));
    QVERIFY(list.listedName(foldName("Нет Такого")).isEmpty());
}

void ClassTest::merges()
{
    const auto listed = [](const NameMerges &merges) {
        QStringList shown;
        for (const NameMerges::Merge &merge : merges.merges())
            shown << merge.name + '>' + merge.into;
        return shown.join('|');
    };
    QString problem;
    {
        NameMerges merges;
        QVERIFY(merges.merge("Михаилова Настя", "Михайлова Настя"));
        QVERIFY(merges.merge("Михайлова  Настя", "Михайлова Анастасия"));
        QCOMPARE(merges.pupilOf(foldName("МИХАИЛОВА НАСТЯ")), foldName("Михайлова Анастасия"));
        // Back into a name that leads here, however far: refused.
        QVERIFY(!merges.merge("Михайлова Анастасия", "михаилова настя", &problem));
        QVERIFY2(problem.contains("уже объединён"), qPrintable(problem));
        QVERIFY(!merges.merge("Семёнов Егор", "семенов егор", &problem));
        QVERIFY(merges.merge("Петров", "Петров Вася"));
        QVERIFY(merges.merge("Петров", "Петров Василий")); // in place of the first
        QVERIFY(merges.merge("Ким", "Петров"));
        // A name that leads on through the one merged: refused, though it is not the end.
        QVERIFY(!merges.merge("Петров", "Ким", &problem));
        QCOMPARE(merges.pupilOf(foldName("Ким")), foldName("Петров Василий"));
    }
    NameMerges merges; // as after a restart
    QCOMPARE(listed(merges), "Михаилова Настя>Михайлова Настя|Михайлова  Настя>Михайлова "
                             "Анастасия|Петров>Петров Василий|Ким>Петров");
    QCOMPARE(merges.pupilOf(foldName("Ким")), foldName("Петров Василий"));
    QVERIFY(merges.undo("петров"));
    QVERIFY(!merges.undo("петров"));
    QCOMPARE(merges.pupilOf(foldName("Ким")), foldName("Петров"));
    QCOMPARE(merges.pupilOf(foldName("Петров")), foldName("Петров"));
    QVERIFY(merges.merge("Петров Василий", "Ким")); // no longer a loop
    QCOMPARE(listed(NameMerges()),
             "Михаилова Настя>Михайлова Настя|Михайлова  Настя>Михайлова Анастасия|Ким>Петров|"
             "Петров Василий>Ким");

    // A loop written into the settings by hand is broken where it closes.
    QSettings settings(QStringLiteral("mouse-tutor"), QStringLiteral("journal"));
    settings.clear();
    settings.beginWriteArray("nameMerges");
    const QStringList loop = {"а", "б", "б", "в", "в", "а", "", "г", QString(2000, 'x'), "д"};
    for (int i = 0; i < loop.size() / 2; ++i) {
        settings.setArrayIndex(i);
        settings.setValue("name", loop[2 * i]);
        settings.setValue("into", loop[2 * i + 1]);
    }
    settings.endArray();
    settings.sync();
    QCOMPARE(listed(NameMerges()), "а>б|б>в");
}

void ClassTest::distance_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("edits");
    // Short texts of every kind are distanceAgainstTheWholeTable's; here folded names, long ones
    // and the band's edges.
    // clang-format off
    QTest::newRow("neighbours swapped") << "Иванов Петя" << "Иванов еПтя" << 1;
    QTest::newRow("swapped at the start") << "Анна" << "нАна" << 1;
    QTest::newRow("two at the ends") << "Ким" << "аКими" << 2;
    QTest::newRow("three") << "Сидорова Аня" << "Сидрва Оня" << 3;
    QTest::newRow("ё and case") << "Семёнов ЕГОР" << "семенов   егор" << 0;
    QTest::newRow("empty") << "" << "ая" << 2;
    QTest::newRow("long, one") << QString(300, u'я') + "а" << QString(300, u'я') + "б" << 1;
    QTest::newRow("long, three") << "ааа" + QString(300, u'я') << QString(300, u'я') << 3;
    // clang-format on
}

void ClassTest::distance()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, edits);
    QCOMPARE(Misspellings::distance(foldName(a), foldName(b)), edits);
    QCOMPARE(Misspellings::distance(foldName(b), foldName(a)), edits);
}

void ClassTest::distanceAgainstTheWholeTable()
{
    // Short texts over three letters meet every case of the band's edges.
    QRandomGenerator random(20240901);
    const auto text = [&] {
        QString s;
        for (int i = random.bounded(9); i > 0; --i)
            s += QChar(u'а' + random.bounded(3));
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const QString a = text();
        const QString b = random.bounded(2) ? text()
                                            : a.left(random.bounded(a.size() + 1)) +
                                                  text().left(2) + a.mid(a.size() / 2);
        QVERIFY2(Misspellings::distance(a, b) == plainDistance(a, b), qPrintable(a + " / " + b));
    }
}

void ClassTest::hints()
{
    const ClassList list = ClassList::fromText("Михайлова Настя\nСемёнов Егор\nКим Юля\nКим Оля");
    QStringList names;
    for (const char *name : {"Семенов Егор", "Михаилова Настя", "Михаилова  Наста", "Кин Юля",
                             "Совсем Другой", "Ким Юля"})
        names << foldName(name);
    const std::vector<Misspellings::Hint> hints = Misspellings::find(names, list);
    QStringList found;
    for (const Misspellings::Hint &hint : hints)
        found << hint.name + ": " + hint.listed.join(", ") + " / " + hint.others.join(", ");
    QCOMPARE(found, QStringList({"михаилова настя: Михайлова Настя / михаилова наста",
                                 "михаилова наста: Михайлова Настя / михаилова настя",
                                 "кин юля: Ким Юля, Ким Оля / "}));
}

void ClassTest::shownName_data()
{
    QTest::addColumn<QStringList>("spellings"); // "text:count", as first seen
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("shown");

    // clang-format off
    QTest::newRow("listed") << QStringList{"семенов егор:5"} << "Семёнов Егор" << "Семёнов Егор";
    QTest::newRow("most typed") << QStringList{"Семенов Егор:1", "Семёнов Егор:2"} << "" << "Семёнов Егор";
    QTest::newRow("tie: first seen") << QStringList{"Семёнов Егор:2", "Семенов Егор:2"} << "" << "Семёнов Егор";
    QTest::newRow("none") << QStringList{} << "" << "";
    // clang-format on
}

void ClassTest::shownName()
{
    QFETCH(QStringList, spellings);
    QFETCH(QString, listed);
    std::vector<NameSpelling> given;
    for (const QString &spelling : spellings)
        given.push_back({spelling.section(':', 0, 0), spelling.section(':', 1).toInt()});
    QTEST(::shownName(given, listed), "shown");
}

void ClassTest::pupilsOfTheClass_data()
{
    QTest::addColumn<QStringList>("records"); // as feed() reads them
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("merges"); // "name>into"
    QTest::addColumn<bool>("countDoubtful");
    QTest::addColumn<bool>("today");     // the period: 8 December 2026 in Moscow, or all the time
    QTest::addColumn<QString>("pupils"); // as pupilRows() writes them
    QTest::addColumn<QString>("counts"); // without attempts, of the list; the chart's axis ends at

    const QString day = "2026-12-08T10:00:00+03:00", before = "2026-12-07T10:00:00+03:00";
    const QStringList lesson = {"Аня|10,10,10,10,10,10|5|" + day, "Боря|8,8,8,8,0,0|4|" + before,
                                "Гоша|8,8,8,8,0,0|4|" + day};
    const QStringList typo = {"Михайлова Настя|8,8,8,8,0,0|4|-",
                              "Михаилова Настя|10,10,10,10,0,0|5|-",
                              "Михаилова Настя|4,4,4,4,0,0|2|-"};
    const QString forged = "Ким|10,10,10,10,10,10|10.25|-";
    // clang-format off
    QTest::newRow("absent in the period") << lesson << "Аня\nБоря\nВера" << QStringList() << false << true
        << "Аня|1|5|5|5|да|да\nБоря|нет попыток|||||да\nВера|нет попыток|||||да\nГоша|1|4|4|4|нет|нет" << "2 3 5";
    QTest::newRow("absent all the time") << lesson << "Аня\nБоря\nВера" << QStringList() << false << false
        << "Аня|1|5|5|5|да|да\nБоря|1|4|4|4|нет|да\nВера|нет попыток|||||да\nГоша|1|4|4|4|нет|нет" << "1 3 5";
    QTest::newRow("no list") << lesson << "" << QStringList() << false << false
        << "Аня|1|5|5|5|да|-\nБоря|1|4|4|4|нет|-\nГоша|1|4|4|4|нет|-" << "0 0 5";
    QTest::newRow("a typo merged") << typo << "Михайлова Настя" << QStringList{"Михаилова  настя>Михайлова Настя"} << false << false
        << "Михайлова Настя|3|4|5|2|да|да" << "0 1 5";
    QTest::newRow("the listed name merged into the typo") << typo << "Михайлова Настя" << QStringList{"Михайлова Настя>Михаилова Настя"} << false << false
        << "Михайлова Настя|3|4|5|2|да|да" << "0 1 5";
    QTest::newRow("the listed spelling") << QStringList{"семенов  егор|8,8,8,8,0,0|4|-"} << "Семёнов Егор" << QStringList() << false << false
        << "Семёнов Егор|1|4|4|4|нет|да" << "0 1 5";
    QTest::newRow("typed most, ё and all") << QStringList{"Семенов Егор|8,8,8,8,0,0|4|-", "Семёнов Егор|8,8,8,8,0,0|4|-", "Семёнов Егор|8,8,8,8,0,0|4|-"}
        << "" << QStringList() << false << false << "Семёнов Егор|3|4|4|4|нет|-" << "0 0 5";
    QTest::newRow("forged, left out") << QStringList{forged, "Ким|8,8,8,8,0,0|4|-"} << "" << QStringList() << false << false
        << "Ким|2|4|4|4|нет|-" << "0 0 5";
    QTest::newRow("forged, counted in") << QStringList{forged, "Ким|8,8,8,8,0,0|4|-"} << "" << QStringList() << true << false
        << "Ким|2|10,25|10,25|4|да|-" << "0 0 11";
    QTest::newRow("forged alone") << QStringList{forged} << "Ким" << QStringList() << false << false
        << "Ким|1||||нет|да" << "0 1 5";
    // clang-format on
}

// The class list's pupils with and without attempts in the period, those off it, one pupil
// under merged names (as after a restart too, and apart again once undone), the name a pupil is
// shown under, and the summaries and the chart with the doubtful records left out or counted
// in. A pupil's attempts are the records of all their names, and a search by any of their names
// finds them.
void ClassTest::pupilsOfTheClass()
{
    QFETCH(QStringList, records);
    QFETCH(QString, list);
    QFETCH(QStringList, merges);
    QFETCH(bool, countDoubtful);
    QFETCH(bool, today);

    RecordsModel model;
    feed(model, records);
    if (today)
        model.setPeriod(
            JournalPeriod::between(DatesFile::parseIsoTime("2026-12-08T00:00:00+03:00")->first,
                                   DatesFile::parseIsoTime("2026-12-09T00:00:00+03:00")->first));
    const ClassList classList = ClassList::fromText(list);
    PupilsModel unmerged(model);
    unmerged.setClassList(classList);
    unmerged.setCountDoubtful(countDoubtful);
    {
        NameMerges teacher;
        for (const QString &merge : merges)
            QVERIFY(teacher.merge(merge.section('>', 0, 0), merge.section('>', 1)));
    }
    NameMerges restarted; // the merges as the settings keep them
    PupilsModel pupils(model);
    QAbstractItemModelTester tester(&pupils);
    pupils.setMerges(restarted);
    pupils.setClassList(classList);
    pupils.setCountDoubtful(countDoubtful);
    QTEST(pupilRows(pupils), "pupils");

    JournalFilter shown(pupils);
    PupilsChart chart(shown);
    chart.redraw();
    const auto *axis = qobject_cast<QValueAxis *>(chart.chart()->axes(Qt::Horizontal).value(0));
    QTEST(QString("%1 %2 %3").arg(pupils.absentCount()).arg(pupils.listedCount()).arg(axis->max()),
          "counts");

    JournalFilter attempts(model);
    for (int row = 0; row < pupils.rowCount(); ++row) {
        attempts.setNamesFilter(pupils.foldedNames(row));
        QCOMPARE(attempts.rowCount(), pupils.pupil(row).attempts);
    }
    for (const QString &record : records) {
        const QString name = record.section('|', 0, 0);
        shown.setNameFilter(name.left(name.size() - 2));
        QVERIFY2(shown.mapFromSource(pupils.index(pupils.rowOf(name), 0)).isValid(),
                 qPrintable(name));
    }
    for (const QString &merge : merges)
        QVERIFY(restarted.undo(merge.section('>', 0, 0)));
    QCOMPARE(pupilRows(pupils), pupilRows(unmerged));
}

// The teacher's way through the window: a class list taken, a typo merged from the dialog as it
// first suggests, both back in a new window over the same files in another order, and over
// those and a file opened since; the list taken off and forgotten; the pupils without attempts
// kept alone, and the «Правка» menu.
void ClassTest::classInTheWindow()
{
    WorkFolder folder;
    for (const char *file : {"m1.txt", "m2.txt"}) {
        QFile results(file);
        QVERIFY(results.open(QIODevice::WriteOnly));
        results.write(cp1251(file == QString("m1.txt") ? "\"Аня\",8,8,8,8,0,0,4\r\n"
                                                       : "\"Анна\",10,10,10,10,0,0,5\r\n"));
    }
    const auto open = [](JournalWindow &window, const QStringList &files) {
        QSignalSpy looked(&window, &JournalWindow::lookDone);
        window.show();
        window.openFiles(files);
        return looked.wait(10000);
    };
    const auto pupils = [](const JournalWindow &window) {
        const QAbstractItemModel *shown = window.findChild<QTableView *>("pupils")->model();
        QStringList rows;
        for (int row = 0; row < shown->rowCount(); ++row)
            rows << shown->index(row, PupilsModel::Name).data().toString() + ':' +
                        shown->index(row, PupilsModel::Attempts).data().toString();
        return rows.join(' ');
    };
    const auto classAction = [](const JournalWindow &window, const QString &text) {
        for (QAction *action : window.findChild<QMenu *>("classMenu")->actions()) {
            if (action->text() == text)
                return action;
        }
        return static_cast<QAction *>(nullptr);
    };
    {
        JournalWindow window;
        QVERIFY(open(window, {"m1.txt", "m2.txt"}));
        window.setClassList(ClassList::fromText("Аня\nБоря"));
        QCOMPARE(pupils(window), "Аня:1 Боря:нет попыток Анна:1");
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<MergeDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog && dialog->chosen() == "Аня");
            dialog->accept();
        });
        window.findChild<ClassMenu *>()->mergePupil(2);
        QCOMPARE(pupils(window), "Аня:2 Боря:нет попыток");
    }
    JournalWindow window;
    QVERIFY(open(window, {"m2.txt", "m1.txt"}));
    QCOMPARE(pupils(window), "Аня:2 Боря:нет попыток");
    QTRY_VERIFY(window.findChild<QLabel *>("summary")->text().contains("без попыток: 1 из 2"));
    auto *tabs = window.findChild<QTabWidget *>();
    window.findChild<QCheckBox *>("absentOnly")->click();
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(pupils(window), "Боря:нет попыток");
    window.findChild<QCheckBox *>("absentOnly")->click();
    // «Правка»: «Выделить всё», then «Копировать», in the tab shown.
    const QList<QAction *> edit = window.menuBar()->actions()[1]->menu()->actions();
    edit[1]->trigger();
    edit[0]->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text().count('\n'), 3);

    // Another file opened keeps the list shown, and for the files open now.
    window.openFiles({"m3.txt"});
    {
        JournalWindow three;
        QVERIFY(open(three, {"m3.txt", "m2.txt", "m1.txt"}));
        QCOMPARE(pupils(three), "Аня:2 Боря:нет попыток");
    }
    // Off the list, the spelling typed first among those typed as often.
    classAction(window, "&Убрать список класса")->trigger();
    QVERIFY(!window.findChild<QCheckBox *>("absentOnly")->isEnabled());
    QCOMPARE(pupils(window), "Анна:2");
    JournalWindow again;
    QVERIFY(open(again, {"m1.txt", "m2.txt", "m3.txt"}));
    QCOMPARE(pupils(again), "Аня:2");

    // The list's dialog says what a file held, or why it was not read, and keeps the box then.
    ClassListDialog dialog(ClassList::fromText("Аня"));
    const auto report = [&] { return dialog.findChild<QLabel *>("classReport")->text(); };
    dialog.openFile("нет.txt");
    QCOMPARE(report(), "«нет.txt»: Список класса не прочитан: файл не найден.");
    QCOMPARE(dialog.list().names(), QStringList{"Аня"});
    QFile list("list.txt");
    QVERIFY(list.open(QIODevice::WriteOnly) && list.write(cp1251("Боря\nБОРЯ\n")) > 0);
    list.close();
    dialog.openFile("list.txt");
    QCOMPARE(report(), "Из файла «list.txt»: 1 ученик.\n«Боря» повторяется в строках 1, 2 — "
                       "взято один раз.");
    QCOMPARE(dialog.list().names(), QStringList{"Боря"});
}

void ClassTest::workbook()
{
    WorkFolder folder;
    RecordsModel records;
    PupilsModel pupils(records);
    // Saved at noon UTC on 8 December 2026: already the 9th on a clock fourteen hours ahead,
    // which the sheet shows, as the tables do.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "UTC-14");
    ::tzset();
    const auto back = qScopeGuard([&] {
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        ::tzset();
    });
    feed(records,
         {"=1+1|10,10,10,3,10,8|4.125|2026-12-08T12:00:00+00:00", "Петров|10,10,10,10,0,0|5|-",
          "@SUM(A1)|12,0,0,0,0,0|1.5|-", "+7|1,0,0,0,0,0|0.25|-", "-x|0,0,0,0,0,0|0|-",
          "-1|0,0,0,0,0,0|0|-"},
         "m1/res.txt");
    JournalFilter shownRecords(records);
    JournalFilter shownPupils(pupils);

    WorkbookWriter writer;
    const QStringList title = {"Класс: 5 «Б»", "=HYPERLINK(\"x\")"};
    QVERIFY2(
        writer.write("class.xlsx", {WorkbookWriter::pupilsSheet(shownPupils, title),
                                    WorkbookWriter::recordsSheet(shownRecords, records, title)}),
        qPrintable(writer.problem()));
    const QString book = unzipped("class.xlsx", "xl/workbook.xml");
    QVERIFY(book.contains("name=\"Ученики\"") && book.contains("name=\"Записи\""));
    const QString sheet = unzipped("class.xlsx", "xl/worksheets/sheet2.xml");
    QVERIFY(!sheet.isEmpty());
    QVERIFY(!sheet.contains("<f>") &&
            !unzipped("class.xlsx", "xl/worksheets/sheet1.xml").contains("<f>"));
    // Titles, a blank row, the heading in row 4, records from row 5; a frozen heading.
    QVERIFY(cellXml(sheet, "A2").contains("<t>=HYPERLINK(&quot;x&quot;)</t>") ||
            cellXml(sheet, "A2").contains("<t>=HYPERLINK(\"x\")</t>"));
    QVERIFY(sheet.contains("ySplit=\"4\"") && sheet.contains("state=\"frozen\""));
    QVERIFY(sheet.contains("<autoFilter ref=\"A4:M10\"/>"));
    for (const auto &[reference, content] :
         std::initializer_list<std::pair<QString, QString>>{{"A5", "<t>=1+1</t>"},
                                                            {"A7", "<t>@SUM(A1)</t>"},
                                                            {"A8", "<t>+7</t>"},
                                                            {"A9", "<t>-x</t>"},
                                                            {"A10", "<t>-1</t>"},
                                                            {"H5", "<v>4.125</v>"},
                                                            {"H6", "<v>5</v>"},
                                                            {"B7", "<v>12</v>"},
                                                            {"L5", "<v>1</v>"},
                                                            {"K5", "<t>res.txt</t>"},
                                                            {"I5", "<v>46365.083"},
                                                            {"M7", "Левая: 12"},
                                                            {"M8", "Итог: 0,25"}}) {
        const QString cell = cellXml(sheet, reference);
        QVERIFY2(cell.contains(content), qPrintable(reference + ": " + cell));
        QCOMPARE(cell.contains("t=\"inlineStr\""),
                 content.startsWith("<t>") || reference == "M7" || reference == "M8");
    }
    QVERIFY(cellXml(sheet, "M5").isEmpty());
    // The doubtful cells stand out; the others in their columns do not.
    const auto style = [&](const QString &reference) {
        return QRegularExpression(" s=\"(\\d+)\"").match(cellXml(sheet, reference)).captured(1);
    };
    QCOMPARE_NE(style("B7"), style("B6"));
    QCOMPARE_NE(style("H8"), style("H5"));
    QCOMPARE(style("H5"), style("H7"));
    const QString pupilsSheet = unzipped("class.xlsx", "xl/worksheets/sheet1.xml");
    QVERIFY(cellXml(pupilsSheet, "N7").contains("Попыток, которые курс не мог записать: 1"));
    QVERIFY(cellXml(pupilsSheet, "B5").contains("<v>1</v>"));

    if (QStandardPaths::findExecutable("soffice").isEmpty())
        QSKIP("LibreOffice (libreoffice-calc-nogui) is not installed: the workbook is not "
              "opened in a spreadsheet");
    // Every text cell quoted, numbers as they are: a total that reads as a number is one.
    QProcess calc;
    calc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Both sheets in one run, as it takes seconds.
    calc.start("soffice", {"-env:UserInstallation=file://" + QDir::currentPath() + "/profile",
                           "--headless", "--norestore", "--convert-to",
                           "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,false,false,"
                           "false,-1",
                           "class.xlsx"});
    QVERIFY(calc.waitForFinished(120000));
    const auto rowsOf = [](const QString &name) {
        QFile csv(name);
        return csv.open(QIODevice::ReadOnly) ? csv.readAll().split('\n').mid(4) : QByteArrayList();
    };
    const QByteArrayList lines = rowsOf("class-Записи.csv");
    QVERIFY2(lines.size() >= 6, qPrintable(QDir().entryList().join(' ')));
    QCOMPARE(lines[0].split(',').mid(0, 8).join(','), "\"=1+1\",10,10,10,3,10,8,4.125");
    QCOMPARE(lines[3].split(',').mid(0, 8).join(','), "\"+7\",1,0,0,0,0,0,0.25");
    QCOMPARE(lines[1].split(',').mid(0, 8).join(','), "\"Петров\",10,10,10,10,0,0,5");
    // Every total a number: the first, best and latest of each pupil too.
    const QByteArrayList pupilRows = rowsOf("class-Ученики.csv");
    QVERIFY(pupilRows.size() >= 6);
    for (const QByteArray &row : lines.mid(0, 6) + pupilRows.mid(0, 6)) {
        const QByteArrayList cells = row.split(',');
        for (int column : {2, 3, 4, 7})
            QVERIFY2(!cells.value(column).startsWith('"'), row.constData());
    }
}

// More rows than a sheet holds go on in a second sheet, none lost.
void ClassTest::workbookPastTheRowLimit()
{
    class Numbers : public QAbstractTableModel
    {
    public:
        int rowCount(const QModelIndex & = {}) const override { return 1048576; }
        int columnCount(const QModelIndex & = {}) const override { return 1; }
        QVariant data(const QModelIndex &index, int role) const override
        {
            return role == Qt::DisplayRole ? QVariant(index.row()) : QVariant();
        }
    } numbers;
    WorkFolder folder;
    WorkbookWriter writer;
    QVERIFY2(writer.write("many.xlsx", {{"Записи", {"Класс"}, &numbers, {}, {}}}),
             qPrintable(writer.problem()));
    QVERIFY(unzipped("many.xlsx", "xl/workbook.xml").contains("name=\"Записи (2)\""));
    const QString first = unzipped("many.xlsx", "xl/worksheets/sheet1.xml");
    QVERIFY(cellXml(first, "A1048576").contains("<v>1048572</v>"));
    const QString second = unzipped("many.xlsx", "xl/worksheets/sheet2.xml");
    QVERIFY(cellXml(second, "A4").contains("<v>1048573</v>"));
    QVERIFY(cellXml(second, "A6").contains("<v>1048575</v>"));
    QVERIFY(cellXml(second, "A7").isEmpty());
}

void ClassTest::workbookFailures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("problem");

    // clang-format off
    QTest::newRow("full disk") << "full" << "нет места на диске";
    QTest::newRow("no folder") << "nowhere/class.xlsx" << "нет такой папки";
    QTest::newRow("folder") << "." << "под этим именем находится папка";
    // clang-format on
}

void ClassTest::workbookFailures()
{
    QFETCH(QString, file);
    QFETCH(QString, problem);
    WorkFolder folder;
    QVERIFY(WorkFolder::makeFullDevice("full"));
    RecordsModel records;
    JournalFilter shown(records);
    WorkbookWriter writer;
    QVERIFY(!writer.write(QFile::encodeName(file), {WorkbookWriter::recordsSheet(shown, records)}));
    QVERIFY2(writer.problem().contains(problem), qPrintable(writer.problem()));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The merges go to settings of the tests' own.
    QStandardPaths::setTestModeEnabled(true);
    // Totals shown with a decimal comma, as the journal shows them in Russian.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ClassTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_class.moc"
