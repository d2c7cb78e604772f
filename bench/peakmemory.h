#pragma once

// Peak memory of a benchmark's process, to compare a loaded program with an idle one.
namespace PeakMemory {

// This process's peak resident memory so far, in KiB.
long ownKiB();

// Starts the peak over from the memory resident now (the kernel's count that ownKiB() may keep
// from before); peakSinceReset() then tells how high it rose. False when the kernel cannot.
bool resetPeak();
long peakSinceResetKiB();

// The peak memory of this program started again as `self idle`, which prints its own ownKiB()
// at the same point as the loaded run measures (its exit would add the memory of tearing the
// program down). Call it before this process has grown: a child shares its parent's memory
// until it starts the new program, and the kernel counts the parent's peak at that moment into
// the child's. -1 when the idle run fails.
long idleKiB(const char *self);

} // namespace PeakMemory
