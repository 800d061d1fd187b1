#include "core/memory.h"

#include <cstdlib>

#include "core/fatal.h"

void *ReallocateOrDie(void *block, size_t size)
{
    void *result = std::realloc(block, size ? size : 1);
    if (!result) {
        const unsigned requested = static_cast<unsigned>(size);
        FatalFormat("Out Of Memory.\r\nAdvice: %s\r\nRequested size = %u (0x%08X)",
                    "Make sure the hard drive is not full.", requested, requested);
    }
    return result;
}
