#pragma once

#include <QObject>

class QAbstractItemModel;
class QString;
class QTableView;

// The columns of one of the journal's tables: numbers as wide as their values and a heading of
// two short lines need, the names the rest of the view's width, and never less than the
// longest name shown needs (within a bound): a scroll bar across the table comes before a cut
// name, as «Михайлова…» would not tell two pupils apart.
class TableColumns : public QObject
{
    Q_OBJECT

public:
    // A table of the journal's over `model`, named `name` for the tests and `shownName` for a
    // screen reader, its column of names `names`.
    static QTableView *makeTable(QAbstractItemModel &model, const QString &name,
                                 const QString &shownName, int names, QWidget *parent);
    // A column as wide as the longest line of its heading, or as `sample`, with room for the
    // mark of the sort.
    static int width(const QTableView &view, int column, const QString &sample);
    static void fit(QTableView &view, int column, const QString &sample);

    // The columns of a table makeTable() made.
    static TableColumns &of(const QTableView &view);

    // The longest name the table shows, in pixels of its font: the narrowest the names may be.
    void setWidestName(int pixels);
    // The widest of the first names of `model`'s `column`, within a bound.
    static int widestName(const QTableView &view, const QAbstractItemModel &model, int column);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TableColumns(QTableView &view, int names);
    void spread();

    QTableView &m_view;
    int m_names;
    int m_widestName = 0;
    bool m_spreading = false;
};
