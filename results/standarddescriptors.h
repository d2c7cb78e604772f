#pragma once

// Standard input, output and error (descriptors 0, 1 and 2) open before the program opens
// anything else. A program started with one of them closed (`2>&-`) would otherwise give that
// number to the first file it opens, and what it prints there would land in the file.
namespace StandardDescriptors {

// Opens /dev/null, or where there is none the root folder (which takes no byte), on each of the
// three that is closed. False when one stays closed: a limit of fewer than three descriptors.
bool open();

} // namespace StandardDescriptors
