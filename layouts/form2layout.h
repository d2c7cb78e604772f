#pragma once

#include "layout.h"

// The About window.
const FormLayout &form2Layout();
