#pragma once

#include <QStringList>

// Where the journal's file dialogs start: the folder last opened from («openFolder») or saved
// into («saveFolder»), kept in the journal's settings; when none is kept or it is gone, the folder
// of the first results file open, where a teacher keeps the class's files; else the home folder.
namespace RememberedFolder {

QString get(const QString &key, const QStringList &openFiles);
// Keeps the folder of `path`, a file chosen in a dialog.
void keep(const QString &key, const QString &path);

} // namespace RememberedFolder
