#pragma once

class Form;

// Builds a form's window and controls from its stored layout.
class FormBuilder
{
public:
    static void build(Form &form);
};
