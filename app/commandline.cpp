#include "commandline.h"

#include "filepath.h"
#include "openedfile.h"
#include "resultsfile.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <sys/stat.h>

namespace {

const QString kUsage =
    QStringLiteral("Использование: mouse-tutor [ПАРАМЕТР]...\n"
                   "   или: mouse-tutor --journal [--class СПИСОК] [--export CSV] [--since "
                   "КОГДА] [--until КОГДА] [ФАЙЛ]...\n");
constexpr int kStatusBadUsage = 2;

// Every option, in the order the help lists them. The names are separated by commas; an
// option with a value's name takes a value.
struct OptionRow
{
    const char *names;
    const char *value;
    const char *help; // lines separated by \n
};
constexpr OptionRow kOptions[] = {
    {"results", "ФАЙЛ",
     "читать результаты из ФАЙЛА и дописывать их туда же,\n"
     "а не в res.txt в папке, из которой запущена программа"},
    {"journal", nullptr,
     "открыть журнал результатов для учителя: все записи\n"
     "ФАЙЛОВ, а без них — файла результатов программы"},
    {"export", "CSV",
     "вместе с --journal: записать все записи ФАЙЛОВ\n"
     "в таблицу CSV и выйти, не открывая окна;\n"
     "«-» — на стандартный вывод; имя на .xlsx —\n"
     "книга для таблиц: листы «Ученики» и «Записи»"},
    {"since", "КОГДА",
     "вместе с --journal: только записи, сохранённые\n"
     "не раньше КОГДА: дата (2026-12-08), дата и время\n"
     "(2026-12-08T10:15 или 2026-12-08T10:15:02, можно\n"
     "со сдвигом от UTC: +03:00 или Z) или today —\n"
     "сегодня; без сдвига — по часам этого компьютера"},
    {"until", "КОГДА",
     "вместе с --journal: только записи, сохранённые\n"
     "не позже КОГДА; дата — весь этот день, время\n"
     "без секунд — вся эта минута. Записи без даты\n"
     "с --since и --until не показываются"},
    {"class", "СПИСОК",
     "вместе с --journal: список класса, по имени\n"
     "в строке (UTF-8 или Windows-1251): ученики без\n"
     "попыток видны в журнале, а таблица --export\n"
     "отмечает, кто в списке, и добавляет строки\n"
     "учеников без попыток"},
    {"h,help", nullptr, "показать эту справку и выйти"},
    {"v,version", nullptr, "показать версию и выйти"},
};

QStringList namesOf(const OptionRow &row)
{
    return QString::fromUtf8(row.names).split(u',');
}

QString spelled(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The option an argument such as "--results=x" or "-h" names, if any.
const OptionRow *rowOf(const QString &argument)
{
    QStringView name = QStringView(argument).left(argument.indexOf(u'='));
    if (!name.startsWith(u'-'))
        return nullptr;
    name = name.mid(name.startsWith(u"--") ? 2 : 1);
    for (const OptionRow &row : kOptions) {
        if (namesOf(row).contains(name))
            return &row;
    }
    return nullptr;
}

// Written here rather than by QCommandLineParser, whose headings are English.
QString helpText()
{
    constexpr int column = 18;
    QString text = kUsage + QStringLiteral("Учебная программа «Мышь»: учит начинающего работать с "
                                           "компьютерной мышью.\n\nПараметры:\n");
    for (const OptionRow &row : kOptions) {
        QStringList spellings;
        for (const QString &name : namesOf(row))
            spellings << spelled(name);
        QString left = QStringLiteral("  ") + spellings.join(QStringLiteral(", "));
        if (row.value)
            left += u' ' + QString::fromUtf8(row.value);
        const QStringList lines = QString::fromUtf8(row.help).split(u'\n');
        text += left.leftJustified(column - 1) + u' ' + lines.first() + u'\n';
        for (qsizetype i = 1; i < lines.size(); ++i)
            text += QString(column, u' ') + lines[i] + u'\n';
    }
    return text + QStringLiteral("\nПапка файла результатов должна существовать.\n"
                                 "Код возврата: 0 — всё в порядке, 1 — не хватило памяти или\n"
                                 "дескрипторов файлов, а с --export — не удалось прочитать файл "
                                 "или\nзаписать таблицу, 2 — ошибка в параметрах (или таблица "
                                 "CSV — один из\nчитаемых файлов либо ссылка другого "
                                 "пользователя в общей папке).\n");
}

CommandLine::Result usageError(const QString &what)
{
    CommandLine::Result result;
    result.action = CommandLine::Action::BadUsage;
    result.message = QStringLiteral("mouse-tutor: %1\n%2").arg(what, kUsage);
    result.exitStatus = kStatusBadUsage;
    return result;
}

// `sentence` starts with a capital letter and has %1 (and %2) for the paths: in the box they are
// shown cut to a readable length, on standard error whole, as their bytes.
CommandLine::Result resultsFileError(const QString &sentence, const QString &path,
                                     const QString &folder = {})
{
    const QString message = sentence.first(1).toLower() + sentence.sliced(1);
    CommandLine::Result result;
    result.action = CommandLine::Action::BadResultsFile;
    // One arg() for both paths: a second would take a "%1" in the first path for its own.
    const auto withPaths = [&](const QString &text, auto show) {
        return folder.isNull() ? text.arg(show(path)) : text.arg(show(path), show(folder));
    };
    const auto printable = [](const QString &name) { return FilePath::printable(name); };
    const auto shown = [](const QString &name) { return FilePath::shown(name); };
    result.message = QStringLiteral("mouse-tutor: %1\n").arg(withPaths(message, printable));
    result.boxText = withPaths(sentence, shown);
    result.exitStatus = kStatusBadUsage;
    return result;
}

// The folder a file would be made in, as typed: "" for the working directory.
QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : slash == 0 ? QStringLiteral("/") : path.first(slash);
}

// The span of time a value of --since or --until names: a day ("2026-12-08", or "today"), a
// minute ("2026-12-08T10:15") or a second ("2026-12-08T10:15:02"), by this computer's clock, or
// with an offset from UTC after it ("Z", "+03:00"). --since takes its start, --until its end.
std::optional<std::pair<qint64, qint64>> spanOf(const QString &text)
{
    const auto dayOf = [](const QDate &day) {
        return std::pair{QDateTime(day, QTime(0, 0)).toSecsSinceEpoch(),
                         QDateTime(day.addDays(1), QTime(0, 0)).toSecsSinceEpoch()};
    };
    if (text == u"today")
        return dayOf(QDate::currentDate());
    static const QRegularExpression form(QStringLiteral(
        "^(\\d{4})-(\\d{2})-(\\d{2})(?:T(\\d{2}):(\\d{2})(?::(\\d{2}))?(Z|[+-]\\d{2}:\\d{2})?)?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return {};
    const auto number = [&](int group) { return match.captured(group).toInt(); };
    const QDate day(number(1), number(2), number(3));
    if (!day.isValid())
        return {};
    if (!match.hasCaptured(4))
        return dayOf(day);
    const bool seconds = match.hasCaptured(6);
    const QTime time(number(4), number(5), seconds ? number(6) : 0);
    if (!time.isValid())
        return {};
    QDateTime moment(day, time);
    if (match.hasCaptured(7)) {
        const QString offset = match.captured(7);
        int east = 0;
        if (offset != u"Z") {
            const int hours = offset.mid(1, 2).toInt(), minutes = offset.mid(4, 2).toInt();
            if (hours > 23 || minutes > 59)
                return {};
            east = (hours * 3600 + minutes * 60) * (offset.startsWith(u'-') ? -1 : 1);
        }
        moment = QDateTime(day, time, Qt::OffsetFromUTC, east);
    }
    const qint64 start = moment.toSecsSinceEpoch();
    return std::pair{start, start + (seconds ? 1 : 60)};
}

// QCommandLineParser fails on an unknown option, on an option whose value is missing (only the
// last argument can lack one: any other is followed by its value) and on a value given to a
// switch; its own messages are English.
CommandLine::Result parseFailure(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().first();
        QString typed = spelled(name);
        for (const QString &argument : arguments.sliced(1)) {
            const QString bare = argument.section(u'=', 0, 0);
            if (bare == u'-' + name || bare == QStringLiteral("--") + name) {
                typed = bare;
                break;
            }
        }
        return usageError(
            QStringLiteral("неизвестный параметр «%1»").arg(FilePath::printable(typed)));
    }
    const OptionRow *last = rowOf(arguments.last());
    if (last && last->value && !arguments.last().contains(u'='))
        return usageError(QStringLiteral("после «%1» не указано значение")
                              .arg(FilePath::printable(arguments.last())));
    for (const QString &argument : arguments.sliced(1)) {
        const OptionRow *row = rowOf(argument);
        if (row && !row->value && argument.contains(u'='))
            return usageError(QStringLiteral("у «%1» не бывает значения")
                                  .arg(FilePath::printable(argument.section(u'=', 0, 0))));
    }
    return usageError(QStringLiteral("не удалось разобрать параметры"));
}

} // namespace

CommandLine::Result CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-results" reads as "--results", not as the letters r, e, s...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionRow &row : kOptions) {
        QCommandLineOption option(namesOf(row));
        if (row.value)
            option.setValueName(QString::fromUtf8(row.value));
        parser.addOption(option);
    }

    if (!parser.parse(arguments))
        return parseFailure(parser, arguments);
    const bool journal = parser.isSet(QStringLiteral("journal"));
    if (!journal && !parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("лишний аргумент «%1»")
                              .arg(FilePath::printable(parser.positionalArguments().first())));
    for (const char *option : {"export", "since", "until", "class"}) {
        if (!journal && parser.isSet(QString::fromLatin1(option)))
            return usageError(QStringLiteral("«--%1» бывает только вместе с «--journal»")
                                  .arg(QString::fromLatin1(option)));
    }
    Result result;
    if (parser.isSet(QStringLiteral("help"))) {
        result.action = Action::ShowHelp;
        result.message = helpText();
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.action = Action::ShowVersion;
        result.message =
            QStringLiteral("mouse-tutor " MOUSE_VERSION "\nУчебная программа «Мышь». Лицензия "
                           "GPL-3.0-or-later: GNU GPL версии 3 или более поздней.\n");
        return result;
    }

    result.resultsPath = ResultsFile().path();
    if (journal) {
        // The journal only reads, so a file that is not there yet is no reason to stop.
        if (parser.isSet(QStringLiteral("results")))
            result.resultsPath = parser.value(QStringLiteral("results"));
        if (result.resultsPath.isEmpty())
            return usageError(QStringLiteral("после «--results» не указано значение"));
        result.journalFiles = parser.positionalArguments();
        if (result.journalFiles.isEmpty())
            result.journalFiles.append(result.resultsPath);
        result.action = Action::Journal;
        for (const bool since : {true, false}) {
            const QString option = since ? QStringLiteral("since") : QStringLiteral("until");
            if (!parser.isSet(option))
                continue;
            const QString value = parser.value(option);
            const auto span = spanOf(value);
            if (!span)
                return usageError(
                    QStringLiteral("«%1» после «--%2» — не время: нужна дата (2026-12-08), дата "
                                   "и время (2026-12-08T10:15, можно со сдвигом от UTC: +03:00) "
                                   "или today")
                        .arg(FilePath::printable(value), option));
            result.period = true;
            (since ? result.since : result.until) = since ? span->first : span->second;
        }
        if (result.since >= result.until)
            return usageError(QStringLiteral("«--since» не раньше «--until»: в такое время не "
                                             "попадает ни одна запись"));
        if (parser.isSet(QStringLiteral("class"))) {
            result.classPath = parser.value(QStringLiteral("class"));
            if (result.classPath.isEmpty())
                return usageError(QStringLiteral("после «--class» не указано значение"));
        }
        if (parser.isSet(QStringLiteral("export"))) {
            result.action = Action::Export;
            result.exportPath = parser.value(QStringLiteral("export"));
            if (result.exportPath.isEmpty())
                return usageError(QStringLiteral("после «--export» не указано значение"));
        }
        return result;
    }
    if (parser.isSet(QStringLiteral("results"))) {
        result.resultsPath = parser.value(QStringLiteral("results"));
        if (result.resultsPath.isEmpty())
            return usageError(QStringLiteral("после «--results» не указано значение"));
    }
    // The file named and res.txt in the working folder alike: either may be a link to anything.
    const QString &path = result.resultsPath;
    // Checked by the bytes the program will open, which Qt's own file names would change.
    struct stat status = {};
    // Looked at, not opened: opening a device may already do something.
    if (::stat(FilePath::encode(path).constData(), &status) == 0) {
        switch (OpenedFile::kindOf(status)) {
        case OpenedFile::Kind::Folder:
            return resultsFileError(QStringLiteral("Вместо файла результатов указана папка «%1»."),
                                    path);
        case OpenedFile::Kind::Other:
            // A device or a pipe would swallow the pupils' lines or never end a read.
            return resultsFileError(
                QStringLiteral("Вместо файла результатов указано устройство или канал «%1»."),
                path);
        default:
            break;
        }
    } else if (errno != EACCES) {
        // Without the right to look, the first append says what is wrong.
        const QString folder = folderOf(path);
        const QByteArray folderName = folder.isEmpty() ? "." : FilePath::encode(folder);
        if (::stat(folderName.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
            return resultsFileError(
                QStringLiteral("Файл результатов «%1» негде создать: нет папки «%2»."), path,
                FilePath::absolute(folder));
    }
    return result;
}

int CommandLine::print(const Result &result)
{
    const bool answer = result.action == Action::ShowHelp || result.action == Action::ShowVersion;
    std::fputs(FilePath::encode(result.message).constData(), answer ? stdout : stderr);
    return result.exitStatus;
}
