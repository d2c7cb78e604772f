#include "datesfile.h"

#include "crc32.h"
#include "openedfile.h"
#include "systemerror.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kDay = 86400;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, counted in eras of 400
// years, which repeat exactly.
constexpr qint64 daysFromCivil(qint64 year, int month, int day)
{
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const qint64 yearOfEra = year - era * 400;
    const qint64 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct Civil
{
    qint64 year;
    int month;
    int day;
};

constexpr Civil civilFromDays(qint64 days)
{
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = int(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    return {yearOfEra + era * 400 + (month <= 2), month, day};
}

static_assert(daysFromCivil(1970, 1, 1) == 0 && daysFromCivil(2000, 3, 1) == 11017);
static_assert(civilFromDays(11017).year == 2000 && civilFromDays(11017).month == 3);
static_assert(daysFromCivil(0, 1, 1) * kDay == DatesFile::kFirstSecond);

constexpr bool leapYear(qint64 year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

constexpr int daysInMonth(qint64 year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

// Exactly `count` decimal digits at `at`, as a number; -1 otherwise.
int digits(std::string_view text, size_t at, size_t count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// A count as the course writes it: decimal digits without a sign or leading zeros, at most
// `limit`.
std::optional<qint64> count(std::string_view text, qint64 limit)
{
    if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0'))
        return {};
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return {};
        value = value * 10 + (c - '0');
    }
    if (value > limit)
        return {};
    return value;
}

std::optional<quint32> hexCrc(std::string_view text)
{
    if (text.size() != 8)
        return {};
    quint32 value = 0;
    for (char c : text) {
        int nibble = 0;
        if (c >= '0' && c <= '9')
            nibble = c - '0';
        else if (c >= 'a' && c <= 'f')
            nibble = c - 'a' + 10;
        else
            return {};
        value = value << 4 | quint32(nibble);
    }
    return value;
}

bool hostByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte != 0x7f;
}

// The field before the next single space, or the rest; the place after its space.
std::string_view field(std::string_view text, size_t &at)
{
    if (at > text.size())
        return {};
    const size_t space = text.find(' ', at);
    const size_t end = space == std::string_view::npos ? text.size() : space;
    const std::string_view value = text.substr(at, end - at);
    at = space == std::string_view::npos ? text.size() + 1 : space + 1;
    return value;
}

// The computer this program runs on, as the line holds its name.
QByteArray thisHost()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        name[0] = 0;
    return DatesFile::hostField(name);
}

// The local time now, as the computer's clock and time zone give it.
std::pair<qint64, int> localNow()
{
    const time_t now = ::time(nullptr);
    struct tm local = {};
    if (!::localtime_r(&now, &local))
        return {qint64(now), 0};
    return {qint64(now), int(local.tm_gmtoff / 60)};
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString writeLine(int fd, QByteArray line)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return SystemError::text(errno, SystemError::Use::Write);
    // A line left without its end (a copy cut short, a writer that stopped) would swallow this
    // one: it is ended first, in the same write.
    char last = '\n';
    if (status.st_size > 0) {
        while (::pread(fd, &last, 1, status.st_size - 1) < 0 && errno == EINTR) {
        }
    }
    if (last != '\n')
        line.prepend('\n');
    qsizetype written = 0;
    int error = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd, line.constData() + written, size_t(line.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        written += n;
    }
    if (error == 0)
        return {};
    // Half a line is taken back; under the results file's lock no other course writes here.
    if (written > 0)
        static_cast<void>(::ftruncate(fd, status.st_size));
    return SystemError::text(error, SystemError::Use::Write);
}

} // namespace

QByteArray DatesFile::nameFor(const QByteArray &resultsName)
{
    return resultsName + ".dates";
}

QByteArray DatesFile::isoTime(qint64 seconds, int utcOffset)
{
    const qint64 local = seconds + qint64(utcOffset) * 60;
    const qint64 days = local >= 0 ? local / kDay : -((-local + kDay - 1) / kDay);
    const qint64 inDay = local - days * kDay;
    const Civil date = civilFromDays(days);
    const int offset = utcOffset < 0 ? -utcOffset : utcOffset;
    char text[64];
    const int size = std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                                   static_cast<long long>(date.year), date.month, date.day,
                                   int(inDay / 3600), int(inDay / 60 % 60), int(inDay % 60),
                                   utcOffset < 0 ? '-' : '+', offset / 60, offset % 60);
    return QByteArray(text, size);
}

