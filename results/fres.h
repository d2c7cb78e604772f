#pragma once

#include "form.h"

class Program;

// The results table: the newest stored results and the current user's row.
class FRes : public Form
{
public:
    explicit FRes(Program &program);

private:
    Program &m_program;
};
