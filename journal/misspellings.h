#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

class ClassList;

// Which names may be a misspelling of another: a name not on the class list against the listed
// names and against the other names not on it, all folded (foldName), within two edits: a letter
// put in, left out or changed, or two neighbours swapped.
class Misspellings
{
public:
    static constexpr int kMaxEdits = 2;

    struct Hint
    {
        QString name;       // folded, not on the list
        QStringList listed; // the listed names near it, as listed, nearest first
        QStringList others; // the other names off the list near it, folded, nearest first
    };

    // `names`: the pupils' folded names, each once. A name with nothing near it has no hint.
    static std::vector<Hint> find(const QStringList &names, const ClassList &list);

    // The edits between two texts, or kMaxEdits + 1 when there are more.
    static int distance(QStringView a, QStringView b);
};
