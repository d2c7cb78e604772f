#pragma once

#include "layout.h"

// The course window.
const FormLayout &form1Layout();
