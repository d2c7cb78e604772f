#include "skippedmodel.h"

#include "recordsmodel.h"

#include <QFont>
#include <algorithm>

SkippedModel::SkippedModel(const RecordsModel &records, QObject *parent)
    : QAbstractTableModel(parent), m_records(records)
{
}

void SkippedModel::apply(const JournalBatch &batch)
{
    if (batch.startOver || batch.voidUnended) {
        const auto dropped = [&](const SkippedLine &line) {
            return line.file == batch.file && (batch.startOver || line.unended);
        };
        if (std::any_of(m_lines.cbegin(), m_lines.cend(), dropped)) {
            beginResetModel();
            std::erase_if(m_lines, dropped);
            endResetModel();
        }
    }
    if (batch.skipped.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + int(batch.skipped.size()) - 1);
    m_lines.insert(m_lines.end(), batch.skipped.cbegin(), batch.skipped.cend());
    endInsertRows();
}

int SkippedModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int SkippedModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SkippedModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const SkippedLine &line = m_lines[size_t(index.row())];
    if (role == Qt::ToolTipRole && index.column() == File)
        return m_records.fileToolTip(line.file);
    if (line.unended && role == Qt::FontRole)
        return RecordsModel::unendedFont();
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case File:
        return m_records.fileLabel(line.file);
    case Line:
        return line.line;
    default:
        return line.unended ? line.fault.text() + QStringLiteral(" (строка не дописана)")
                            : line.fault.text();
    }
}

QVariant SkippedModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case File:
        return QStringLiteral("Файл");
    case Line:
        return QStringLiteral("Строка");
    default:
        return QStringLiteral("Причина");
    }
}
