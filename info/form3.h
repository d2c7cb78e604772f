#pragma once

#include "form.h"

class Program;

// The rules window.
class Form3 : public Form
{
public:
    explicit Form3(Program &program);

private:
    Program &m_program;
};
