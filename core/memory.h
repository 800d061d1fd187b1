// Memory that the program cannot do without.
//
// A failed reallocation of a text or slot buffer is retried up to 100 times as long as one of the
// registered release hooks reports that it freed something (hooks are asked at most 50,000 times
// over the whole run). When memory still cannot be had, OutOfMemory asks the hooks once more and
// returns for another attempt when one freed memory; otherwise it sends the out-of-memory report
// to the fatal-error path:
//
//   "Out Of Memory.\r\nAdvice: <advice>\r\nRequested size = <n> (0x<n, 8 hex digits>)\r\n\r\n
//    Stack contents:" then 80 32-bit stack words "%08X", blank-separated, each row of eight
//    preceded by a CR.
//
// InstallOutOfMemoryHandler makes OutOfMemory the handler of operator new (which cannot tell it the
// size: the report then says 0) and sets the default advice. Plain malloc and realloc keep
// returning null.
#pragma once

#include <cstddef>

// A release hook frees what it can spare; true when it freed something.
using MemoryReleaseHook = bool (*)();

// Registers a hook (asked most recently registered first); false when 16 are registered already.
bool AddMemoryReleaseHook(MemoryReleaseHook hook);
void RemoveMemoryReleaseHook(MemoryReleaseHook hook);

void InstallOutOfMemoryHandler();
// The advice line of the report; the text must stay valid. Default: "Make sure the hard drive is
// not full."
void SetOutOfMemoryAdvice(const char *advice);

// Returns when a release hook freed memory; otherwise ends the program with the report.
void OutOfMemory(size_t requested);

// Reallocates `block` to `size` bytes (a null block allocates); never returns null.
void *ReallocateOrDie(void *block, size_t size);

// Test seam: the reallocation that ReallocateOrDie retries (std::realloc when null).
using Reallocator = void *(*)(void *block, size_t size);
void SetReallocator(Reallocator reallocator);
