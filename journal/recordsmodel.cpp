#include "recordsmodel.h"

#include "collationranks.h"
#include "courserules.h"
#include "filepath.h"
#include "namefold.h"
#include "plaintext.h"
#include "recordfields.h"
#include "totaltext.h"

#include <QApplication>
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
    default:
        return RecordFields::title(column);
    }
}

void RecordsModel::addFiles(const QStringList &paths)
{
    m_files += paths;
    m_closed.resize(size_t(m_files.size()), false);
    labelFiles();
}

void RecordsModel::closeFile(int file)
{
    if (!isOpen(file))
        return;
    m_closed[size_t(file)] = true;
    dropFile(quint16(file));
    labelFiles();
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
    if (batch.records.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + int(batch.records.size()) - 1);
    m_records.append(batch.records);
    m_doubtful += std::count_if(batch.records.cbegin(), batch.records.cend(),
                                [](const JournalRecord &record) { return record.doubts != 0; });
    endInsertRows();
}

void RecordsModel::dropFile(quint16 file)
{
    // Rare (a file replaced or cut shorter), and the rows left move: the table starts afresh.
    beginResetModel();
    m_records.removeIf([&](const JournalRecord &record) {
        const bool drop = record.file == file;
        m_doubtful -= drop && record.doubts != 0;
        return drop;
    });
    endResetModel();
}

void RecordsModel::dropUnended(quint16 file)
{
    // It is the file's last line, so it lies near the end.
    for (qsizetype row = m_records.size() - 1; row >= 0; --row) {
        const JournalRecord &record = m_records[row];
        if (record.file == file && record.unended) {
            beginRemoveRows({}, int(row), int(row));
            m_doubtful -= record.doubts != 0;
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
        return column == Name || column == File ? QVariant()
                                                : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return toolTip(record, column);
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
    default:
        return int(record.scores[size_t(column - Left)]);
    }
}

// A tooltip that looks like markup would be read as such: every one with a name or a path is
// made plain.
QVariant RecordsModel::toolTip(const JournalRecord &record, int column) const
{
    if (column == File)
        return fileToolTip(record.file);
    QStringList lines;
    if (column == Name && !m_names[record.name].trimmed().isEmpty())
        lines << m_names[record.name];
    const QStringList reasons = doubtReasons(record, column);
    if (!reasons.isEmpty())
        lines << QStringLiteral("Курс не мог записать такую строку:") << reasons;
    if (record.unended)
        lines << QStringLiteral(
            "Строка не дописана: в файле нет её конца, итог может быть неполным");
    if (lines.isEmpty())
        return {};
    return PlainText::html(lines.join(u'\n'));
}

QVariant RecordsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return title(section);
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole)
        return explanation(section);
    if (orientation == Qt::Horizontal && role == TypedRole)
        return section == Name || section == File;
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
    default:
        return left.scores[size_t(column - Left)] < right.scores[size_t(column - Left)];
    }
}
