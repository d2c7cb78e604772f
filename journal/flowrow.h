#pragma once

#include <QLayout>
#include <QList>

// Controls side by side while the width lets them, the ones that do not fit going on to a line
// of their own below: the search, the period and the filters' switches stay whole in a narrow
// window. A control that grows (a search field) takes what is left of its line.
class FlowRow : public QLayout
{
public:
    explicit FlowRow(QWidget *parent = nullptr);
    ~FlowRow() override;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Lays the items out in `rect` (or only measures, when `place` is false); the height taken.
    int arrange(const QRect &rect, bool place) const;

    QList<QLayoutItem *> m_items;
};
