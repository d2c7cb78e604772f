#pragma once

#include <QLocale>
#include <QString>
#include <optional>
#include <string_view>

// The total as res.txt writes it: decimal with a period whatever the locale, no exponent, no
// trailing zeros, a leading zero below 1, no point at all when whole ("4.125", "0.125", "5").
QString totalText(double total);
// The same into `text`, which has room for kTotalChars; returns the end.
constexpr int kTotalChars = 400;
char *writeTotal(double total, char *text);

// The same in the locale's form, for the current user's row: its decimal separator (a comma
// under a Russian locale), no thousands separators.
QString localeTotalText(double total, const QLocale &locale = QLocale());

// A stored total: a plain decimal number, that is an optional sign, digits and an optional
// fraction ("4", "-4.125", "+2.5", "0.125", ".125", "5."), nothing else: no exponent, no
// spaces inside, no "nan", "inf" or "0x10". It is rounded exactly to the nearest whole number,
// a half to the even neighbour. Empty when the text is not such a number or the rounded value
// lies outside -32768 .. 32767.
std::optional<qint16> parseTotal(std::string_view text);

// The exact value of a total that parseTotal accepts.
double exactTotal(std::string_view text);

// A score as the lenient reader takes it: an optional sign and decimal digits, within
// -32768 .. 32767.
std::optional<qint16> parseScore(std::string_view text);
