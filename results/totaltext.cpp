#include "totaltext.h"

#include <charconv>
#include <cmath>

QString totalText(double total)
{
    if (total == 0 || !std::isfinite(total))
        return QStringLiteral("0"); // no "-0"; the total is always finite
    // The shortest fixed-point form that reads back as the same double: exact for the totals the
    // program works out, which are whole multiples of 1/8.
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, total, std::chars_format::fixed);
    return QString::fromLatin1(text, result.ptr - text);
}

QString localeTotalText(double total, const QLocale &locale)
{
    QString text = totalText(total);
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

std::optional<qint16> parseTotal(std::string_view text)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const size_t whole = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    const std::string_view wholeDigits = text.substr(whole, i - whole);
    std::string_view fraction;
    if (i < text.size() && text[i] == '.') {
        const size_t start = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        fraction = text.substr(start, i - start);
    }
    if (i != text.size() || (wholeDigits.empty() && fraction.empty()))
        return std::nullopt;

    // Whole part, exactly: more than five significant digits is out of range anyway.
    long value = 0;
    size_t significant = 0;
    for (char c : wholeDigits) {
        if (significant > 0 || c != '0')
            ++significant;
        if (significant > 5)
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    // Rounding on the decimal digits, so that a long fraction such as 2.5000000000000000001 is
    // not first squeezed into a double.
    if (!fraction.empty()) {
        const char first = fraction[0];
        const bool restNonZero =
            fraction.substr(1).find_first_not_of('0') != std::string_view::npos;
        if (first > '5' || (first == '5' && (restNonZero || value % 2 == 1)))
            ++value;
    }
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<qint16>(value);
}
