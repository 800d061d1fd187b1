// The system's text for an error number: core/system_error.h, for the Windows files that include
// this header by its older name.
#pragma once

#include "core/system_error.h"
