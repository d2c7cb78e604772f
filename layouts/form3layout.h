#pragma once

#include "layout.h"

// The rules window.
const FormLayout &form3Layout();
