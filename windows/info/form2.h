#pragma once

#include "controlref.h"
#include "form.h"

class Label;
class Program;

// The About window: who made the program, and the portrait.
class Form2 : public Form
{
public:
    explicit Form2(Program &program);

private:
    void formLoad() override;

    ControlRef<Label> Label1{this, "Label1"};
    ControlRef<Label> Label2{this, "Label2"};
    ControlRef<Label> Label3{this, "Label3"};
};
