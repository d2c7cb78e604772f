#include "resultsfile.h"

#include "appendfailure.h"
#include "bytesource.h"
#include "cp1251.h"
#include "datesfile.h"
#include "filelock.h"
#include "filepath.h"
#include "openedfile.h"
#include "resultsfailure.h"
#include "resultsparser.h"
#include "resultstail.h"
#include "systemerror.h"
#include "totaltext.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileSource : public ByteSource
{
public:
    explicit FileSource(int fd) : m_fd(fd) {}
    qint64 read(char *buffer, qint64 capacity) override
    {
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, static_cast<size_t>(capacity));
            if (got >= 0 || errno != EINTR)
                return got;
        }
    }

private:
    int m_fd;
};

// Waits until the file's data is on the disk; returns 0 or the error number.
int syncData(int fd)
{
    for (;;) {
        if (::fdatasync(fd) == 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

// A results file the program appends to is missing only when its folder is.
QString reasonFor(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return QStringLiteral("папка программы не найдена");
    return SystemError::text(error, SystemError::Use::Write);
}

// What goes before the line so that it starts a line of its own, from the file's last byte: a
// last line that lost its line end (a program that died mid-line, a hand edit, NUL padding
// after a crash) stays one damaged line instead of taking this record with it. A lone CR only
// needs its LF: CR CR LF would make an empty line, which the strict reader takes for a field
// and then misreads every record after it. Nothing when the byte cannot be read.
QByteArrayView lineStart(int fd, off_t size)
{
    char last = '\n';
    if (size > 0) {
        while (::pread(fd, &last, 1, size - 1) < 0 && errno == EINTR) {
        }
    }
    return last == '\n' ? "" : last == '\r' ? "\n" : "\r\n";
}

// The name as it can stand between the quotes: a double quote would end the field early and a
// line end would split the record, so a double quote becomes a single quote and every control
// character a space. The user's row on the screen still shows the name as typed.
QString storableName(const QString &name)
{
    QString stored = name;
    for (QChar &c : stored) {
        const char16_t u = c.unicode();
        if (u == u'"')
            c = QLatin1Char('\'');
        else if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
            c = QLatin1Char(' ');
    }
    return stored;
}

} // namespace

ResultsFile::ResultsFile(QString path, std::chrono::milliseconds lockWait)
    : m_path(std::move(path)), m_lockWait(lockWait), m_sync(syncData)
{
}

FileLock::Wait ResultsFile::startWait(std::function<void()> meanwhile) const
{
    return {std::chrono::steady_clock::now() + m_lockWait, std::move(meanwhile)};
}

QByteArray ResultsFile::formatLine(const ResultRecord &record)
{
    Cp1251 codePage;
    QByteArray line;
    line.reserve(64 + record.Nam.size());
    line += '"';
    line += codePage.encode(storableName(record.Nam));
    line += '"';
    for (int score : {int(record.L), int(record.R), int(record.Dbl), int(record.M), int(record.G1),
                      int(record.G2)}) {
        line += ',';
        line += QByteArray::number(score);
    }
    line += ',';
    line += totalText(record.Resul).toLatin1();
    line += "\r\n";
    return line;
}

ResultList ResultsFile::LoadResults(const FileLock::Wait &wait) const
{
    const OpenedFile file(m_path, O_RDONLY);
    if (file.fd() < 0)
        throw ResultsFailure("res.txt cannot be opened");
    if (!file.isPlain())
        throw ResultsFailure("res.txt is not a plain file");
    if (FileLock::lock(file.fd(), F_RDLCK, wait) == FileLock::Outcome::Busy)
        throw ResultsFailure("res.txt stays locked by another program");
    if (const qint64 size = file.status().st_size; size >= ResultsTail::kFrom) {
        if (std::optional<ResultList> newest = ResultsTail::read(file.fd(), size))
            return *std::move(newest);
    }
    FileSource source(file.fd());
    return ResultsParser(source).parse();
}

void ResultsFile::AppendResult(const ResultRecord &record, const FileLock::Wait &wait) const
{
    QByteArray line;
    try {
        line = formatLine(record);
    } catch (const std::runtime_error &) { // no converter for the code page
        throw AppendFailure(QStringLiteral("нет перекодировки в кодировку Windows-1251"));
    }

    // Open for reading too, to look at the last byte, unless the name is not a plain file: a
    // pipe opened for reading as well would take the line into its own buffer, where nobody
    // reads it. A file that may only be written (a drop box) is appended to without the look.
    const QByteArray name = FilePath::encode(m_path);
    struct stat status = {};
    OpenedFile file;
    if (::stat(name.constData(), &status) != 0 || S_ISREG(status.st_mode))
        file = OpenedFile(name, O_RDWR | O_APPEND | O_CREAT, 0666);
    if (file.fd() < 0)
        file = OpenedFile(name, O_WRONLY | O_APPEND | O_CREAT, 0666);
    if (file.fd() < 0)
        throw AppendFailure(reasonFor(file.error()));
    // Only a plain file is shared with other programs and locked; a device under that name
    // (a full disk's stand-in, say) is written as it is.
    const bool plainFile = file.isPlain();
    if (plainFile && FileLock::lock(file.fd(), F_WRLCK, wait) == FileLock::Outcome::Busy)
        throw AppendFailure(reasonFor(EAGAIN));
    // The size before writing, to take back a line that was only partly written: a half line
    // would shift the fields of every later record. The lock keeps it from changing meanwhile.
    if (plainFile && ::fstat(file.fd(), &status) != 0)
        throw AppendFailure(reasonFor(errno));
    const QByteArrayView start = plainFile ? lineStart(file.fd(), status.st_size) : "";
    line.prepend(start.toByteArray());
    qsizetype written = 0;
    int error = OpenedFile::writeWhole(file.fd(), line, written);
    // The line must survive a power cut right after the results window opened. A line that
    // cannot be stored (a file system that finds out only now that it is full, a failing disk)
    // is taken back like a half line: a failed append leaves nothing behind, and trying again
    // does not store the line twice. A device under that name has nothing to keep.
    if (error == 0 && plainFile)
        error = m_sync(file.fd());
    if (error != 0) {
        if (written > 0 && plainFile)
            static_cast<void>(::ftruncate(file.fd(), status.st_size));
        throw AppendFailure(reasonFor(error));
    }
    // Dated once the record is on the disk, still under the lock, so that the dates file's
    // lines come in the order of the records. The record is saved whatever becomes of its date.
    if (plainFile) {
        const QString problem = DatesFile::append(name, file.fd(), status.st_size + start.size(),
                                                  QByteArrayView(line).sliced(start.size()));
        if (!problem.isEmpty())
            std::fputs(FilePath::encode(
                           QStringLiteral("mouse-tutor: дата попытки не записана в "
                                          "«%1»: %2\n")
                               .arg(FilePath::printable(FilePath::decode(DatesFile::nameFor(name))),
                                    problem))
                           .constData(),
                       stderr);
    }
    if (const int closeError = file.close())
        throw AppendFailure(reasonFor(closeError));
}
