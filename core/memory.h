// Memory that the program cannot do without: a failed allocation asks the registered release hooks
// to free memory and tries again; when nothing more can be had, the out-of-memory report goes to
// the fatal-error path.
#pragma once

#include <cstddef>

// Reallocates `block` to `size` bytes; never returns null (ends the process instead).
void *ReallocateOrDie(void *block, size_t size);
