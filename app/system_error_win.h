// The system's text for an error number, for messages that name why something failed.
#pragma once

#include "core/string.h"

// Wide text without the trailing line break; empty when the system has no text for `error`.
String SystemErrorText(unsigned long error);
