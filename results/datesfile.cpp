#include "datesfile.h"

#include "crc32.h"
#include "openedfile.h"
#include "systemerror.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
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

// Two decimal digits at `at`, as a number; -1 otherwise.
int twoDigits(const char *at)
{
    const unsigned tens = unsigned(at[0] - '0');
    const unsigned ones = unsigned(at[1] - '0');
    return tens < 10 && ones < 10 ? int(tens * 10 + ones) : -1;
}

// A count as the course writes it from `at` up to the next space: decimal digits without a
// sign or leading zeros, at most `limit`. The place after the space, or npos.
size_t countField(std::string_view text, size_t at, qint64 limit, qint64 &value)
{
    const size_t start = at;
    quint64 number = 0;
    for (; at < text.size() && text[at] != ' '; ++at) {
        const unsigned digit = unsigned(text[at] - '0');
        if (digit >= 10 || at - start >= 19)
            return std::string_view::npos;
        number = number * 10 + digit;
    }
    if (at == start || at == text.size() || (text[start] == '0' && at - start > 1) ||
        number > quint64(limit))
        return std::string_view::npos;
    value = qint64(number);
    return at + 1;
}

// Each byte's value as a lowercase hex digit, or -1: looked up, as random digits would keep a
// test for letters mispredicted.
constexpr std::array<qint8, 256> kHexDigits = [] {
    std::array<qint8, 256> digits{};
    digits.fill(-1);
    for (int i = 0; i < 10; ++i)
        digits[size_t('0' + i)] = qint8(i);
    for (int i = 0; i < 6; ++i)
        digits[size_t('a' + i)] = qint8(10 + i);
    return digits;
}();

// Eight lowercase hex digits.
std::optional<quint32> hexCrc(const char *text)
{
    quint32 value = 0;
    int invalid = 0;
    for (int i = 0; i < 8; ++i) {
        const int digit = kHexDigits[static_cast<unsigned char>(text[i])];
        invalid |= digit;
        value = value << 4 | quint32(digit & 0xf);
    }
    if (invalid < 0)
        return {};
    return value;
}

bool hostByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte != 0x7f;
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
    // The system's clock as it is, not time()'s coarser one, which may lag a second behind.
    const time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
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
    const int error = OpenedFile::writeWhole(fd, line, written);
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
    const char *const at = text.data();
    const int century = twoDigits(at), yearOf = twoDigits(at + 2);
    const int month = twoDigits(at + 5), day = twoDigits(at + 8);
    const int hour = twoDigits(at + 11), minute = twoDigits(at + 14), second = twoDigits(at + 17);
    const int offsetHours = twoDigits(at + 20), offsetMinutes = twoDigits(at + 23);
    const int year = century * 100 + yearOf;
    if (century < 0 || yearOf < 0 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59 || offsetHours < 0 || offsetMinutes < 0 || offsetMinutes > 59)
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

std::optional<DatesFile::Place> DatesFile::parsePlace(std::string_view text)
{
    Place place;
    size_t at = countField(text, 0, LLONG_MAX / 2, place.offset);
    if (at != std::string_view::npos)
        at = countField(text, at, INT_MAX, place.length);
    if (at == std::string_view::npos || at == text.size() || place.length == 0)
        return {};
    return place;
}

std::optional<DatesFile::Line> DatesFile::parse(std::string_view text)
{
    Line line;
    size_t at = countField(text, 0, LLONG_MAX / 2, line.offset);
    if (at != std::string_view::npos)
        at = countField(text, at, INT_MAX, line.length);
    // The checksum, the time and the computer: 8 + 1 + 25 + 1 bytes, and at least one.
    if (at == std::string_view::npos || line.length == 0 || text.size() < at + 36 ||
        text[at + 8] != ' ' || text[at + 34] != ' ')
        return {};
    const auto crc = hexCrc(text.data() + at);
    const auto time = parseIsoTime(text.substr(at + 9, 25));
    line.host = text.substr(at + 35);
    if (!crc || !time || line.host.size() > size_t(kMaxHost) ||
        !std::all_of(line.host.begin(), line.host.end(), hostByte))
        return {};
    line.crc = *crc;
    line.seconds = time->first;
    line.utcOffset = qint16(time->second);
    return line;
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
