#include "journalfilter.h"

#include "journaltable.h"
#include "namefold.h"

JournalFilter::JournalFilter(JournalTable &table, QObject *parent)
    : QSortFilterProxyModel(parent), m_table(table)
{
    setSourceModel(&table);
    // Before the filter looks at the rows again: a table made anew may number its names anew.
    connect(&table, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_matches.clear(); });
}

void JournalFilter::setNameFilter(const QString &text)
{
    const QString needle = foldName(text);
    if (needle == m_needle)
        return;
    m_needle = needle;
    m_matches.clear();
    invalidateFilter();
}

bool JournalFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (m_needle.isEmpty())
        return true;
    const int name = m_table.nameOfRow(sourceRow);
    if (m_matches.size() <= size_t(name))
        m_matches.resize(size_t(m_table.nameCount()), -1);
    qint8 &match = m_matches[size_t(name)];
    if (match < 0)
        match = m_table.foldedName(name).contains(m_needle) ? 1 : 0;
    return match == 1;
}

bool JournalFilter::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    return m_table.lessThan(left.row(), right.row(), left.column());
}
