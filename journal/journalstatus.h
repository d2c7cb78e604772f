#pragma once

#include "filefollower.h"

#include <QObject>
#include <QStringList>

class NewRecords;
class QDockWidget;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class RecordsModel;

// The journal's status bar: the counts of the period, «Новых: N» and «Пропущено строк: N»
// (which the «Вид» menu offers too, for the keyboard), what became of each file (not found,
// not read and why, read as UTF-8), and while files are read, which one, how far, and a button
// to stop. A narrow window cuts the counts and the notes; their tooltips hold them whole.
class JournalStatus : public QObject
{
    Q_OBJECT

public:
    JournalStatus(QStatusBar &bar, const RecordsModel &records, NewRecords &newRecords,
                  QDockWidget &skippedDock);

    // «Новые записи» and «Пропущенные строки», for the «Вид» menu.
    void addTo(QMenu &view);

    void setSummary(const QString &text, int skipped);
    // How far the file is read, in thousandths.
    void showProgress(int file, int done);
    // While another program holds the file's lock, the tables may stay empty: says why.
    void showLockWait(int file, bool waiting);
    void hideProgress();
    void noteFileState(int file, FileFollower::State state, const QString &problem,
                       FileEncodings encodings);
    // The file's notes go with it.
    void dropFile(int file);

signals:
    void cancelWanted();

private:
    void showProblems();

    const RecordsModel &m_records;
    NewRecords &m_newRecords;
    QDockWidget &m_skippedDock;
    QLabel *m_summary;
    QLabel *m_problems;
    QPushButton *m_skippedButton;
    QLabel *m_reading; // the file the progress bar is about
    QProgressBar *m_progress;
    QPushButton *m_cancel;
    QStringList m_fileProblems;
};
