#pragma once

#include <QString>

// Text from a results file or a path, for the places where Qt reads a string as HTML (a chart's
// labels, a tooltip that looks like markup): the same text as HTML that shows every character
// as it is, blanks included, and so never a tag, a picture to load or a link.
namespace PlainText {

QString html(const QString &text);

} // namespace PlainText
