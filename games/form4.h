#pragma once

#include "form.h"

class Program;

// The catch game: click the running mouse five times.
class Form4 : public Form
{
public:
    explicit Form4(Program &program);

private:
    Program &m_program;
};
