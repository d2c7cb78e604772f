#include "form3.h"

#include "form3layout.h"

Form3::Form3(Program &program) : Form(form3Layout()), m_program(program) {}
