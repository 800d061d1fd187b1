// Process token privileges.
#pragma once

// Enables the privilege `name` (for example SE_TAKE_OWNERSHIP_NAME) in the process token. Returns
// the system error code: ERROR_SUCCESS, or why it could not be enabled (ERROR_NOT_ALL_ASSIGNED when
// the account does not hold it).
unsigned long EnablePrivilege(const wchar_t *name);
