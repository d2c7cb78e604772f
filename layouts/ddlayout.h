#pragma once

#include "layout.h"

// The sort game: twelve flags to drag onto three sections.
const FormLayout &ddLayout();
