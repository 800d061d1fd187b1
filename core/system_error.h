// The system error a failed call leaves, in the one shape every wrapper of core/ reports it: the
// system's error number and, where the failure is the wrapper's own rather than the system's (a
// read that ran past the end of a file, say), the wrapper's fixed text.
#pragma once

#include <cstdint>

#include "core/string.h"

struct SystemError {
    uint32_t number = 0;   // GetLastError's number or a registry call's result; 0: no system error
    String text;           // wide; empty: the system's text for `number`

    SystemError() = default;
    // From a system error number, as the registry calls and GetLastError give it.
    SystemError(uint32_t systemNumber) : number(systemNumber) {}   // NOLINT: implicit on purpose
    SystemError(uint32_t systemNumber, const String &wrapperText) : number(systemNumber), text(wrapperText) {}

    bool Failed() const { return number != 0 || !text.Empty(); }
    // The text shown next to what failed: the wrapper's, else the system's.
    String Describe() const;
};

// Wide text for a system error number without the trailing line end Windows puts after its
// messages; "Error %u" when the system has no text for the number (always on the host).
String SystemErrorText(uint32_t number);
