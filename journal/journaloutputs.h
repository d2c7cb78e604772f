#pragma once

#include "journalreport.h"

#include <QObject>
#include <functional>

class JournalFilter;
class QMenu;
class QPrinter;
class QTableView;
class RecordsModel;

// What the journal writes out of its tables: the records or the pupils saved as CSV, the table
// of the tab shown printed or saved as PDF, and the selected rows copied for a spreadsheet.
// Every file goes through OutputFile, a print to a file too, which is written here rather than
// by the printer: whole or not at all, never over a file the journal reads, never through a
// link another user planted. The dialogs start in the folder last saved into, and a box says
// why something was not written.
class JournalOutputs : public QObject
{
    Q_OBJECT

public:
    enum class Table { Records, Pupils };

    // The most rows Ctrl+C copies: more would hold the window for seconds and the clipboard
    // would grow without end. A CSV file takes any number.
    static constexpr qint64 kMostCopied = 100000;

    // `shownTable` tells which table the tab shown holds; the chart's tab shows the pupils.
    JournalOutputs(const RecordsModel &records, const JournalFilter &recordsShown,
                   const JournalFilter &pupilsShown, std::function<Table()> shownTable,
                   QWidget *window);

    // What the report says after its subject («записи», «ученики»): the period shown, say.
    void setDescription(std::function<QString()> description)
    {
        m_description = std::move(description);
    }

    // «Сохранить записи в CSV…», «Сохранить учеников в CSV…», «Сохранить в PDF…», «Печать…».
    void addActions(QMenu &file);

    // What the filter shows of the table, as CSV (see TableWriter); false, with the reason, when
    // it was not saved.
    bool saveCsv(Table table, const QString &path, QString *problem = nullptr);
    // The table of the tab shown, as the filter shows it, for printing.
    JournalReport report() const;
    // The report as a PDF in `path`: why it was not saved, or nothing (also when stopped).
    QString savePdf(const QString &path);
    // The report on `printer` as its dialog set it up: why it was not printed, or nothing. A
    // printer set to a file writes it as savePdf() does, on the dialog's pages and range.
    QString print(QPrinter &printer);
    // Ctrl+C: the selected rows of `view` with a row of headings, as tab-separated text on the
    // clipboard; beyond kMostCopied rows, a box instead.
    void copy(const QTableView &view);

    // The tables may not change while a report is made: the window holds what it reads till
    // reportDone().
    bool reporting() const { return m_reporting; }

signals:
    void reportDone();

private:
    void chooseCsv(Table table);
    void choosePdf();
    void choosePrinter();
    QString writePdf(const QString &path,
                     const std::function<bool(JournalReport &, QIODevice &)> &write);
    // Runs `work` on `report` under a progress dialog with a button to stop it, and returns
    // what it returned.
    bool withProgress(JournalReport &report, const std::function<bool()> &work);
    void showProblem(const QString &text);

    const RecordsModel &m_records;
    const JournalFilter &m_recordsShown;
    const JournalFilter &m_pupilsShown;
    std::function<Table()> m_shownTable;
    std::function<QString()> m_description;
    QWidget *m_window;
    bool m_reporting = false;
};
