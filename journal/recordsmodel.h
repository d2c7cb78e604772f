#pragma once

#include "journalbatch.h"
#include "journalperiod.h"
#include "journalrecord.h"
#include "journaltable.h"
#include "recordstore.h"

#include <QIcon>
#include <QStringList>
#include <vector>

class QFont;

// Every record of the journal's files, one row each, in the order they were read.
class RecordsModel : public JournalTable
{
    Q_OBJECT

public:
    enum Column {
        Name,
        Left,
        Right,
        Double,
        Move,
        Game1,
        Game2,
        Total,
        When,
        Host,
        File,
        Line,
        ColumnCount
    };

    explicit RecordsModel(QObject *parent = nullptr);

    static QString title(int column);
    // What the column holds, for its heading's tooltip.
    static QString explanation(int column);
    // How the tables show a line without its line end.
    static QFont unendedFont();
    // Why the course cannot have written the record, a line for each reason; only the reason
    // about `column` when it is a score or the total.
    static QStringList doubtReasons(const JournalRecord &record, int column = Name);
    // The bit of JournalRecord::doubts about a column; 0 for a column without one.
    static quint8 doubtBit(int column);
    // The mark of a doubtful row, made in `icon` when first asked for: it needs the
    // application's style.
    static const QIcon &doubtIcon(QIcon &icon);

    // Files are numbered in the order they are added, as the loader numbers them; a closed
    // file keeps its number, and its records are gone.
    void addFiles(const QStringList &paths);
    void closeFile(int file);
    int fileCount() const { return int(m_files.size()); }
    bool isOpen(int file) const { return !m_closed[size_t(file)]; }
    // The paths of the files open, in their order.
    QStringList openFiles() const;
    const QString &filePath(int file) const { return m_files[file]; }
    // The file's name as the tables show it.
    const QString &fileLabel(int file) const { return m_fileLabels[file]; }
    // The file's whole path, as a tooltip shows it.
    QString fileToolTip(int file) const;

    // Takes in a batch of an open file.
    void apply(const JournalBatch &batch);

    const JournalRecord &record(int row) const { return m_records[row]; }
    const QString &name(quint32 id) const { return m_names[id]; }
    // The computer's name; empty for none.
    const QString &hostName(quint16 id) const { return m_hosts[id]; }
    // Of the period's records.
    int doubtfulCount() const { return int(m_doubtful); }

    // The record's time as the table shows it, in this computer's time zone: "08.12.2026
    // 10:15", with "≈" before a time the journal saw it at; "—" when undated.
    static QString whenText(const JournalRecord &record);
    // The time as ISO 8601 with the offset from UTC of the computer that saved the record
    // (2026-12-08T10:15:02+03:00); empty unless the dates file gives it.
    static QByteArray isoWhen(const JournalRecord &record);

    // Only the records of the period count: the filter shows no others, and the pupils are
    // made of them.
    void setPeriod(const JournalPeriod &period);
    const JournalPeriod &period() const { return m_period; }
    bool counted(const JournalRecord &record) const { return m_period.contains(record); }
    // The records the period leaves out, and how many of them are undated.
    qsizetype outsideCount() const { return m_outside; }
    qsizetype undatedOutsideCount() const { return m_undatedOutside; }

    // New records: appended while the journal was open, in lines past those marked seen.
    bool isFresh(const JournalRecord &record) const
    {
        return record.arrived && record.line > m_seenLines[record.file];
    }
    qsizetype freshCount() const;
    void markSeen();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int nameOfRow(int row) const override { return int(m_records[row].name); }
    int nameCount() const override { return int(m_names.size()); }
    QString foldedName(int name) const override { return m_folded[name]; }
    bool doubtful(int row) const override { return m_records[row].doubts != 0; }
    bool lessThan(int leftRow, int rightRow, int column) const override;
    bool inPeriod(int row) const override { return counted(m_records[row]); }
    bool wholeInPeriod() const override { return m_period.all; }
    bool fresh(int row) const override { return isFresh(m_records[row]); }

signals:
    // The period changed, or records read before were dated since: the pupils are made anew.
    void countedChanged();
    // A file was added or closed.
    void filesChanged();

private:
    void dropFile(quint16 file);
    void dropUnended(quint16 file);
    void takeDates(const JournalBatch &batch);
    void countOutside();
    void tally(const JournalRecord &record, int sign);
    void labelFiles();
    QVariant toolTip(const JournalRecord &record, int column) const;
    QString whenToolTip(const JournalRecord &record) const;

    RecordStore m_records;
    qsizetype m_doubtful = 0;
    JournalPeriod m_period;
    qsizetype m_outside = 0;
    qsizetype m_undatedOutside = 0;
    std::vector<quint32> m_seenLines; // by file: the new records marked seen end there
    QStringList m_hosts{QString()};
    QStringList m_names;
    QStringList m_folded;
    QStringList m_files;
    std::vector<bool> m_closed;
    QStringList m_fileLabels;
    mutable QIcon m_doubtIcon;
    mutable std::vector<int> m_ranks; // the names' alphabetical places, worked out when asked
};
