#include "dd.h"

#include "ddlayout.h"

DD::DD(Program &program) : Form(ddLayout()), m_program(program) {}
