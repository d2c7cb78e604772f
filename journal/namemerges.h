#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QSettings;

// One pupil under one name: the teacher says that a name («Михаилова Настя», a typo) is the same
// pupil as another («Михайлова Настя»). The merges are the teacher's own, kept in the journal's
// settings so that they survive a restart, and never written to a results file. Names are
// compared folded (foldName); merging A into B and then B into C puts A in C, and a merge that
// would lead a name back to itself is refused.
class NameMerges : public QObject
{
    Q_OBJECT

public:
    // Settings edited by hand are read no further than this.
    static constexpr qsizetype kMaxMerges = 10000;
    static constexpr qsizetype kMaxNameLength = 1000;

    // A merge as the teacher made it, with the names as they were shown.
    struct Merge
    {
        QString name;
        QString into;
    };

    // The journal's settings: QSettings("mouse-tutor", "journal").
    explicit NameMerges(QObject *parent = nullptr);

    // In the order they were made.
    const QList<Merge> &merges() const { return m_merges; }

    // Makes `name` the same pupil as `into`, in place of what `name` was merged into before;
    // false, with the reason in Russian, when it would lead `into` back to `name` or the names
    // are one.
    bool merge(const QString &name, const QString &into, QString *problem = nullptr);
    // Takes back the merge of `name`; names merged into it stay there. False when there was none.
    bool undo(const QString &name);

    // The folded name of the pupil a folded name belongs to: itself when it is merged into none.
    QString pupilOf(const QString &folded) const;

signals:
    void changed();

private:
    bool add(const Merge &merge, QString *problem);
    void save() const;

    QList<Merge> m_merges;
    QHash<QString, QString> m_into; // folded name -> folded name it is merged into
};
