#pragma once

#include "journaltable.h"

#include <QHash>
#include <QIcon>
#include <array>
#include <vector>

class RecordsModel;

// One row per pupil, worked out from the records of the period as they arrive. Names that differ
// only in case, ё and е, or blanks are one pupil, shown as the name was first written. A pupil's
// first and latest attempt are by their times; attempts without a date count as older than any
// dated one, and where times are equal or unknown the order of the files and of their lines
// decides. A pupil is doubtful with an attempt the course cannot have written.
class PupilsModel : public JournalTable
{
    Q_OBJECT

public:
    enum Column {
        Name,
        Attempts,
        First,
        Best,
        Latest,
        Change,
        Left,
        Right,
        Double,
        Move,
        Game1,
        Game2,
        Complete,
        ColumnCount
    };

    // Where an attempt stands among a pupil's attempts.
    struct Order
    {
        bool dated = false;
        qint64 when = 0;
        quint64 place = 0; // file and line
        auto operator<=>(const Order &) const = default;
    };

    struct Pupil
    {
        QString name;
        int attempts = 0;
        double first = 0;
        double best = 0;
        double latest = 0;
        Order firstOrder;
        Order latestOrder;
        std::array<qint16, 6> bestScores{};
        bool complete = false; // all four exercises done in one attempt (CourseRules)
        int doubtful = 0;      // attempts the course cannot have written
    };

    explicit PupilsModel(const RecordsModel &records, QObject *parent = nullptr);

    static QString title(int column);
    // What the column holds, for its heading's tooltip.
    static QString explanation(int column);
    const Pupil &pupil(int row) const { return m_pupils[size_t(row)]; }
    // The cell as text, as the table shows it.
    QString text(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int nameOfRow(int row) const override { return row; }
    int nameCount() const override { return rowCount(); }
    QString foldedName(int name) const override { return m_keys[name]; }
    bool doubtful(int row) const override { return m_pupils[size_t(row)].doubtful > 0; }
    bool lessThan(int leftRow, int rightRow, int column) const override;

private:
    void add(int firstRow, int lastRow);
    void rebuild();
    int pupilOf(quint32 name, std::vector<Pupil> &fresh, QStringList &freshKeys);

    const RecordsModel &m_records;
    std::vector<Pupil> m_pupils;
    QStringList m_keys;
    QHash<QString, int> m_byKey;
    std::vector<int> m_pupilOfName; // by the records' name ids; -1 not yet seen
    mutable std::vector<int> m_ranks;
    mutable QIcon m_doubtIcon;
};
