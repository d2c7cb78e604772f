#pragma once

#include "form.h"

class Program;

// The sort game: drag each flag onto its continent.
class DD : public Form
{
public:
    explicit DD(Program &program);

private:
    Program &m_program;
};
