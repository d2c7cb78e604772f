#pragma once

#include <QSortFilterProxyModel>
#include <vector>

class JournalTable;

// Sorts a journal table by any column (numbers as numbers, names alphabetically) and keeps the
// rows whose name holds the text typed into the search field, compared as names are folded.
class JournalFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit JournalFilter(JournalTable &table, QObject *parent = nullptr);

    void setNameFilter(const QString &text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    JournalTable &m_table;
    QString m_needle;
    // Whether each name holds the needle: worked out once per name, as most rows repeat one.
    mutable std::vector<qint8> m_matches;
};
