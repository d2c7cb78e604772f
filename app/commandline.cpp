#include "commandline.h"

#include "resultsfile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kUsage = QStringLiteral("Использование: mouse-tutor [ПАРАМЕТР]...\n"
                                      "   или: mouse-tutor --journal [--export CSV] [ФАЙЛ]...\n");
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
     "в таблицу CSV и выйти, не открывая окна"},
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
    return text +
           QStringLiteral("\nПапка файла результатов должна существовать.\n"
                          "Код возврата: 0 — всё в порядке, 1 — с --export: не удалось "
                          "прочитать\nфайл или записать таблицу, 2 — ошибка в параметрах.\n");
}

CommandLine::Result usageError(const QString &what)
{
    CommandLine::Result result;
    result.action = CommandLine::Action::BadUsage;
    result.message = QStringLiteral("mouse-tutor: %1\n%2").arg(what, kUsage);
    result.exitStatus = kStatusBadUsage;
    return result;
}

// `sentence` starts with a capital letter, as the box shows it.
CommandLine::Result resultsFileError(const QString &sentence)
{
    const QString message = sentence.first(1).toLower() + sentence.sliced(1);
    CommandLine::Result result;
    result.action = CommandLine::Action::BadResultsFile;
    result.message = QStringLiteral("mouse-tutor: %1\n").arg(message);
    result.boxText = sentence;
    result.exitStatus = kStatusBadUsage;
    return result;
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
        return usageError(QStringLiteral("неизвестный параметр «%1»").arg(typed));
    }
    const OptionRow *last = rowOf(arguments.last());
    if (last && last->value && !arguments.last().contains(u'='))
        return usageError(QStringLiteral("после «%1» не указано значение").arg(arguments.last()));
    for (const QString &argument : arguments.sliced(1)) {
        const OptionRow *row = rowOf(argument);
        if (row && !row->value && argument.contains(u'='))
            return usageError(
                QStringLiteral("у «%1» не бывает значения").arg(argument.section(u'=', 0, 0)));
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
        return usageError(
            QStringLiteral("лишний аргумент «%1»").arg(parser.positionalArguments().first()));
    if (!journal && parser.isSet(QStringLiteral("export")))
        return usageError(QStringLiteral("«--export» бывает только вместе с «--journal»"));
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
        if (parser.isSet(QStringLiteral("export"))) {
            result.action = Action::Export;
            result.exportPath = parser.value(QStringLiteral("export"));
            if (result.exportPath.isEmpty())
                return usageError(QStringLiteral("после «--export» не указано значение"));
        }
        return result;
    }
    if (parser.isSet(QStringLiteral("results"))) {
        const QString path = parser.value(QStringLiteral("results"));
        if (path.isEmpty())
            return usageError(QStringLiteral("после «--results» не указано значение"));
        const QFileInfo file(path);
        if (file.isDir())
            return resultsFileError(
                QStringLiteral("Вместо файла результатов указана папка «%1».").arg(path));
        if (!QFileInfo(file.absolutePath()).isDir())
            return resultsFileError(
                QStringLiteral("Файл результатов «%1» негде создать: нет папки «%2».")
                    .arg(path, QDir::toNativeSeparators(file.absolutePath())));
        result.resultsPath = path;
    }
    return result;
}
