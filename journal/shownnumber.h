#pragma once

#include <QByteArray>
#include <QStringView>

// A number as the journal's tables show it: an optional sign (a plus, a hyphen or the minus sign
// «−» of «Рост»), digits, and decimals after the locale's point. A spreadsheet reads a number
// only without the plus and with a plain hyphen, so the outputs write it over in that form.
namespace ShownNumber {

// The number as "-12.375", or empty when `text` is no such number (or longer than any the
// tables show).
QByteArray plain(QStringView text, QStringView point);

} // namespace ShownNumber
