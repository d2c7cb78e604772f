#include "plaintext.h"

QString PlainText::html(const QString &text)
{
    return QStringLiteral("<span style=\"white-space:pre\">%1</span>").arg(text.toHtmlEscaped());
}
