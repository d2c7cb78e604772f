#include "journalfilter.h"

#include "journaltable.h"
#include "namefold.h"

#include <algorithm>
#include <numeric>

JournalFilter::JournalFilter(JournalTable &table, QObject *parent)
    : QAbstractProxyModel(parent), m_table(table)
{
    QAbstractProxyModel::setSourceModel(&table);
    connect(&table, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { rowsAdded(first, last); });
    connect(&table, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { rowsGoing(first, last); });
    connect(&table, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { rowsGone(first, last); });
    connect(&table, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(&table, &QAbstractItemModel::modelReset, this, [this] {
        // A table made anew may number its names anew.
        m_matches.clear();
        sortAll();
        m_rows = keptRows();
        m_shownAt.clear();
        endResetModel();
    });
    connect(&table, &QAbstractItemModel::dataChanged, this, &JournalFilter::cellsChanged);
    connect(&table, &JournalTable::marksChanged, this, [this] { relayout(keptRows()); });
    connect(&table, &JournalTable::namesChanged, this, [this] {
        m_matches.clear();
        if (!m_needle.isEmpty())
            relayout(keptRows());
    });
    sortAll();
    m_rows = keptRows();
}

void JournalFilter::setNameFilter(const QString &text, Match match)
{
    const QString needle = foldName(text);
    if (needle == m_needle && (match == m_match || needle.isEmpty()))
        return;
    m_needle = needle;
    m_match = match;
    m_wholeNames = {needle};
    m_matches.clear();
    relayout(keptRows());
}

void JournalFilter::setNamesFilter(const QStringList &folded)
{
    // One that keeps none keeps none, unlike an empty search.
    m_needle = folded.isEmpty() ? QStringLiteral("\n") : folded.join(u'\n');
    m_match = Match::Whole;
    m_wholeNames = folded;
    m_matches.clear();
    relayout(keptRows());
}

void JournalFilter::setDoubtfulOnly(bool only)
{
    if (only == m_doubtfulOnly)
        return;
    m_doubtfulOnly = only;
    relayout(keptRows());
}

void JournalFilter::setAbsentOnly(bool only)
{
    if (only == m_absentOnly)
        return;
    m_absentOnly = only;
    relayout(keptRows());
}

void JournalFilter::setFreshOnly(bool only)
{
    if (only == m_freshOnly)
        return;
    m_freshOnly = only;
    relayout(keptRows());
}

void JournalFilter::sort(int column, Qt::SortOrder order)
{
    column = std::clamp(column, -1, m_table.columnCount() - 1);
    if (column == m_sortColumn && (column < 0 || order == m_sortOrder))
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    sortAll();
    relayout(keptRows());
}

bool JournalFilter::before(int left, int right) const
{
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    if (m_table.lessThan(left, right, m_sortColumn))
        return ascending;
    if (m_table.lessThan(right, left, m_sortColumn))
        return !ascending;
    return left < right;
}

bool JournalFilter::accepts(int row) const
{
    if ((m_doubtfulOnly && !m_table.doubtful(row)) || (m_freshOnly && !m_table.fresh(row)) ||
        (m_absentOnly && !m_table.absent(row)) || !m_table.inPeriod(row))
        return false;
    if (m_needle.isEmpty())
        return true;
    const int name = m_table.nameOfRow(row);
    if (m_matches.size() <= size_t(name))
        m_matches.resize(size_t(m_table.nameCount()), -1);
    qint8 &match = m_matches[size_t(name)];
    if (match < 0)
        match = (m_match == Match::Whole ? m_wholeNames.contains(m_table.foldedName(name))
                                         : m_table.searchedName(name).contains(m_needle))
                    ? 1
                    : 0;
    return match == 1;
}

void JournalFilter::sortAll()
{
    m_order.clear();
    if (!sorted())
        return;
    m_order.resize(size_t(m_table.rowCount()));
    std::iota(m_order.begin(), m_order.end(), 0);
    std::sort(m_order.begin(), m_order.end(),
              [this](int left, int right) { return before(left, right); });
}

std::vector<int> JournalFilter::keptRows() const
{
    const int count = m_table.rowCount();
    std::vector<int> rows;
    if (m_needle.isEmpty() && !m_doubtfulOnly && !m_freshOnly && !m_absentOnly &&
        m_table.wholeInPeriod()) {
        if (sorted())
            return m_order;
        rows.resize(size_t(count));
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    }
    // Asked in the table's order, which reads its records in the order they are stored.
    std::vector<char> kept(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row)
        kept[size_t(row)] = accepts(row);
    if (sorted()) {
        for (int row : m_order) {
            if (kept[size_t(row)])
                rows.push_back(row);
        }
    } else {
        for (int row = 0; row < count; ++row) {
            if (kept[size_t(row)])
                rows.push_back(row);
        }
    }
    return rows;
}

void JournalFilter::relayout(std::vector<int> rows)
{
    // Told as a sort, the views keep their columns as they are.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    std::vector<int> sources;
    sources.reserve(size_t(from.size()));
    for (const QModelIndex &index : from)
        sources.push_back(m_rows[size_t(index.row())]);
    m_rows = std::move(rows);
    m_shownAt.clear();
    QModelIndexList to;
    to.reserve(from.size());
    for (qsizetype i = 0; i < from.size(); ++i)
        to.append(mapFromSource(m_table.index(sources[size_t(i)], from[i].column())));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void JournalFilter::rowsAdded(int first, int last)
{
    const int count = last - first + 1;
    if (first != m_table.rowCount() - count) {
        // The journal's tables only append; rows put between others make the rows anew.
        beginResetModel();
        sortAll();
        m_rows = keptRows();
        m_shownAt.clear();
        endResetModel();
        return;
    }
    const auto order = [this](int left, int right) { return before(left, right); };
    std::vector<int> fresh(static_cast<size_t>(count));
    std::iota(fresh.begin(), fresh.end(), first);
    if (sorted()) {
        std::sort(fresh.begin(), fresh.end(), order);
        std::vector<int> merged;
        merged.reserve(m_order.size() + fresh.size());
        std::merge(m_order.cbegin(), m_order.cend(), fresh.cbegin(), fresh.cend(),
                   std::back_inserter(merged), order);
        m_order.swap(merged);
    }
    std::erase_if(fresh, [this](int row) { return !accepts(row); });
    if (fresh.empty())
        return;
    // Together at one place, the new rows are inserted there; spread among the others, they
    // change the layout once rather than once per place.
    int at = int(m_rows.size());
    if (sorted()) {
        const auto place = [&](int row) {
            return int(std::upper_bound(m_rows.cbegin(), m_rows.cend(), row, order) -
                       m_rows.cbegin());
        };
        at = place(fresh.front());
        if (place(fresh.back()) != at) {
            std::vector<int> merged;
            merged.reserve(m_rows.size() + fresh.size());
            std::merge(m_rows.cbegin(), m_rows.cend(), fresh.cbegin(), fresh.cend(),
                       std::back_inserter(merged), order);
            relayout(std::move(merged));
            return;
        }
    }
    beginInsertRows({}, at, at + int(fresh.size()) - 1);
    m_rows.insert(m_rows.begin() + at, fresh.cbegin(), fresh.cend());
    m_shownAt.clear();
    endInsertRows();
}

void JournalFilter::rowsGoing(int first, int last)
{
    const auto going = [=](int row) { return row >= first && row <= last; };
    std::vector<int> shown;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (going(m_rows[i]))
            shown.push_back(int(i));
    }
    // From the last run of rows to the first, so that the rows before a run stay where they are.
    for (size_t end = shown.size(); end > 0;) {
        size_t start = end - 1;
        while (start > 0 && shown[start - 1] == shown[start] - 1)
            --start;
        beginRemoveRows({}, shown[start], shown[end - 1]);
        m_rows.erase(m_rows.begin() + shown[start], m_rows.begin() + shown[end - 1] + 1);
        m_shownAt.clear();
        endRemoveRows();
        end = start;
    }
    std::erase_if(m_order, going);
}

void JournalFilter::rowsGone(int first, int last)
{
    const int count = last - first + 1;
    for (std::vector<int> *rows : {&m_rows, &m_order}) {
        for (int &row : *rows) {
            if (row > last)
                row -= count;
        }
    }
    m_shownAt.clear();
}

void JournalFilter::cellsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                 const QList<int> &roles)
{
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    // A row keeps its name, so a change may move it, and hide or show it only where it turns
    // doubtful or absent (a pupil with a new record).
    bool moved = false;
    if (sorted() && topLeft.column() <= m_sortColumn && m_sortColumn <= bottomRight.column()) {
        const auto order = [this](int left, int right) { return before(left, right); };
        if (!std::is_sorted(m_order.cbegin(), m_order.cend(), order)) {
            std::sort(m_order.begin(), m_order.end(), order);
            moved = true;
        }
    }
    if (moved || m_doubtfulOnly || m_absentOnly) {
        std::vector<int> rows = keptRows();
        if (rows != m_rows)
            relayout(std::move(rows));
    }
    if (!m_rows.empty())
        emit dataChanged(index(0, topLeft.column()), index(rowCount() - 1, bottomRight.column()),
                         roles);
}

QModelIndex JournalFilter::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.row() >= rowCount())
        return {};
    return m_table.index(m_rows[size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex JournalFilter::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != &m_table)
        return {};
    if (m_shownAt.empty() && !m_rows.empty()) {
        m_shownAt.assign(size_t(m_table.rowCount()), -1);
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_shownAt[size_t(m_rows[i])] = int(i);
    }
    const size_t row = size_t(sourceIndex.row());
    if (row >= m_shownAt.size() || m_shownAt[row] < 0)
        return {};
    return createIndex(m_shownAt[row], sourceIndex.column());
}

QModelIndex JournalFilter::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex JournalFilter::parent(const QModelIndex &) const
{
    return {};
}

bool JournalFilter::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_rows.empty();
}

int JournalFilter::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int JournalFilter::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.columnCount();
}

QVariant JournalFilter::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal)
        return m_table.headerData(section, orientation, role);
    return QAbstractItemModel::headerData(section, orientation, role);
}
