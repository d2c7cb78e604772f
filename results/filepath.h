#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File names as the system has them: bytes. A name that is not valid UTF-8 (a folder named in
// Windows-1251 on a share mounted without a character set) must still open the file it names,
// so each byte that is not part of a valid UTF-8 sequence is carried in the text as a lone
// surrogate U+DC80..U+DCFF and turned back into that byte when the file is opened. Qt's own
// conversion would replace such bytes with U+FFFD and open another file.
namespace FilePath {

// The text of a name given as bytes (a command-line argument, a name read from a folder).
QString decode(const QByteArray &bytes);
// The bytes to open: decode(encode(x)) == x, and encode(decode(b)) == b for any bytes b.
QByteArray encode(const QString &path);

// The name from the root: a relative name is taken from the working directory (whose name may
// not be UTF-8 either), and "." and ".." are worked out as text.
QString absolute(const QString &path);

// The names of `paths` that name a file none of `taken` names, nor an earlier one of `paths`:
// by the same name from the root, or the same file (its device and inode) by any path or link.
QStringList withoutRepeats(const QStringList &paths, const QStringList &taken = {});

// The name as standard error shows it, for scripts: its bytes as they are once encoded, but
// each control character as \xHH per byte, so that a name cannot move a terminal's cursor or
// recolour it.
QString printable(const QString &path);

// The name as a person is shown it, in a box or a status bar: bytes that were not UTF-8 and
// control characters as U+FFFD, and a name longer than `limit` characters cut in the middle
// with «…», so that a box never grows off the screen.
QString shown(const QString &path, qsizetype limit = 120);

} // namespace FilePath
