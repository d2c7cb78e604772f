#pragma once

#include <QMainWindow>

class Form;

// The top-level window of a loaded form. Its close box is the form's event, not Qt's close.
class FormWindow : public QMainWindow
{
public:
    explicit FormWindow(Form &form);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Form &m_form;
};
