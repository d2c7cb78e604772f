#pragma once

#include "layout.h"

// The catch game.
const FormLayout &form4Layout();
