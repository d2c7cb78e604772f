#pragma once

#include <QString>

// What the programs do when the system's limits leave them too few descriptors or too little
// memory: a message in Russian and status 1, never an abort.
namespace ResourceLimits {

// What a program with a window wants free when it starts: descriptors for Qt's link to the
// display, its event loops, the fonts, the dialogs and the files read and written; memory for
// Qt's threads, pictures and fonts. A part of Qt that cannot get them ends the program on the
// spot, so a window is not opened with less.
constexpr int kWindowDescriptors = 64;
constexpr qint64 kWindowMemory = qint64(64) << 20;

// How many more descriptors the program may open, counted up to `enough`.
int spareDescriptors(int enough);
// Whether `bytes` more of memory could be had now.
bool spareMemory(qint64 bytes);
// Why a window cannot be opened with what is left, as "mouse-tutor: …" with a line end; empty
// when there is enough.
QString windowShortage();

// The message for memory that ran out, with a line end.
QString memoryShortage();

// From now on, memory that runs out ends the program with memoryShortage() on standard error
// and status 1 rather than an abort, where nothing catches it (on another thread) after
// `cleanup` (which may be null) has run, which must do only what a signal handler may.
void exitWhenMemoryRunsOut(void (*cleanup)());
// Sets a reserve of memory aside for a window, let go when memory first runs out, so that what
// catches that has room to say so in a box.
void keepReserve();
void releaseReserve();
// Before a window: says on standard error why it cannot be opened (windowShortage), or keeps
// the reserve for it. False when it cannot be opened.
bool readyForWindow();

} // namespace ResourceLimits
