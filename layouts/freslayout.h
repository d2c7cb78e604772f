#pragma once

#include "layout.h"

// The results table: eight columns of a header and ten cells.
const FormLayout &fresLayout();
