#pragma once

#include "journalreport.h"
#include "outputtitle.h"

#include <QObject>
#include <functional>

class JournalFilter;
class QMenu;
class QPrinter;
class QTableView;
class RecordsModel;

// What the journal writes out of its tables: the records or the pupils saved as CSV in the
// form the user's spreadsheet reads, both as a workbook of a spreadsheet's own, the table of the
// tab shown printed or saved as PDF, and the selected rows copied for a spreadsheet. The report
// and the workbook say above their rows what they show (OutputTitle), and every output marks the
// values the course cannot have written (DoubtMarks). Every file goes through OutputFile, a
// print to a file too, which is written here rather than by the printer: whole or not at all,
// never over a file the journal reads, never through a link another user planted. The dialogs
// start in the folder last saved into, and a box says why something was not written.
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

    // What the window shows beyond the rows, for the titles of the report and the workbook: the
    // period, the class, the search, one pupil's attempts, only the doubtful. The subject, the
    // files and the time are filled in here.
    void setShown(std::function<OutputTitle()> shown) { m_shown = std::move(shown); }

    // «Сохранить записи в CSV…», «Сохранить учеников в CSV…», «Сохранить для таблиц (.xlsx)…»,
    // «Сохранить в PDF…», «Печать…».
    void addActions(QMenu &file);

    // What the filter shows of the table, as CSV (see TableWriter); false, with the reason, when
    // it was not saved.
    bool saveCsv(Table table, const QString &path, QString *problem = nullptr);
    // The pupils and the records as the filters show them, as a workbook in `path`: why it was
    // not saved, or nothing (also when stopped).
    QString saveWorkbook(const QString &path);
    // The title of the table's report or sheet.
    QStringList title(Table table) const;
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
    void chooseWorkbook();
    void choosePdf();
    void choosePrinter();
    // Asks where to save, starting from the remembered folder with `suggested` as the name,
    // keeps the folder chosen, and says why `save` (which returns it) could not save there.
    void chooseAndSave(const QString &title, const QString &suggested, const QString &filter,
                       const std::function<QString(const QString &)> &save);
    QString writePdf(const QString &path,
                     const std::function<bool(JournalReport &, QIODevice &)> &write);
    // Runs `work` under a progress dialog with a button to stop it, and returns what it
    // returned; `work` hands the progress on to what it runs.
    using Progress = JournalReport::Progress;
    bool withProgress(const QString &label, const std::function<bool(const Progress &)> &work);
    bool withProgress(JournalReport &report, const std::function<bool()> &work);
    void showProblem(const QString &text);

    const RecordsModel &m_records;
    const JournalFilter &m_recordsShown;
    const JournalFilter &m_pupilsShown;
    std::function<Table()> m_shownTable;
    std::function<OutputTitle()> m_shown;
    QWidget *m_window;
    bool m_reporting = false;
};