std::optional<std::pair<qint64, int>> DatesFile::parseIsoTime(std::string_view text)
{
    // YYYY-MM-DDTHH:MM:SS+HH:MM
    if (text.size() != 25 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || (text[19] != '+' && text[19] != '-') ||
        text[22] != ':')
        return {};
    const int year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2), minute = digits(text, 14, 2),
              second = digits(text, 17, 2);
    const int offsetHours = digits(text, 20, 2), offsetMinutes = digits(text, 23, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        offsetHours < 0 || offsetMinutes < 0 || offsetMinutes > 59)
        return {};
    const int offset = (offsetHours * 60 + offsetMinutes) * (text[19] == '-' ? -1 : 1);
    if (offset > kMaxUtcOffset || offset < -kMaxUtcOffset)
        return {};
    const qint64 local =
        daysFromCivil(year, month, day) * kDay + hour * 3600 + minute * 60 + second;
    return std::pair{local - qint64(offset) * 60, offset};
}

QByteArray DatesFile::hostField(QByteArrayView name)
{
    // Invalid UTF-8 becomes "?", as does anything that would end the field or the line.
    const QString text = QString::fromUtf8(name);
    QByteArray host;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        QString one = text.mid(i, pair ? 2 : 1);
        i += pair;
        const char16_t u = one.front().unicode();
        if (u == 0xfffd || one.front().isSurrogate() || u < 0x20 || (u >= 0x7f && u <= 0xa0) ||
            one.front().isSpace())
            one = QStringLiteral("?");
        const QByteArray bytes = one.toUtf8();
        if (host.size() + bytes.size() > kMaxHost)
            break;
        host += bytes;
    }
    return host.isEmpty() ? QByteArray("-") : host;
}

QByteArray DatesFile::format(const Line &line)
{
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", line.crc);
    return QByteArray::number(line.offset) + ' ' + QByteArray::number(line.length) + ' ' + crc +
           ' ' + isoTime(line.seconds, line.utcOffset) + ' ' +
           QByteArray(line.host.data(), qsizetype(line.host.size())) + '\n';
}

std::optional<DatesFile::Line> DatesFile::parse(std::string_view text)
{
    size_t at = 0;
    const auto offset = count(field(text, at), LLONG_MAX / 2);
    const auto length = count(field(text, at), INT_MAX);
    const auto crc = hexCrc(field(text, at));
    const auto time = parseIsoTime(field(text, at));
    if (!offset || !length || *length == 0 || !crc || !time || at > text.size())
        return {};
    const std::string_view host = text.substr(at);
    if (host.empty() || host.size() > size_t(kMaxHost) ||
        !std::all_of(host.begin(), host.end(), hostByte))
        return {};
    return Line{*offset, *length, *crc, time->first, qint16(time->second), host};
}

QString DatesFile::append(const QByteArray &resultsName, int results, qint64 offset,
                          QByteArrayView record)
{
    // Opened for reading too, to look at its last byte; never through a link, never a device.
    const OpenedFile file(nameFor(resultsName), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW, 0666);
    if (file.fd() < 0 && file.error() == ELOOP)
        return QStringLiteral("на месте файла ссылка");
    if (file.fd() < 0 || file.kind() == OpenedFile::Kind::Unknown)
        return SystemError::text(file.error(), SystemError::Use::Write);
    if (!file.isPlain())
        return file.kind() == OpenedFile::Kind::Folder
                   ? SystemError::text(EISDIR, SystemError::Use::Write)
                   : QStringLiteral("это не обычный файл");
    struct stat status = {};
    if (::fstat(results, &status) == 0 && sameFile(status, file.status()))
        return QStringLiteral("это сам файл результатов");
    const auto [seconds, utcOffset] = localNow();
    const QByteArray host = thisHost();
    const std::string_view bytes(record.data(), size_t(record.size()));
    return writeLine(file.fd(),
                     format({offset, record.size(), Crc32::of(bytes), seconds, qint16(utcOffset),
                             std::string_view(host.constData(), size_t(host.size()))}));
}
