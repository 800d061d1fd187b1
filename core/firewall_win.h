// Windows Firewall through its INetFwMgr interfaces: authorised applications of the current
// profile. COM must be initialised on the calling thread.
#pragma once

#include <windows.h>

#include "core/string.h"

// Adds (or enables) PROGRAM, a full path in wide text, under NAME. Returns the COM result.
HRESULT AddFirewallApplication(const String &program, const String &name);

// Removes PROGRAM from the authorised applications. Returns the COM result.
HRESULT RemoveFirewallApplication(const String &program);
