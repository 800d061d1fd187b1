// Granting rights to the installation and shared folders: every user may change what the
// product keeps there (Everyone gets full access; deny entries go).
#pragma once

#include "core/string.h"

// Logs "Granting rights to directory "<folder>"..." and then "OK" or the failure with its code.
// Returns the system's code (0 success).
unsigned long GrantFolderRights(const String &folder);
