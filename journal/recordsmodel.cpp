#include "recordsmodel.h"

#include "collationranks.h"
#include "courserules.h"
#include "datesfile.h"
#include "filepath.h"
#include "namefold.h"
#include "plaintext.h"
#include "recordfields.h"
#include "totaltext.h"

#include <QApplication>
#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QStyle>
#include <algorithm>
#include <array>

namespace {

// Longer than any file name, and than most paths: only a path made to be absurd is cut.
constexpr qsizetype kLongestShown = 1000;

// The record's fields, in their order, and then where it was read.
static_assert(int(RecordsModel::Name) == int(RecordFields::Name) &&
              int(RecordsModel::Total) == int(RecordFields::Total));

// What each score is, by the course.
constexpr std::array<const char16_t *, 6> kScoreNames = {u"упражнение с левой кнопкой мыши",
                                                         u"упражнение с правой кнопкой мыши",
                                                         u"упражнение с двойным щелчком",
                                                         u"упражнение с перетаскиванием",
                                                         u"игра «Поймай»",
                                                         u"игра «Помести в нужный раздел»"};

QString scoreName(int score)
{
    return QString::fromUtf16(kScoreNames[size_t(score)]);
}

// The sort game's scores as a list in words: "0, 2, 6, 8 или 10".
QString sortScores()
{
    QStringList scores{QStringLiteral("0")};
    for (const CourseRules::SortBand &band : CourseRules::kSortBands) {
        if (band.score != CourseRules::kKeepScore)
            scores << QString::number(band.score);
    }
    const QString last = scores.takeLast();
    return scores.join(QStringLiteral(", ")) + QStringLiteral(" или ") + last;
}

// What the course gives for a score.
QString scoreRange(int score)
{
    using namespace CourseRules;
    switch (score) {
    case Catch:
        return QStringLiteral("0 или %1").arg(kCatchScore);
    case Sort:
        return sortScores();
    default:
        return QStringLiteral("от 0 до %1").arg(kExerciseMax);
    }
}

QString sumText()
{
    return QStringLiteral("(%1 + %2 + %3 + %4) / %5")
        .arg(RecordsModel::title(RecordsModel::Left), RecordsModel::title(RecordsModel::Right),
             RecordsModel::title(RecordsModel::Double), RecordsModel::title(RecordsModel::Move))
        .arg(CourseRules::kTotalDivisor);
}

} // namespace

QString RecordsModel::explanation(int column)
{
    switch (column) {
    case Name:
        return QStringLiteral("Имя, как ученик его набрал");
    case Total:
        return QStringLiteral("Итог попытки: %1").arg(sumText());
    case File:
        return QStringLiteral("Файл результатов, из которого взята строка");
    case Line:
        return QStringLiteral("Номер строки в файле");
    case When:
        return QStringLiteral(
            "Когда попытка сохранена, по часам этого компьютера. Время берётся из файла дат "
            "рядом с файлом результатов (res.txt.dates); «≈» — время, когда журнал увидел "
            "запись, «—» — время неизвестно");
    case Host:
        return QStringLiteral("Компьютер, на котором сохранена попытка (из файла дат)");
    case Game1:
    case Game2: {
        const int score = column - Left;
        const QString name = scoreName(score);
        return name.front().toUpper() + name.mid(1) +
               QStringLiteral(": %1 очков").arg(scoreRange(score));
    }
    default:
        return QStringLiteral("Оценка за %1: %2, выполнено на %3")
            .arg(scoreName(column - Left), scoreRange(column - Left))
            .arg(CourseRules::kExerciseGoal);
    }
}

quint8 RecordsModel::doubtBit(int column)
{
    if (column >= Left && column <= Game2)
        return quint8(1 << (column - Left));
    return column == Total ? CourseRules::kWrongTotal : 0;
}

QStringList RecordsModel::doubtReasons(const JournalRecord &record, int column)
{
    QStringList reasons;
    for (int each = Left; each <= Total; ++each) {
        if (!(record.doubts & doubtBit(each)) || (column != Name && column != each))
            continue;
        if (each == Total)
            reasons << QStringLiteral("%1: %2, а %3 = %4")
                           .arg(title(Total), localeTotalText(record.total), sumText(),
                                localeTotalText(CourseRules::total(record.scores)));
        else
            reasons << QStringLiteral("%1: %2, а %3 даёт %4")
                           .arg(title(each))
                           .arg(record.scores[size_t(each - Left)])
                           .arg(scoreName(each - Left), scoreRange(each - Left));
    }
    return reasons;
}

