// Windows Firewall through its INetFwMgr interfaces: authorised applications and globally open
// ports of the current profile. COM must be initialised on the calling thread.
#pragma once

#include <windows.h>

#include "core/string.h"

// Adds (or enables) PROGRAM, a full path in wide text, under NAME. Returns the COM result.
HRESULT AddFirewallApplication(const String &program, const String &name);

// Removes PROGRAM from the authorised applications. Returns the COM result.
HRESULT RemoveFirewallApplication(const String &program);

// IP protocol numbers of open ports.
constexpr long kFirewallTcp = 6;    // NET_FW_IP_PROTOCOL_TCP
constexpr long kFirewallUdp = 17;   // NET_FW_IP_PROTOCOL_UDP

// Whether the firewall manager can be reached at all (the step's "connect").
HRESULT ConnectFirewall();

// Opens PORT for PROTOCOL under NAME. A port already open counts as added. Returns the COM result.
HRESULT AddFirewallPort(long port, long protocol, const String &name);

// Closes PORT for PROTOCOL. Returns the COM result.
HRESULT RemoveFirewallPort(long port, long protocol);
