#pragma once

#include <QList>
#include <QObject>

class ClassMenu;
class JournalOutputs;
class QMenuBar;
class QModelIndex;
class QPoint;
class QTabWidget;
class QTableView;

// Copying and choosing in the journal's tables: the «Правка» menu with «Копировать» (Ctrl+C: the
// selected rows, as JournalOutputs::copy writes them) and «Выделить всё» (Ctrl+A), for the
// table that has the focus, else the one of the tab shown; and a menu on the rows of each table
// with «Копировать», and on a pupil's also «Попытки ученика» and «Это тот же ученик, что…»; the
// menu key and Shift+F10 open it for the current row.
class TableMenus : public QObject
{
    Q_OBJECT

public:
    // `pupils` is the tab's for the chart too; `others` (the skipped lines) copy alike.
    TableMenus(QTableView &records, QTableView &pupils, const QList<QTableView *> &others,
               QTabWidget &tabs, JournalOutputs &outputs, ClassMenu &classMenu);

    void addTo(QMenuBar &bar);

signals:
    // «Попытки ученика», as a double click on the row.
    void pupilChosen(const QModelIndex &index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableView &target() const;
    // The menu of the row of `index`, at `at` in the view's viewport.
    void showMenu(QTableView &view, const QModelIndex &index, const QPoint &at);

    QTableView &m_records;
    QTableView &m_pupils;
    QTabWidget &m_tabs;
    JournalOutputs &m_outputs;
    ClassMenu &m_classMenu;
};
