#pragma once

#include "cp1251.h"
#include "journalbatch.h"

#include <QAbstractTableModel>
#include <deque>

class RecordsModel;

// The lines of the journal's files that could not be read, with the reason for each and the
// line's start as text. The starts kept are at most kTextBytes in all: past that, a line is
// listed without its start.
class SkippedModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { File, Line, Reason, Text, ColumnCount };

    static constexpr qsizetype kTextBytes = 8 << 20;

    explicit SkippedModel(const RecordsModel &records, QObject *parent = nullptr);

    // Takes in a batch of an open file.
    void apply(const JournalBatch &batch);
    // Drops the lines of a file that was closed.
    void dropFile(int file);
    const SkippedLine &line(int row) const { return m_lines[size_t(row)]; }
    // The line's start as the table shows it: decoded as its file, control characters as their
    // pictures (␀, ␉, ␍...), «…» where it was cut.
    QString text(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    template <class Predicate> void drop(Predicate dropped);

    const RecordsModel &m_records;
    std::deque<SkippedLine> m_lines; // grows without copying what it holds
    QByteArray m_text;
    mutable Cp1251 m_codePage;
};
