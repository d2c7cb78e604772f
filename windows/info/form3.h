#pragma once

#include "controlref.h"
#include "form.h"

class Label;
class Program;

// The rules window: a heading and the rules text, set each time the window loads.
class Form3 : public Form
{
public:
    explicit Form3(Program &program);

private:
    void formLoad() override;

    ControlRef<Label> Label2{this, "Label2"};
};
