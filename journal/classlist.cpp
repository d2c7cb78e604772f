#include "classlist.h"

#include "cp1251.h"
#include "encodingguess.h"
#include "namefold.h"
#include "openedfile.h"
#include "systemerror.h"

#include <QFileInfo>
#include <QStringView>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <string_view>
#include <unistd.h>

namespace {

// A line's bytes as text, by the rule of the list's file.
QString lineText(Cp1251 &codePage, std::string_view bytes, bool utf8File)
{
    if (utf8File)
        return EncodingGuess::text(TextEncoding::Utf8, codePage, bytes);
    if (EncodingGuess::isUtf8(bytes)) {
        const QString text = EncodingGuess::text(TextEncoding::Utf8, codePage, bytes);
        for (const QChar c : text) {
            if (c.unicode() >= 0x80 && c.isLetter())
                return text;
        }
    }
    return EncodingGuess::text(TextEncoding::Cp1251, codePage, bytes);
}

// The lines of a text, each ended by LF, CR LF or a lone CR.
template <typename Text, typename Take> void splitLines(const Text &text, Take take)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < qsizetype(text.size()); ++i) {
        if (text[i] != '\n' && text[i] != '\r')
            continue;
        take(start, i);
        if (text[i] == '\r' && i + 1 < qsizetype(text.size()) && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < qsizetype(text.size()))
        take(start, qsizetype(text.size()));
}

} // namespace

ClassList ClassList::fromFile(const QString &path)
{
    ClassList list;
    const OpenedFile file(path, O_RDONLY);
    if (!file.isPlain()) {
        list.refuse(file.readProblem());
        return list;
    }
    QByteArray bytes;
    for (;;) {
        // One byte past the cap tells a file that is too big.
        const qsizetype room = qsizetype(kMaxFileSize + 1) - bytes.size();
        if (room <= 0) {
            list.refuse(QStringLiteral("в файле больше %1 МиБ — слишком много для списка класса")
                            .arg(kMaxFileSize >> 20));
            return list;
        }
        const qsizetype before = bytes.size();
        bytes.resize(before + std::min<qsizetype>(room, 64 * 1024));
        const ssize_t n = ::read(file.fd(), bytes.data() + before, size_t(bytes.size() - before));
        if (n < 0 && errno == EINTR) {
            bytes.resize(before);
            continue;
        }
        if (n < 0) {
            list.refuse(SystemError::text(errno, SystemError::Use::Read));
            return list;
        }
        bytes.resize(before + n);
        if (n == 0)
            break;
    }
    const std::string_view mark = EncodingGuess::kByteOrderMark;
    const bool utf8File =
        std::string_view(bytes.constData(), size_t(bytes.size())).starts_with(mark);
    const std::string_view text(bytes.constData() + (utf8File ? mark.size() : 0),
                                size_t(bytes.size()) - (utf8File ? mark.size() : 0));
    QStringList lines;
    try {
        Cp1251 codePage;
        splitLines(text, [&](qsizetype from, qsizetype to) {
            lines << lineText(codePage, text.substr(size_t(from), size_t(to - from)), utf8File);
        });
    } catch (const std::runtime_error &) { // no converter for the code page
        list.refuse(QStringLiteral("нет перекодировки из кодировки Windows-1251"));
        return list;
    }
    if (list.take(lines))
        list.m_name = QFileInfo(path).completeBaseName();
    return list;
}

ClassList ClassList::fromText(const QString &text, const QString &name)
{
    QStringView rest(text);
    if (rest.startsWith(QChar(0xFEFF)))
        rest = rest.mid(1);
    QStringList lines;
    splitLines(rest, [&](qsizetype from, qsizetype to) {
        // Control characters count as blanks, as in a file.
        QString line = rest.mid(from, to - from).toString();
        for (QChar &c : line) {
            if (c.category() == QChar::Other_Control)
                c = QLatin1Char(' ');
        }
        lines << line;
    });
    ClassList list;
    if (list.take(lines))
        list.m_name = name;
    return list;
}

bool ClassList::take(const QStringList &lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        if (lines[i].size() > kMaxLineLength) {
            refuse(QStringLiteral("строка %1 длиннее %2 знаков: в ней не одно имя")
                       .arg(number)
                       .arg(kMaxLineLength));
            return false;
        }
        const QString name = lines[i].simplified();
        if (name.isEmpty() || name.startsWith(u'#'))
            continue;
        const QString folded = foldName(name);
        const auto found = m_byFolded.constFind(folded);
        if (found != m_byFolded.cend()) {
            Listed &listed = m_listed[size_t(found.value())];
            if (listed.repeat < 0) {
                listed.repeat = int(m_repeats.size());
                m_repeats.push_back({m_names[found.value()], {listed.line}});
            }
            m_repeats[size_t(listed.repeat)].lines.push_back(number);
            continue;
        }
        if (m_names.size() == kMaxNames) {
            refuse(QStringLiteral("в списке больше %1 имён, а в классе столько не бывает")
                       .arg(kMaxNames));
            return false;
        }
        m_byFolded.insert(folded, int(m_names.size()));
        m_names << name;
        m_listed.push_back({number});
    }
    return true;
}

void ClassList::refuse(const QString &problem)
{
    *this = ClassList();
    m_problem = QStringLiteral("Список класса не прочитан: %1.").arg(problem);
}

QStringList ClassList::repeatNotes() const
{
    QStringList notes;
    for (const Repeat &repeat : m_repeats) {
        QStringList lines;
        for (const int line : repeat.lines)
            lines << QString::number(line);
        notes << QStringLiteral("«%1» повторяется в строках %2").arg(repeat.name, lines.join(", "));
    }
    return notes;
}

QString ClassList::listedName(const QString &folded) const
{
    const auto found = m_byFolded.constFind(folded);
    return found == m_byFolded.cend() ? QString() : m_names[found.value()];
}
