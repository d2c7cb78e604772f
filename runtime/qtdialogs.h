#pragma once

#include "dialogs.h"

// Modal Qt dialogs with Russian button texts.
class QtDialogs : public Dialogs
{
public:
    int messageBox(const QString &prompt, int style, const QString &title) override;
    QString inputBox(const QString &prompt, const QString &title) override;
};
