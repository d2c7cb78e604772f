#pragma once

#include <QString>

// Where the journal's file dialogs start: the folder last opened from («openFolder») or saved
// into («saveFolder»), kept in the journal's settings; the home folder when that one is gone.
namespace RememberedFolder {

QString get(const QString &key);
// Keeps the folder of `path`, a file chosen in a dialog.
void keep(const QString &key, const QString &path);

} // namespace RememberedFolder
