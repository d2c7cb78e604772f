#pragma once

#include "journalbatch.h"
#include "journalrecord.h"
#include "journaltable.h"
#include "recordstore.h"

#include <QStringList>
#include <vector>

class QFont;

// Every record of the journal's files, one row each, in the order they were read.
class RecordsModel : public JournalTable
{
    Q_OBJECT

public:
    enum Column { Name, Left, Right, Double, Move, Game1, Game2, Total, File, Line, ColumnCount };

    explicit RecordsModel(QObject *parent = nullptr);

    static QString title(int column);
    // How the tables show a line without its line end.
    static QFont unendedFont();

    // Files are numbered in the order they are added, as the loader numbers them.
    void addFiles(const QStringList &paths);
    const QStringList &files() const { return m_files; }
    // The file's name as the tables show it.
    const QString &fileLabel(int file) const { return m_fileLabels[file]; }
    // The file's whole path, as a tooltip shows it.
    QString fileToolTip(int file) const;

    void apply(const JournalBatch &batch);

    const JournalRecord &record(int row) const { return m_records[row]; }
    const QString &name(quint32 id) const { return m_names[id]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int nameOfRow(int row) const override { return int(m_records[row].name); }
    int nameCount() const override { return int(m_names.size()); }
    QString foldedName(int name) const override { return m_folded[name]; }
    bool lessThan(int leftRow, int rightRow, int column) const override;

private:
    void dropFile(quint16 file);
    void dropUnended(quint16 file);

    RecordStore m_records;
    QStringList m_names;
    QStringList m_folded;
    QStringList m_files;
    QStringList m_fileLabels;
    mutable std::vector<int> m_ranks; // the names' alphabetical places, worked out when asked
};
