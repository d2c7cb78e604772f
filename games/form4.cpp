#include "form4.h"

#include "form4layout.h"

Form4::Form4(Program &program) : Form(form4Layout()), m_program(program) {}
