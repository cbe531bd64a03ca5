#pragma once
// A conversion takes a few large buffers (the source file read whole, the
// picture at its output size, an encoder's planes and output) and frees them
// when the file is done. Left to itself, glibc maps most of them afresh for
// every file, and the kernel then faults in and zeroes each page again: on a
// batch of photos that took a tenth to a sixth of the time. Both programs keep
// freed memory for the next file instead, and the panel gives it back once it
// has sat idle after a batch.
namespace plendo::platform {

// Call once at start, before any other thread runs.
void KeepFreedBuffersForReuse();

// Returns freed memory to the system; for an idle moment after a batch.
void ReturnFreedMemory();

}  // namespace plendo::platform
