#include "journalhandover.h"

#include "filepath.h"
#include "systemerror.h"

#include <QByteArray>
#include <QDir>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <unistd.h>

namespace {

// The folder of the running program, through any link it was started by.
QByteArray ownFolder()
{
    QByteArray path(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), size_t(path.size()));
    if (length <= 0 || length >= path.size())
        return {};
    path.truncate(path.lastIndexOf('/', length - 1));
    return path;
}

} // namespace

int JournalHandover::exec(char *argv[])
{
    const QByteArray folder = ownFolder();
    // As installed, then as built.
    const QByteArray installed = FilePath::encode(QDir::cleanPath(
        FilePath::decode(folder + '/' + MOUSE_JOURNAL_FROM_BINDIR + "/mouse-tutor-journal")));
    const QByteArray candidates[] = {installed, folder + "/mouse-tutor-journal"};
    QByteArray tried = installed;
    int error = ENOENT;
    // Without its own folder the program has nowhere to look: a journal elsewhere is not ours.
    for (const QByteArray &candidate : candidates) {
        if (folder.isEmpty())
            break;
        ::execv(candidate.constData(), argv);
        // Only a program that is not there sends the look on to the next place.
        if (errno != ENOENT && errno != ENOTDIR) {
            error = errno;
            tried = candidate;
            break;
        }
    }
    const QString message = QStringLiteral("mouse-tutor: не удалось запустить журнал результатов "
                                           "«%1»: %2\n")
                                .arg(FilePath::printable(FilePath::decode(tried)),
                                     SystemError::text(error, SystemError::Use::Run));
    std::fputs(FilePath::encode(message).constData(), stderr);
    return 1;
}
