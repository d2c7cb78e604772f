#include "fres.h"

#include "freslayout.h"

FRes::FRes(Program &program) : Form(fresLayout()), m_program(program) {}
