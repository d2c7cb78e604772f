#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// The class list: the pupils a teacher expects, one name a line, from a plain text file or from
// names pasted into a box. A file's line is UTF-8 when its bytes are valid UTF-8 with letters
// beyond ASCII, else Windows-1251; a byte order mark at the start makes the whole file UTF-8.
// Blank lines and lines that start with # are left out; blanks around a name are dropped and
// runs of blanks inside it made one. Names are compared as the journal folds them (foldName):
// a name listed twice is kept once, as first written, and reported.
class ClassList
{
public:
    // A list beyond these is refused: it is not a class list, and must not fill the memory.
    static constexpr qsizetype kMaxLineLength = 200; // characters, blanks included
    static constexpr qsizetype kMaxNames = 1000;
    static constexpr qint64 kMaxFileSize = 1 << 20;

    // A name found more than once: the lines it is on, from 1; the first one is kept.
    struct Repeat
    {
        QString name;
        std::vector<int> lines;
    };

    // A list read from a file is named after it, without its extension («5А» for 5А.txt).
    static ClassList fromFile(const QString &path);
    static ClassList fromText(const QString &text, const QString &name = {});

    // The class's name, as printed and saved above the tables; empty for names typed in.
    const QString &name() const { return m_name; }

    // Why the list was refused, in Russian; empty when it was read. A refused list is empty.
    const QString &problem() const { return m_problem; }
    bool isEmpty() const { return m_names.isEmpty(); }
    // The names as listed, in their order.
    const QStringList &names() const { return m_names; }
    const std::vector<Repeat> &repeats() const { return m_repeats; }
    // The repeats as one line each for the teacher: «Иванов Петя» повторяется в строках 3, 7.
    QStringList repeatNotes() const;

    // Whether a folded name (foldName) is on the list.
    bool contains(const QString &folded) const { return m_byFolded.contains(folded); }
    // The name as listed that a folded name belongs to; empty when it is not on the list.
    QString listedName(const QString &folded) const;

private:
    // Takes the lines in; false, with the problem set and nothing kept, when the list is refused.
    bool take(const QStringList &lines);
    void refuse(const QString &problem);

    // Where a listed name is, and its entry in m_repeats once it is met again.
    struct Listed
    {
        int line = 0;
        int repeat = -1;
    };

    QString m_problem;
    QString m_name;
    QStringList m_names;
    std::vector<Listed> m_listed;
    QHash<QString, int> m_byFolded;
    std::vector<Repeat> m_repeats;
};
