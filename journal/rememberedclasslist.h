#pragma once

#include <QStringList>

class ClassList;

// The class list the teacher uses with a set of results files, kept in the journal's settings,
// so that opening the same files again, in any order and by any path to them, brings the same
// list back. The names are kept, not the file they came from. The lists of the last kMostKept
// sets of files are kept; an older one is forgotten.
namespace RememberedClassList {

constexpr qsizetype kMostKept = 50;

// The list kept for these files (absolute paths), with its name; empty for none.
ClassList get(const QStringList &files);
// Keeps `list` for these files; an empty list forgets what was kept for them.
void keep(const QStringList &files, const ClassList &list);

} // namespace RememberedClassList
