#include "core/system_error.h"

#include "core/codepage.h"
#include "core/format.h"

// The host has no system message table for Windows error numbers: the fallback text stands.
String SystemErrorText(uint32_t number)
{
    char text[32];
    FormatBuffer(text, sizeof text, "Error %u", static_cast<unsigned>(number));
    return WideFromAscii(text);
}
