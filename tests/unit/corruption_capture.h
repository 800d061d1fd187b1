// Runs code that may report corruption and tells which code it reported, through the corruption
// handler seam (the handler throws, so the reporting code does not go on).
#pragma once

#include "setupdata/corruption.h"

struct CorruptionReported {
    int code;
};

inline void ThrowCorruption(int code) { throw CorruptionReported{code}; }

// The code `run` reported, or 0 when it returned normally (no corruption code is 0).
template <class Run>
int CorruptionCodeOf(Run run)
{
    SetCorruptionHandler(ThrowCorruption);
    int code = 0;
    try {
        run();
    } catch (const CorruptionReported &reported) {
        code = reported.code;
    }
    SetCorruptionHandler(nullptr);
    return code;
}
