// The project's named option bits and colours, in one table that serves both the reader (a key's
// value sets or clears its bit) and --dump (a set bit is shown under its key's name).
#pragma once

#include <cstddef>
#include <cstdint>

#include "pack/project_table.h"
#include "setupdata/settings.h"

// Option bits with a name of their own. `inverted` keys name the effect of a clear bit
// ("greeting_page = false" sets the bit that hides the greeting page).
struct FlagKey {
    const char *table;
    const char *key;
    int word;           // 1: ProductFlags, 2: ProductFlags2
    uint64_t mask;
    bool inverted;
    bool byDefault;     // the key's value when it is absent
};

extern const FlagKey kFlagKeys[];
extern const size_t kFlagKeyCount;

void SetFlag(Settings &s, const FlagKey &f, bool value);

// Reads the named option bits of one table (all of them at their defaults when the table is
// absent).
void ReadFlags(const char *table, ProjectTable *t, Settings &s);

// "#rrggbb" or an integer: a Windows colour (0x00bbggrr).
uint32_t Colour(ProjectTable &t, const char *key, uint32_t fallback);
