#include "linefault.h"

#include "resultsparser.h"

#include <array>

namespace {

// The columns as the results table heads them.
constexpr std::array<const char16_t *, 8> kFieldNames = {u"Имя",  u"Левая",  u"Правая", u"Двойной",
                                                         u"Движ", u"Игра 1", u"Игра 2", u"Итог"};

QString fieldName(int field)
{
    return field >= 1 && field <= 8 ? QString::fromUtf16(kFieldNames[size_t(field - 1)])
                                    : QString::number(field);
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
        return QStringLiteral("кавычка в поле «%1» не закрыта").arg(fieldName(field));
    case TooFewFields:
    case TooManyFields: {
        const QString count = field == 255 ? QStringLiteral("больше 254") : QString::number(field);
        return QStringLiteral("полей %1, а должно быть 8").arg(count);
    }
    case FieldTooLong:
        return QStringLiteral("поле «%1» длиннее %2 байт")
            .arg(fieldName(field))
            .arg(ResultsParser::kMaxField);
    case NotAScore:
        return QStringLiteral("в поле «%1» не целое число от −32768 до 32767")
            .arg(fieldName(field));
    case NotATotal:
        return QStringLiteral("итог не число или вне пределов от −32768 до 32767");
    }
    return {};
}
