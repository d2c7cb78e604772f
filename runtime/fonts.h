#pragma once

// Maps the face names the layouts use to faces with Cyrillic letters that Debian ships.
void installFontSubstitutions();
