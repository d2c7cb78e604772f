#pragma once

// journal/: the teacher's journal, on the results library, Qt Widgets, Qt Charts and Qt Print
// Support: the models over the records, the filter, the chart, the window, the CSV export and
// the printed report. Only the journal's own program links it.

#include "journalbatch.h"
#include "journaloutputs.h"
#include "journalreport.h"

#include <QMainWindow>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>
#include <vector>

class ClassList;
class ClassMenu;
class FileMenu;
class JournalFilter;
class JournalStatus;
class JournalLoader;
class NewRecords;
class PeriodBar;
class PupilsChart;
class PupilsModel;
class QDockWidget;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableView;
class RecordsModel;
class SkippedModel;

// The teacher's journal: every record of the results files, a row per pupil, a chart, the lines
// that could not be read; saving, printing and copying are JournalOutputs', the «Файл» menu
// FileMenu's, the status bar JournalStatus's, the tables' columns TableColumns'. It reads the files
// on a thread of its own, follows them as pupils' programs append to them, and never writes to
// them. It opens at a size that fits the screen.
class JournalWindow : public QMainWindow
{
    Q_OBJECT

public:
    using Table = JournalOutputs::Table;

    explicit JournalWindow(QWidget *parent = nullptr);
    ~JournalWindow() override;

    // A file already open, by whatever path or link, is not opened again.
    void openFiles(const QStringList &paths);
    // Its records, pupils and skipped lines go, and it is no longer followed.
    void closeFile(int file);
    // Shows the records saved from `from` up to before `until` (seconds since 1970).
    void setPeriod(qint64 from, qint64 until);
    // Shows the pupils of the list, as «Класс → Список класса…» does.
    void setClassList(const ClassList &list);

    // What the filter shows of the table, as CSV; false, with the reason, when it was not saved
    // (see JournalOutputs, which saves, prints and copies).
    bool saveCsv(Table table, const QString &path, QString *problem = nullptr);
    // The table of the tab shown, as the filter shows it, for printing: the records, or the
    // pupils (also under the chart).
    JournalReport report() const;
    // A size that fits `available` (a screen's, without its panels) with the frame around it, in
    // its middle: the size it would take on a large screen, less on a small one.
    void fitTo(const QRect &available);

signals:
    // Every file has been looked at, and what was read is in the tables.
    void lookDone();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLayout *buildSearchRow(QWidget *central);
    QWidget *buildRecordsPage();
    void fitColumns();
    void showPupil(const QModelIndex &index);
    void leavePupil();
    void updateTitle();
    void apply(const std::shared_ptr<JournalBatch> &batch);
    void finishLook();
    void updateSummary();
    // What was read while a report was made, which waited until it was done.
    void applyHeld();

    RecordsModel *m_records;
    PupilsModel *m_pupils;
    SkippedModel *m_skipped;
    JournalFilter *m_recordsFilter;
    JournalFilter *m_pupilsFilter;
    QLineEdit *m_search;
    PeriodBar *m_periodBar;
    NewRecords *m_newRecords;
    QTabWidget *m_tabs;
    QWidget *m_pupilBar; // above the records while they are one pupil's
    QLabel *m_pupilName;
    QString m_pupil; // the folded name of the pupil whose records are shown, or empty
    int m_sortBeforePupil = -1;
    Qt::SortOrder m_orderBeforePupil = Qt::AscendingOrder;
    QTableView *m_recordsView;
    QTableView *m_pupilsView;
    PupilsChart *m_chart;
    QDockWidget *m_skippedDock;
    FileMenu *m_fileMenu;
    JournalStatus *m_status;
    QTimer m_summaryLater;

    // While a large read goes on, the records stay in file order and are sorted once at its end.
    int m_heldSortColumn = -1;
    Qt::SortOrder m_heldSortOrder = Qt::AscendingOrder;

    JournalOutputs *m_outputs;
    ClassMenu *m_classMenu;
    std::vector<std::shared_ptr<JournalBatch>> m_heldBatches;

    // The reading thread notes memory that ran out on it, rather than abort the program: the
    // window then ends the journal as it does for its own.
    class ReadingThread : public QThread
    {
    public:
        std::atomic_bool outOfMemory = false;

    protected:
        void run() override;
    };
    ReadingThread m_thread;
    JournalLoader *m_loader;
};
