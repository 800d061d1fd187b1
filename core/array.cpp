#include "core/array.h"

#include <cstdlib>
#include <cstring>

#include "core/fatal.h"

void ArrayTypeNameFromSignature(const char *signature, char *out, int size)
{
    // GCC writes "[with T = Name]", clang "[T = Name]"; a plain name is taken as it stands.
    const char *name = signature;
    size_t length = std::strlen(signature);
    if (const char *with = std::strstr(signature, "T = ")) {
        name = with + 4;
        length = std::strcspn(name, ";]");
    }
    if (length > static_cast<size_t>(size - 1))
        length = static_cast<size_t>(size - 1);
    std::memcpy(out, name, length);
    out[length] = 0;
}

void ArrayIndexFailure(const char *signature, int32_t index, int32_t count)
{
    char name[256];
    ArrayTypeNameFromSignature(signature, name, sizeof name);
    FatalFormat("Vector<%s>[%d]\r\nmax_index = %d", name, static_cast<int>(index), static_cast<int>(count - 1));
}

void **ArrayNewSlots(int32_t capacity)
{
    return static_cast<void **>(ReallocateOrDie(nullptr, sizeof(void *) * static_cast<size_t>(capacity)));
}

void ArrayFreeSlots(void **slots) { std::free(slots); }