const QIcon &RecordsModel::doubtIcon(QIcon &icon)
{
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    return icon;
}

QFont RecordsModel::unendedFont()
{
    QFont font;
    font.setItalic(true);
    return font;
}

RecordsModel::RecordsModel(QObject *parent) : JournalTable(parent) {}

QString RecordsModel::title(int column)
{
    switch (column) {
    case File:
        return QStringLiteral("Файл");
    case Line:
        return QStringLiteral("Строка");
    case When:
        return QStringLiteral("Когда");
    case Host:
        return QStringLiteral("Компьютер");
    default:
        return RecordFields::title(column);
    }
}

void RecordsModel::addFiles(const QStringList &paths)
{
    m_files += paths;
    m_closed.resize(size_t(m_files.size()), false);
    m_seenLines.resize(size_t(m_files.size()), 0);
    labelFiles();
    emit filesChanged();
}

void RecordsModel::closeFile(int file)
{
    if (!isOpen(file))
        return;
    m_closed[size_t(file)] = true;
    dropFile(quint16(file));
    labelFiles();
    emit filesChanged();
}

QStringList RecordsModel::openFiles() const
{
    QStringList open;
    for (int file = 0; file < fileCount(); ++file) {
        if (isOpen(file))
            open << m_files[file];
    }
    return open;
}

// A file's own name, or with its folder where another open file has the same name (one res.txt
// collected from each classroom machine).
void RecordsModel::labelFiles()
{
    QStringList names;
    for (int file = 0; file < fileCount(); ++file)
        names << (isOpen(file) ? QFileInfo(m_files[file]).fileName() : QString());
    m_fileLabels.clear();
    for (int file = 0; file < fileCount(); ++file) {
        const QFileInfo info(m_files[file]);
        m_fileLabels.append(FilePath::shown(names.count(names[file]) < 2
                                                ? info.fileName()
                                                : info.dir().dirName() + u'/' + info.fileName(),
                                            kLongestShown));
    }
    if (m_records.size() > 0)
        emit dataChanged(index(0, File), index(rowCount() - 1, File));
}

QString RecordsModel::fileToolTip(int file) const
{
    return PlainText::html(FilePath::shown(m_files[file], kLongestShown));
}

void RecordsModel::apply(const JournalBatch &batch)
{
    if (!isOpen(batch.file))
        return;
    if (batch.startOver)
        dropFile(batch.file);
    else if (batch.voidUnended)
        dropUnended(batch.file);
    if (!batch.names.isEmpty()) {
        m_names += batch.names;
        for (const QString &name : batch.names)
            m_folded.append(foldName(name));
        m_ranks.clear();
    }
    m_hosts += batch.hosts;
    if (!batch.records.empty()) {
        const int first = rowCount();
        beginInsertRows({}, first, first + int(batch.records.size()) - 1);
        m_records.append(batch.records);
        for (const JournalRecord &record : batch.records) {
            tally(record, 1);
        }
        endInsertRows();
    }
    takeDates(batch);
}

// The dates come for recent records, near the end: they are looked for from the end, in one
// pass, as a file's records are in the order of their lines.
void RecordsModel::takeDates(const JournalBatch &batch)
{
    if (batch.dated.empty())
        return;
    std::vector<JournalBatch::Dated> dated = batch.dated;
    std::sort(dated.begin(), dated.end(),
              [](const auto &a, const auto &b) { return a.line > b.line; });
    size_t next = 0;
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype row = m_records.size() - 1; row >= 0 && next < dated.size(); --row) {
        JournalRecord &record = m_records.at(row);
        if (record.file != batch.file)
            continue;
        while (next < dated.size() && dated[next].line > record.line)
            ++next;
        if (next == dated.size() || dated[next].line != record.line || record.unended)
            continue;
        tally(record, -1);
        record.when = dated[next].when;
        record.utcOffset = dated[next].utcOffset;
        record.host = dated[next].host;
        record.dating = JournalRecord::Dating::Exact;
        tally(record, 1);
        last = last < 0 ? row : last;
        first = row;
        ++next;
    }
    if (first < 0)
        return;
    emit dataChanged(index(int(first), 0), index(int(last), ColumnCount - 1));
    emit marksChanged();
    emit countedChanged();
}

