#pragma once

#include "form.h"

class Program;

// The About window: the author and the portrait.
class Form2 : public Form
{
public:
    explicit Form2(Program &program);

private:
    Program &m_program;
};
