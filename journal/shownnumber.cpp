#include "shownnumber.h"

namespace {

constexpr qsizetype kLongest = 40;

} // namespace

QByteArray ShownNumber::plain(QStringView text, QStringView point)
{
    if (text.isEmpty() || text.size() > kLongest || point.isEmpty())
        return {};
    QByteArray plain;
    qsizetype at = 0;
    if (text[0] == u'-' || text[0] == u'−' || text[0] == u'+') {
        if (text[0] != u'+')
            plain += '-';
        ++at;
    }
    bool digits = false;
    bool pointSeen = false;
    while (at < text.size()) {
        const QChar c = text[at];
        if (c >= u'0' && c <= u'9') {
            plain += char(c.unicode());
            digits = true;
            ++at;
        } else if (digits && !pointSeen && text.sliced(at).startsWith(point)) {
            plain += '.';
            pointSeen = true;
            digits = false; // a digit must follow
            at += point.size();
        } else {
            return {};
        }
    }
    return digits ? plain : QByteArray();
}
