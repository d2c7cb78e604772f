#include "form2.h"

#include "form2layout.h"

Form2::Form2(Program &program) : Form(form2Layout()), m_program(program) {}
