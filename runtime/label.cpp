#include "label.h"

#include "accessibility.h"
#include "displaytext.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

Label::Label(Form &form, const QString &name, int index, QWidget *surface)
    : BoxControl(form, name, index, surface)
{
}

void Label::setCaption(const QString &caption)
{
    const bool changed = caption != m_caption;
    m_caption = caption;
    if (QWidget *w = widget()) {
        w->update();
        if (changed)
            Accessibility::nameChanged(w);
    }
}

void Label::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    if (QWidget *w = widget())
        w->update();
}

void Label::setBorder(bool border)
{
    m_border = border;
    if (QWidget *w = widget())
        w->update();
}

void Label::paint(QPainter &painter)
{
    QRect area = widget()->rect();
    painter.fillRect(area, backColor());
    if (m_border) {
        painter.setPen(Qt::black);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        area.adjust(1, 1, -1, -1);
    }
    painter.setPen(enabled() ? foreColor() : QColor(Qt::gray));
    const QString text = displayText(m_caption);
    const QFontMetricsF metrics(painter.font());
    const bool oneLine =
        !text.contains(QLatin1Char('\n')) && metrics.horizontalAdvance(text) <= area.width();
    if (oneLine && metrics.height() > area.height()) {
        // A label lower than its font's line: set the letters (capitals and descenders) in
        // the middle, so that a face with tall line spacing does not lose their feet.
        const qreal ink = metrics.capHeight() + metrics.descent();
        const qreal baseline = area.top() + (area.height() - ink) / 2 + metrics.capHeight();
        const qreal advance = metrics.horizontalAdvance(text);
        const qreal x = m_alignment & Qt::AlignHCenter ? area.left() + (area.width() - advance) / 2
                                                       : area.left();
        painter.drawText(QPointF(x, baseline), text);
        return;
    }
    painter.drawText(area, int(m_alignment | Qt::AlignTop | Qt::TextWordWrap), text);
}
