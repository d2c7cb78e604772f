#pragma once

#include <QStringList>

// The class list the teacher uses with a set of results files, kept in the journal's settings,
// so that opening the same files again, in any order and by any path to them, brings the same
// list back. The names are kept, not the file they came from. The lists of the last kMostKept
// sets of files are kept; an older one is forgotten.
namespace RememberedClassList {

constexpr qsizetype kMostKept = 50;

// The names kept for these files (absolute paths); empty for none.
QStringList get(const QStringList &files);
// Keeps `names` for these files; empty names forget what was kept for them.
void keep(const QStringList &files, const QStringList &names);

} // namespace RememberedClassList
