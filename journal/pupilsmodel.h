#pragma once

#include "classlist.h"
#include "journaltable.h"

#include <QHash>
#include <QIcon>
#include <array>
#include <vector>

class NameMerges;
class RecordsModel;
struct JournalRecord;

// One row per pupil, worked out from the records of the period as they arrive. Names that differ
// only in case, ё and е, or blanks are one pupil, and so are the names the teacher merged
// (NameMerges); a pupil is shown under the class list's spelling, else the one typed most often
// (shownName). With a class list, its pupils come first, in its order, those without an attempt
// in the period too; a column then says who is on it.
//
// A record the course cannot have written is counted among the attempts and left out of the
// summaries (first, best, latest, growth, the best scores, the course done), unless they are set
// to count it; a pupil with no other attempt has no summaries then. A pupil's first and latest
// attempt are by their times; attempts without a date count as older than any dated one, and
// where times are equal or unknown the order of the files and of their lines decides.
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
        Listed, // only with a class list
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
        QString name;   // as shown
        QString listed; // as the class list spells it; empty when not on it
        int attempts = 0;
        int summarized = 0; // the attempts the summaries count
        double first = 0;
        double best = 0;
        double latest = 0;
        Order firstOrder;
        Order latestOrder;
        std::array<qint16, 6> bestScores{};
        bool complete = false;      // all four exercises done in one attempt (CourseRules)
        int doubtful = 0;           // attempts the course cannot have written
        std::vector<quint32> names; // the records' names of the period, first seen first
    };

    explicit PupilsModel(const RecordsModel &records, QObject *parent = nullptr);

    static QString title(int column);
    // What the column holds, for its heading's tooltip.
    static QString explanation(int column);
    const Pupil &pupil(int row) const { return m_pupils[size_t(row)]; }
    // The cell as text, as the table shows it.
    QString text(int row, int column) const;

    // The pupils the teacher expects; an empty list for none.
    void setClassList(const ClassList &list);
    const ClassList &classList() const { return m_list; }
    // The names the teacher merged: each pupil is made of every name merged into them.
    void setMerges(const NameMerges &merges);
    // Whether the doubtful records count in the summaries.
    void setCountDoubtful(bool count);
    bool countsDoubtful() const { return m_countDoubtful; }

    // The class list's pupils, and those of them without an attempt in the period.
    int listedCount() const;
    int absentCount() const;
    // The row of the pupil a name is; -1 for none.
    int rowOf(const QString &name) const;
    // Every folded name of the records that is this pupil's, for their attempts.
    QStringList foldedNames(int row) const;
    // A name of the pupil that merges them, all their other names with them, into another.
    QString mergedName(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int nameOfRow(int row) const override { return row; }
    int nameCount() const override { return rowCount(); }
    QString foldedName(int name) const override { return m_keys[name]; }
    QString searchedName(int name) const override;
    bool doubtful(int row) const override { return m_pupils[size_t(row)].doubtful > 0; }
    bool absent(int row) const override
    {
        return !m_pupils[size_t(row)].listed.isEmpty() && m_pupils[size_t(row)].attempts == 0;
    }
    bool lessThan(int leftRow, int rightRow, int column) const override;

private:
    QString keyOf(const QString &folded) const;
    void add(int firstRow, int lastRow);
    void count(Pupil &pupil, const JournalRecord &record);
    void rebuild();
    int pupilOf(quint32 name, std::vector<Pupil> &fresh, QStringList &freshKeys, bool &grew);
    QString shownNameOf(const Pupil &pupil) const;
    QString toolTip(const Pupil &pupil) const;

    const RecordsModel &m_records;
    const NameMerges *m_merges = nullptr;
    ClassList m_list;
    bool m_countDoubtful = false;
    std::vector<Pupil> m_pupils;
    QStringList m_keys;
    QHash<QString, int> m_byKey;
    std::vector<int> m_pupilOfName;      // by the records' name ids; -1 not yet seen
    std::vector<qsizetype> m_nameCounts; // the period's records of each name id
    mutable std::vector<int> m_ranks;
    mutable QIcon m_doubtIcon;
    mutable QIcon m_unlistedIcon;
};
