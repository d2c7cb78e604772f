#pragma once

// layouts/: what each window of the course is made of, stored as plain data for the runtime
// (positions in twips, captions, colours, fonts), and the paths of the pictures they show.

#include "layout.h"

// The course window.
const FormLayout &form1Layout();
