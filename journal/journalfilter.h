#pragma once

#include <QAbstractProxyModel>
#include <vector>

class JournalTable;

// Sorts a journal table by any column (numbers as numbers, names alphabetically, rows that
// compare equal in the table's order) and keeps the rows whose name holds the text typed into
// the search field, or is one of a pupil's names, compared as names are folded; and, when asked,
// only the doubtful rows, or only the pupils of the class list without an attempt.
//
// It keeps every row of the table in sorted order, so that a new search text only picks the
// rows it keeps out of that order: one pass over the rows, and one change of layout for the
// views. Hiding and showing the rows run by run, as QSortFilterProxyModel does, costs a view a
// pass over all its rows for each run, and a million records in a few names make hundreds of
// thousands of runs.
class JournalFilter : public QAbstractProxyModel
{
    Q_OBJECT

public:
    // Whether a name is kept when it holds the text, or only when it is the text.
    enum class Match { Part, Whole };

    explicit JournalFilter(JournalTable &table, QObject *parent = nullptr);

    const JournalTable &table() const { return m_table; }

    void setNameFilter(const QString &text, Match match = Match::Part);
    // Keeps the rows whose folded name is one of `folded`: a pupil's, under every name merged
    // into them.
    void setNamesFilter(const QStringList &folded);
    void setDoubtfulOnly(bool only);
    bool doubtfulOnly() const { return m_doubtfulOnly; }
    // Only the pupils of the class list with no attempt (JournalTable::absent).
    void setAbsentOnly(bool only);
    bool absentOnly() const { return m_absentOnly; }
    // Only the new rows (JournalTable::fresh).
    void setFreshOnly(bool only);
    bool freshOnly() const { return m_freshOnly; }

    // -1 while the rows are in the table's order.
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool sorted() const { return m_sortColumn >= 0; }
    // Whether the table's row goes before the other one; a total order.
    bool before(int left, int right) const;
    bool accepts(int row) const;
    void sortAll();
    // The rows the filter keeps, in order.
    std::vector<int> keptRows() const;
    // Shows `rows` instead of what was shown, as one change of layout that keeps the views'
    // selection on the rows that stay.
    void relayout(std::vector<int> rows);

    void rowsAdded(int first, int last);
    void rowsGoing(int first, int last);
    void rowsGone(int first, int last);
    void cellsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                      const QList<int> &roles);

    JournalTable &m_table;
    QString m_needle;
    Match m_match = Match::Part;
    QStringList m_wholeNames; // Match::Whole: the folded names kept
    bool m_doubtfulOnly = false;
    bool m_absentOnly = false;
    bool m_freshOnly = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    std::vector<int> m_order; // every row of the table, sorted; empty while unsorted
    std::vector<int> m_rows;  // the table's row shown in each row here
    // Where each row of the table is shown here, or -1; made when first asked for.
    mutable std::vector<int> m_shownAt;
    // Whether each name matches the needle: worked out once per name, as most rows repeat one.
    mutable std::vector<qint8> m_matches;
};
