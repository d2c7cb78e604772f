#include "totaltext.h"

#include <charconv>
#include <cmath>

char *writeTotal(double total, char *text)
{
    if (total == 0 || !std::isfinite(total)) {
        *text = '0'; // no "-0"; the total is always finite
        return text + 1;
    }
    // The shortest fixed-point form that reads back as the same double: exact for the totals the
    // program works out, which are whole multiples of 1/8.
    return std::to_chars(text, text + kTotalChars, total, std::chars_format::fixed).ptr;
}

QString totalText(double total)
{
    char text[kTotalChars];
    return QString::fromLatin1(text, writeTotal(total, text) - text);
}

QString localeTotalText(double total, const QLocale &locale)
{
    QString text = totalText(total);
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

std::optional<qint16> parseTotal(std::string_view text)
{
    // One pass, as every line of the file goes through here.
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char *p = text.data();
    const char *const end = p + text.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    bool anyDigit = false;
    int value = 0;
    int significant = 0;
    for (; p < end && isDigit(*p); ++p) {
        anyDigit = true;
        if ((significant > 0 || *p != '0') && ++significant > 5)
            return std::nullopt; // out of range whatever follows
        value = value * 10 + (*p - '0');
    }
    // Rounding on the decimal digits, so that a long fraction such as 2.5000000000000000001 is
    // not first squeezed into a double.
    if (p < end && *p == '.') {
        ++p;
        if (p < end && isDigit(*p)) {
            anyDigit = true;
            const char first = *p++;
            bool restNonZero = false;
            for (; p < end && isDigit(*p); ++p)
                restNonZero = restNonZero || *p != '0';
            if (first > '5' || (first == '5' && (restNonZero || value % 2 == 1)))
                ++value;
        }
    }
    if (p != end || !anyDigit)
        return std::nullopt;
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<qint16>(value);
}

double exactTotal(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1); // from_chars takes no plus sign
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return value;
}

std::optional<qint16> parseScore(std::string_view text)
{
    const char *p = text.data();
    const char *const end = p + text.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    if (p == end)
        return std::nullopt;
    int value = 0;
    for (; p < end; ++p) {
        if (*p < '0' || *p > '9' || value > 99999)
            return std::nullopt;
        value = value * 10 + (*p - '0');
    }
    value = negative ? -value : value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<qint16>(value);
}
