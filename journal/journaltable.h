#pragma once

#include <QAbstractTableModel>

// A table of the journal as its filter sees it: the name of each row, whether it is doubtful, and
// the order of two rows in a column, without going through QVariant for each of a million rows.
class JournalTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // Rows with the same name share an id below nameCount().
    virtual int nameOfRow(int row) const = 0;
    virtual int nameCount() const = 0;
    virtual QString foldedName(int name) const = 0;
    // Whether the row holds what the course cannot have written.
    virtual bool doubtful(int row) const = 0;
    virtual bool lessThan(int leftRow, int rightRow, int column) const = 0;
};
