#include "recordsmodel.h"

#include "collationranks.h"
#include "filepath.h"
#include "namefold.h"
#include "plaintext.h"
#include "totaltext.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <algorithm>
#include <array>

namespace {

// Longer than any file name, and than most paths: only a path made to be absurd is cut.
constexpr qsizetype kLongestShown = 1000;

constexpr std::array<const char16_t *, RecordsModel::ColumnCount> kTitles = {
    u"Имя",    u"Левая",  u"Правая", u"Двойной", u"Движ",
    u"Игра 1", u"Игра 2", u"Итог",   u"Файл",    u"Строка"};

} // namespace

QFont RecordsModel::unendedFont()
{
    QFont font;
    font.setItalic(true);
    return font;
}

RecordsModel::RecordsModel(QObject *parent) : JournalTable(parent) {}

QString RecordsModel::title(int column)
{
    return QString::fromUtf16(kTitles[size_t(column)]);
}

void RecordsModel::addFiles(const QStringList &paths)
{
    m_files += paths;
    // A file's own name, or with its folder where another file has the same name (one res.txt
    // collected from each classroom machine).
    m_fileLabels.clear();
    for (const QString &path : std::as_const(m_files)) {
        const QFileInfo info(path);
        const auto sameName = [&](const QString &other) {
            return QFileInfo(other).fileName() == info.fileName();
        };
        m_fileLabels.append(
            FilePath::shown(std::count_if(m_files.cbegin(), m_files.cend(), sameName) < 2
                                ? info.fileName()
                                : info.dir().dirName() + QLatin1Char('/') + info.fileName(),
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
    endInsertRows();
}

void RecordsModel::dropFile(quint16 file)
{
    // Rare (a file replaced or cut shorter), and the rows left move: the table starts afresh.
    beginResetModel();
    m_records.removeIf([file](const JournalRecord &record) { return record.file == file; });
    endResetModel();
}

void RecordsModel::dropUnended(quint16 file)
{
    // It is the file's last line, so it lies near the end.
    for (qsizetype row = m_records.size() - 1; row >= 0; --row) {
        const JournalRecord &record = m_records[row];
        if (record.file == file && record.unended) {
            beginRemoveRows({}, int(row), int(row));
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
    if (role == Qt::TextAlignmentRole)
        return column == Name || column == File ? QVariant()
                                                : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    // A tooltip that looks like markup would be read as such.
    if (role == Qt::ToolTipRole && column == File)
        return fileToolTip(record.file);
    // The file's last line, without its line end after a few seconds: its writer stopped, or
    // pauses, in the middle of it.
    if (record.unended && role == Qt::FontRole)
        return unendedFont();
    if (record.unended && role == Qt::ToolTipRole)
        return QStringLiteral("Строка не дописана: в файле нет её конца, итог может быть неполным");
    if (role != Qt::DisplayRole)
        return {};
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

QVariant RecordsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return JournalTable::headerData(section, orientation, role);
    return title(section);
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
