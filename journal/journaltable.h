#pragma once

#include <QAbstractTableModel>

// A table of the journal as its filter sees it: the name of each row, whether it is doubtful, and
// the order of two rows in a column, without going through QVariant for each of a million rows.
class JournalTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The horizontal header's data for this role says whether people typed the column's cells
    // (a name, a file's name): written out, such a cell is text and never a formula.
    static constexpr int TypedRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    // Rows with the same name share an id below nameCount().
    virtual int nameOfRow(int row) const = 0;
    virtual int nameCount() const = 0;
    virtual QString foldedName(int name) const = 0;
    // What a search looks for its text in: the folded name, or every name the row goes by, one
    // a line.
    virtual QString searchedName(int name) const { return foldedName(name); }
    // Whether the row holds what the course cannot have written.
    virtual bool doubtful(int row) const = 0;
    virtual bool lessThan(int leftRow, int rightRow, int column) const = 0;
    // Whether the row belongs to the period the journal shows (see JournalPeriod): a table made
    // of the period's records alone has no other rows.
    virtual bool inPeriod(int) const { return true; }
    virtual bool wholeInPeriod() const { return true; }
    // Whether the row is new: appended while the journal was open, and not yet marked seen.
    virtual bool fresh(int) const { return false; }
    // Whether the row is a pupil of the class list with no attempt in the period.
    virtual bool absent(int) const { return false; }

signals:
    // What inPeriod() or fresh() says of the rows has changed.
    void marksChanged();
    // What searchedName() says of a row has changed, its row staying where it is.
    void namesChanged();
};
