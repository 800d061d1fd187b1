// The firewall list of the setup script and the "[Firewall]" lines of "Uninstall.DAT": one entry
// per line (lines end at CR, LF, CR LF or LF CR), four fields separated by ";":
//
//   1  a port number (digits only) or a program path with path variables
//   2  the exception's name; empty: the product name
//   3  protocol bits of a port: 0x1 TCP, 0x2 UDP
//   4  contains "1" when the exception stays at uninstallation
//
// At installation an entry of another field count is corruption of the setup data (code 90); the
// uninstaller ignores such lines. Blank lines are no entries. Texts are wide.
#pragma once

#include <cstdint>
#include <vector>

#include "core/string.h"

constexpr int kCorruptionFirewallEntry = 90;

constexpr uint32_t kFirewallProtocolTcp = 0x1;
constexpr uint32_t kFirewallProtocolUdp = 0x2;

struct FirewallEntry {
    String line;            // the entry as written, recorded for the uninstaller
    String target;          // field 1
    String name;            // field 2
    uint32_t protocols = 0; // field 3
    bool permanent = false; // field 4 holds "1"
    bool isPort = false;    // field 1 is digits only
    uint32_t port = 0;      // its value (saturated at 0xFFFFFFFF); valid ports are 1 to 65535
};

// The non-blank lines of a list, without their line ends.
std::vector<String> FirewallLines(const String &list);

// One line; false when it does not have exactly four fields.
bool ParseFirewallEntry(const String &line, FirewallEntry &entry);

constexpr uint32_t kHighestPort = 65535;
