#include "linefault.h"

#include "recordfields.h"
#include "resultsparser.h"

namespace {

// A field by its title, counted from 1.
QString fieldName(int field)
{
    return field >= 1 && field <= RecordFields::Count ? RecordFields::title(field - 1)
                                                      : QString::number(field);
}

// "поле", "поля" or "полей", as a count of them takes it.
QString fields(int count)
{
    if (count % 10 == 1 && count % 100 != 11)
        return QStringLiteral("поле");
    if (count % 10 >= 2 && count % 10 <= 4 && (count % 100 < 12 || count % 100 > 14))
        return QStringLiteral("поля");
    return QStringLiteral("полей");
}

} // namespace

QString LineFault::text() const
{
    switch (kind) {
    case None:
        return {};
    case Empty:
        return QStringLiteral("пустая строка");
    case UnclosedQuote:
        return QStringLiteral("в поле «%1» не закрыта кавычка").arg(fieldName(field));
    case TooFewFields:
    case TooManyFields: {
        const QString count = field == 255 ? QStringLiteral("больше 254 полей")
                                           : QString::number(field) + u' ' + fields(field);
        return QStringLiteral("в строке %1, а нужно %2").arg(count).arg(ResultsParser::kFields);
    }
    case FieldTooLong:
        return QStringLiteral("в поле «%1» больше %2 знаков")
            .arg(fieldName(field))
            .arg(ResultsParser::kMaxField);
    case NotAScore:
        return QStringLiteral("оценка «%1» не целое число").arg(fieldName(field));
    case ScoreTooLarge:
        return QStringLiteral("оценка «%1» — слишком большое число").arg(fieldName(field));
    case NotATotal:
        return QStringLiteral("итог не число");
    case TotalTooLarge:
        return QStringLiteral("итог — слишком большое число");
    }
    return {};
}
