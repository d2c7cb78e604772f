#include "filepath.h"

#include <QDir>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kReplacement = 0xFFFD;

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte there does not start one.
qsizetype sequenceLength(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF are not UTF-8.
    if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

bool isEscapedByte(char16_t unit)
{
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF;
}

bool isControl(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

} // namespace

QString FilePath::decode(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype length = sequenceLength(bytes, at);
        if (length == 0) {
            text += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + at, length);
        at += length;
    }
    return text;
}

QByteArray FilePath::encode(const QString &path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype from = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (!isEscapedByte(unit))
            continue;
        // A lone low surrogate: a pair is a character beyond U+FFFF, not an escaped byte.
        if (i > 0 && path[i - 1].isHighSurrogate())
            continue;
        bytes += QStringView(path).sliced(from, i - from).toUtf8();
        bytes += char(unit - kEscapeBase);
        from = i + 1;
    }
    bytes += QStringView(path).sliced(from).toUtf8();
    return bytes;
}

QString FilePath::shown(const QString &path, qsizetype limit)
{
    QString text = path;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const bool control = isControl(unit);
        const bool lone =
            text[i].isSurrogate() &&
            !(text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) &&
            !(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate());
        if (control || lone)
            text[i] = QChar(kReplacement);
    }
    if (limit < 3 || text.size() <= limit)
        return text;
    qsizetype head = (limit - 1) / 2;
    qsizetype tail = limit - 1 - head;
    // Never cut between the halves of a surrogate pair.
    if (text[head - 1].isHighSurrogate())
        --head;
    if (text[text.size() - tail].isLowSurrogate())
        --tail;
    return text.first(head) + QChar(u'…') + text.last(tail);
}

QString FilePath::absolute(const QString &path)
{
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    QByteArray folder(4096, Qt::Uninitialized);
    while (!::getcwd(folder.data(), size_t(folder.size()))) {
        if (errno != ERANGE)
            return QDir::cleanPath(path);
        folder.resize(folder.size() * 2);
    }
    folder.truncate(qsizetype(std::strlen(folder.constData())));
    return QDir::cleanPath(decode(folder) + u'/' + path);
}

QString FilePath::printable(const QString &path)
{
    QString text;
    text.reserve(path.size());
    for (const QChar c : path) {
        if (!isControl(c.unicode())) {
            text += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            text += QStringLiteral("\\x") +
                    QString::number(uchar(byte), 16).toUpper().rightJustified(2, u'0');
    }
    return text;
}

QStringList FilePath::withoutRepeats(const QStringList &paths, const QStringList &taken)
{
    QSet<QString> names;
    std::set<std::pair<dev_t, ino_t>> files;
    // Whether the path names what an earlier one did; it is noted either way.
    const auto seen = [&](const QString &path) {
        const QString name = absolute(path);
        struct stat status = {};
        const bool there = ::stat(encode(path).constData(), &status) == 0;
        const bool named =
            names.contains(name) || (there && files.count({status.st_dev, status.st_ino}));
        names.insert(name);
        if (there)
            files.insert({status.st_dev, status.st_ino});
        return named;
    };
    for (const QString &path : taken)
        seen(path);
    QStringList fresh;
    for (const QString &path : paths) {
        if (!seen(path))
            fresh << path;
    }
    return fresh;
}
