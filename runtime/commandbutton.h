#pragma once

#include "boxcontrol.h"

// A command button in the graphical style: its whole face is filled with its back colour.
class CommandButton : public BoxControl
{
public:
    CommandButton(Form &form, const QString &name, int index, QWidget *surface);

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);

protected:
    bool clicksWith(Qt::MouseButton button) const override;
    bool takesDoubleClicks() const override { return false; }
    bool keyPress(QKeyEvent *event) override;
    void paint(QPainter &painter) override;

private:
    QString m_caption;
};
