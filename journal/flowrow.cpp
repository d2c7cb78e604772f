#include "flowrow.h"

#include <QStyle>
#include <QWidget>

FlowRow::FlowRow(QWidget *parent) : QLayout(parent) {}

FlowRow::~FlowRow()
{
    qDeleteAll(m_items);
}

void FlowRow::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

QLayoutItem *FlowRow::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

int FlowRow::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowRow::minimumSize() const
{
    QSize size;
    for (const QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize());
    }
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize FlowRow::sizeHint() const
{
    int width = 0;
    int height = 0;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        width += (width > 0 ? spacing() : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins margins = contentsMargins();
    return {width + margins.left() + margins.right(), height + margins.top() + margins.bottom()};
}

void FlowRow::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowRow::arrange(const QRect &rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(spacing(), 0);
    QList<QLayoutItem *> shown;
    for (QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            shown.append(item);
    }
    int top = area.top();
    for (qsizetype first = 0; first < shown.size();) {
        // As many as fit at their preferred widths, at least one.
        int used = shown[first]->sizeHint().width();
        qsizetype end = first + 1;
        while (end < shown.size() && used + gap + shown[end]->sizeHint().width() <= area.width())
            used += gap + shown[end++]->sizeHint().width();
        int growing = 0;
        int height = 0;
        for (qsizetype i = first; i < end; ++i) {
            growing += shown[i]->expandingDirections() & Qt::Horizontal ? 1 : 0;
            height = std::max(height, shown[i]->sizeHint().height());
        }
        if (place) {
            const int spare = std::max(area.width() - used, 0);
            int left = area.left();
            for (qsizetype i = first; i < end; ++i) {
                QLayoutItem *item = shown[i];
                int width = item->sizeHint().width();
                if (growing > 0 && item->expandingDirections() & Qt::Horizontal)
                    width += spare / growing;
                // One alone on its line never reaches past the edge.
                width =
                    std::max(std::min(width, area.right() + 1 - left), item->minimumSize().width());
                item->setGeometry(QRect(left, top, width, height));
                left += width + gap;
            }
        }
        top += height + gap;
        first = end;
    }
    return top - (shown.isEmpty() ? 0 : gap) - area.top() + contentsMargins().top() +
           contentsMargins().bottom();
}
