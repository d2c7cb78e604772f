#pragma once

#include "journalbatch.h"

#include <QAbstractTableModel>
#include <vector>

class RecordsModel;

// The lines of the journal's files that could not be read, with the reason for each.
class SkippedModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { File, Line, Reason, ColumnCount };

    explicit SkippedModel(const RecordsModel &records, QObject *parent = nullptr);

    void apply(const JournalBatch &batch);
    const SkippedLine &line(int row) const { return m_lines[size_t(row)]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const RecordsModel &m_records;
    std::vector<SkippedLine> m_lines;
};