void RecordsModel::setPeriod(const JournalPeriod &period)
{
    if (period == m_period)
        return;
    m_period = period;
    countOutside();
    emit marksChanged();
    emit countedChanged();
}

void RecordsModel::countOutside()
{
    m_doubtful = m_outside = m_undatedOutside = 0;
    for (qsizetype row = 0; row < m_records.size(); ++row)
        tally(m_records[row], 1);
}

// Counts the record in, or out with -1: the doubtful ones of the period, and those the period
// leaves out.
void RecordsModel::tally(const JournalRecord &record, int sign)
{
    const bool in = counted(record);
    m_doubtful += sign * (in && record.doubts != 0);
    m_outside += sign * !in;
    m_undatedOutside += sign * (!in && record.dating == JournalRecord::Dating::None);
}

qsizetype RecordsModel::freshCount() const
{
    qsizetype count = 0;
    for (qsizetype row = 0; row < m_records.size(); ++row)
        count += isFresh(m_records[row]);
    return count;
}

void RecordsModel::markSeen()
{
    bool any = false;
    for (qsizetype row = 0; row < m_records.size(); ++row) {
        const JournalRecord &record = m_records[row];
        if (isFresh(record)) {
            m_seenLines[record.file] = std::max(m_seenLines[record.file], record.line);
            any = true;
        }
    }
    if (!any)
        return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    emit marksChanged();
}

void RecordsModel::dropFile(quint16 file)
{
    // Rare (a file replaced or cut shorter), and the rows left move: the table starts afresh.
    beginResetModel();
    m_records.removeIf([&](const JournalRecord &record) { return record.file == file; });
    countOutside();
    endResetModel();
}

void RecordsModel::dropUnended(quint16 file)
{
    // It is the file's last line, so it lies near the end.
    for (qsizetype row = m_records.size() - 1; row >= 0; --row) {
        const JournalRecord &record = m_records[row];
        if (record.file == file && record.unended) {
            beginRemoveRows({}, int(row), int(row));
            tally(record, -1);
            m_records.erase(row);
            endRemoveRows();
            return;
        }
    }
}

int RecordsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int RecordsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const JournalRecord &record = m_records[index.row()];
    const int column = index.column();
    switch (role) {
    case Qt::TextAlignmentRole:
        return column == Name || column == File || column == Host
                   ? QVariant()
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return toolTip(record, column);
    case Qt::BackgroundRole:
        // A new record stands out, in a light or a dark scheme alike, unlike a selected one.
        return isFresh(record) ? QVariant(QColor(255, 190, 0, 72)) : QVariant();
    case Qt::DecorationRole:
        if (column != Name || record.doubts == 0)
            return {};
        return doubtIcon(m_doubtIcon);
    case Qt::FontRole: {
        // The file's last line, without its line end after a few seconds: its writer stopped,
        // or pauses, in the middle of it. A value the course cannot have written stands out.
        const bool doubted = (record.doubts & doubtBit(column)) != 0;
        if (!record.unended && !doubted)
            return {};
        QFont font = record.unended ? unendedFont() : QFont();
        font.setBold(doubted);
        return font;
    }
    case Qt::DisplayRole:
        break;
    default:
        return {};
    }
    switch (column) {
    case Name:
        return m_names[record.name];
    case Total:
        return localeTotalText(record.total);
    case File:
        return m_fileLabels[record.file];
    case Line:
        return record.line;
    case When:
        return whenText(record);
    case Host:
        return m_hosts[record.host];
    default:
        return int(record.scores[size_t(column - Left)]);
    }
}

QString RecordsModel::whenText(const JournalRecord &record)
{
    if (record.dating == JournalRecord::Dating::None)
        return QStringLiteral("—");
    const QString shown =
        QDateTime::fromSecsSinceEpoch(record.when).toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    return record.dating == JournalRecord::Dating::Seen ? QStringLiteral("≈ ") + shown : shown;
}

