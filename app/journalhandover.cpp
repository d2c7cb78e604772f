#include "journalhandover.h"

#include "filepath.h"
#include "systemerror.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kJournal[] = "mouse-tutor-journal";
// More links than this on one path are a loop, as the system counts them.
constexpr int kMaxLinks = 40;

// The folder of the running program, from the root and through any link it was started by.
QByteArray ownFolder()
{
    QByteArray path(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), size_t(path.size()));
    if (length <= 0 || length >= path.size())
        return {};
    path.truncate(path.lastIndexOf('/', length - 1));
    return path.isEmpty() ? QByteArray("/") : path;
}

bool sameFolder(const QByteArray &one, const char *other)
{
    struct stat a = {};
    struct stat b = {};
    return ::stat(one.constData(), &a) == 0 && ::stat(other, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

QString shown(const QByteArray &path)
{
    return FilePath::printable(FilePath::decode(path));
}

// A program the course may start as the teacher, or why not.
struct Checked
{
    QByteArray path;  // from the root, through no link
    int error = 0;    // the file or a folder on its way is not there, or cannot be looked at
    QString distrust; // another user could have put it there or changed it
};

// Why another user could have changed `status`, the file itself or a folder on its way; empty
// when no one else can. Each belongs to root or to this user, and none may be written by the
// group or by others, but for a folder with the sticky bit (as /tmp): there others may add
// names of their own, but neither replace nor rename ours.
QString distrustOf(const struct stat &status, const QByteArray &path, bool file)
{
    const bool owned = status.st_uid == 0 || status.st_uid == ::geteuid();
    const bool shared = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    if (file && !S_ISREG(status.st_mode))
        return QStringLiteral("это не файл программы");
    if (!owned)
        return file
                   ? QStringLiteral("файл принадлежит другому пользователю")
                   : QStringLiteral("папка «%1» принадлежит другому пользователю").arg(shown(path));
    if (shared && (file || (status.st_mode & S_ISVTX) == 0))
        return file ? QStringLiteral("файл могут изменить другие пользователи")
                    : QStringLiteral("в папку «%1» могут писать другие пользователи")
                          .arg(shown(path));
    return {};
}

// Follows `path` from the root a name at a time, as the system would to start it, and looks at
// every folder it goes through, the folders that hold its links, and the file it ends at.
Checked check(const QByteArray &path)
{
    Checked checked;
    QByteArrayList names = path.split('/');
    QByteArray at = "/"; // a folder already looked at, through no link
    struct stat status = {};
    if (::stat("/", &status) != 0) {
        checked.error = errno;
        return checked;
    }
    checked.distrust = distrustOf(status, at, false);
    int links = 0;
    while (checked.distrust.isEmpty() && !names.isEmpty()) {
        const QByteArray name = names.takeFirst();
        if (name.isEmpty() || name == ".")
            continue;
        if (name == "..") {
            at.truncate(std::max<qsizetype>(1, at.lastIndexOf('/')));
            continue;
        }
        const QByteArray next = at == "/" ? at + name : at + '/' + name;
        if (::lstat(next.constData(), &status) != 0) {
            checked.error = errno;
            return checked;
        }
        if (S_ISLNK(status.st_mode)) {
            QByteArray target(PATH_MAX, Qt::Uninitialized);
            const ssize_t length = ::readlink(next.constData(), target.data(), PATH_MAX);
            if (++links > kMaxLinks || length <= 0 || length >= PATH_MAX) {
                checked.error = length < 0 ? errno : ELOOP;
                return checked;
            }
            target.truncate(length);
            if (target.startsWith('/'))
                at = "/";
            names = target.split('/') + names;
            continue;
        }
        const bool file = names.isEmpty() || !S_ISDIR(status.st_mode);
        if (!names.isEmpty() && !S_ISDIR(status.st_mode)) {
            checked.error = ENOTDIR;
            return checked;
        }
        checked.distrust = distrustOf(status, next, file);
        at = next;
    }
    checked.path = at;
    return checked;
}

} // namespace

int JournalHandover::exec(char *argv[])
{
    const QByteArray folder = ownFolder();
    // Without its own folder the program has nowhere to look: a journal elsewhere is not ours.
    QByteArrayList candidates;
    // The package's private folder belongs to the installed program alone: the same layout
    // copied elsewhere (a share) is no reason to run what stands there.
    if (!folder.isEmpty() && sameFolder(folder, MOUSE_BINDIR))
        candidates << QByteArray(MOUSE_JOURNAL_DIR "/") + kJournal;
    if (!folder.isEmpty())
        candidates << (folder == "/" ? folder : folder + '/') + kJournal;
    QByteArray tried = candidates.value(0, kJournal);
    int error = ENOENT;
    QString why;
    for (const QByteArray &candidate : std::as_const(candidates)) {
        tried = candidate;
        const Checked checked = check(candidate);
        error = checked.error;
        why = checked.distrust;
        if (error == 0 && why.isEmpty()) {
            ::execv(checked.path.constData(), argv);
            error = errno;
        }
        // Only a program that is not there sends the look on to the next place.
        if (!why.isEmpty() || (error != ENOENT && error != ENOTDIR))
            break;
    }
    if (why.isEmpty())
        why = SystemError::text(error, SystemError::Use::Run);
    const QString message = QStringLiteral("mouse-tutor: не удалось запустить журнал результатов "
                                           "«%1»: %2\n")
                                .arg(shown(tried), why);
    std::fputs(FilePath::encode(message).constData(), stderr);
    return 1;
}
