#pragma once

#include "boxcontrol.h"

// An opaque text label. Its text wraps at word boundaries within its width.
class Label : public BoxControl
{
public:
    Label(Form &form, const QString &name, int index, QWidget *surface);

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);
    void setAlignment(Qt::Alignment alignment);
    void setBorder(bool border);

protected:
    void paint(QPainter &painter) override;

private:
    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_border = false;
};