QByteArray RecordsModel::isoWhen(const JournalRecord &record)
{
    return record.dating == JournalRecord::Dating::Exact
               ? DatesFile::isoTime(record.when, record.utcOffset)
               : QByteArray();
}

QString RecordsModel::whenToolTip(const JournalRecord &record) const
{
    switch (record.dating) {
    case JournalRecord::Dating::Exact: {
        // As the saving computer's clock showed it, which may be in another time zone.
        const QDateTime saved =
            QDateTime::fromSecsSinceEpoch(record.when, Qt::OffsetFromUTC, record.utcOffset * 60);
        const int offset = std::abs(int(record.utcOffset));
        QString line = QStringLiteral("Сохранена %1 по часам компьютера (UTC%2%3:%4)")
                           .arg(saved.toString(QStringLiteral("dd.MM.yyyy в HH:mm:ss")),
                                record.utcOffset < 0 ? QStringLiteral("−") : QStringLiteral("+"))
                           .arg(offset / 60, 2, 10, QLatin1Char('0'))
                           .arg(offset % 60, 2, 10, QLatin1Char('0'));
        if (record.host != 0)
            line += QStringLiteral(" «%1»").arg(m_hosts[record.host]);
        return line;
    }
    case JournalRecord::Dating::Seen:
        return QStringLiteral("Время примерное: запись появилась, пока журнал был открыт, и "
                              "журнал увидел её %1. Строки для неё в файле дат пока нет")
            .arg(QDateTime::fromSecsSinceEpoch(record.when)
                     .toString(QStringLiteral("dd.MM.yyyy в HH:mm:ss")));
    case JournalRecord::Dating::None:
        break;
    }
    return QStringLiteral("Время неизвестно: в файле дат рядом с файлом результатов нет строки, "
                          "которая совпала бы с этой записью. Так бывает с записями, сделанными "
                          "до того, как курс стал ставить даты, дописанными другой программой "
                          "или исправленными вручную");
}

// A tooltip that looks like markup would be read as such: every one with a name or a path is
// made plain.
QVariant RecordsModel::toolTip(const JournalRecord &record, int column) const
{
    if (column == File)
        return fileToolTip(record.file);
    QStringList lines;
    if (column == When)
        lines << whenToolTip(record);
    if (column == Name && !m_names[record.name].trimmed().isEmpty())
        lines << m_names[record.name];
    const QStringList reasons = doubtReasons(record, column);
    if (!reasons.isEmpty())
        lines << QStringLiteral("Курс не мог записать такую строку:") << reasons;
    if (record.unended)
        lines << QStringLiteral(
            "Строка не дописана: в файле нет её конца, итог может быть неполным");
    if (isFresh(record))
        lines << QStringLiteral("Новая запись: появилась, пока журнал был открыт");
    if (lines.isEmpty())
        return {};
    return PlainText::html(lines.join(u'\n'));
}

QVariant RecordsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return section == Game1 || section == Game2 ? RecordFields::heading(section)
                                                    : title(section);
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole)
        return explanation(section);
    if (orientation == Qt::Horizontal && role == TypedRole)
        return section == Name || section == File || section == Host;
    return JournalTable::headerData(section, orientation, role);
}

bool RecordsModel::lessThan(int leftRow, int rightRow, int column) const
{
    const JournalRecord &left = m_records[leftRow];
    const JournalRecord &right = m_records[rightRow];
    switch (column) {
    case Name:
        if (m_ranks.size() != size_t(m_names.size()))
            m_ranks = collationRanks(m_names);
        return m_ranks[left.name] < m_ranks[right.name];
    case Total:
        return left.total < right.total;
    case File:
        return left.file < right.file;
    case Line:
        return left.line < right.line;
    case When:
        // Undated records first, as the oldest.
        if ((left.dating == JournalRecord::Dating::None) !=
            (right.dating == JournalRecord::Dating::None))
            return left.dating == JournalRecord::Dating::None;
        return left.dating != JournalRecord::Dating::None && left.when < right.when;
    case Host:
        return m_hosts[left.host] < m_hosts[right.host];
    default:
        return left.scores[size_t(column - Left)] < right.scores[size_t(column - Left)];
    }
}
