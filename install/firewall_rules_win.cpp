#include "install/firewall_rules_win.h"

#include <windows.h>

#include "core/wide_win.h"

#include "core/firewall_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "install/firewall_entries.h"
#include "install/install_log.h"
#include "install/shortcut_list.h"
#include "setupdata/corruption.h"
#include "uninstall/uninstall_data.h"

namespace {

String ProgramPath(const FirewallEntry &entry, const String &installFolder, void (*expand)(String &))
{
    String path(entry.target);
    if (expand)
        expand(path);
    if (!IsAbsolutePath(path))
        path = WidePathJoin(installFolder, path);
    return path;
}

bool FileExists(const String &path)
{
    const DWORD attributes = GetFileAttributesW(AsWide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// One port for one protocol; true when it is open afterwards.
bool OpenPort(const FirewallEntry &entry, long protocol, const char *protocolName, const String &name)
{
    const HRESULT hr = entry.port >= 1 && entry.port <= kHighestPort
                           ? AddFirewallPort(static_cast<long>(entry.port), protocol, name)
                           : E_INVALIDARG;   // not a port number the firewall could open
    if (SUCCEEDED(hr)) {
        LogPrintf("Added firewall exception: %s port %u\r\n", protocolName, entry.port);
        return true;
    }
    LogPrintf("Failed to open firewall port %u, code %d\r\n", entry.port, static_cast<int>(hr));
    return false;
}

} // namespace

void AddFirewallExceptions(const FirewallStepInput &in)
{
    const std::vector<String> lines = FirewallLines(in.list);
    if (lines.empty())
        return;
    const HRESULT connected = ConnectFirewall();
    if (FAILED(connected)) {
        LogPrintf("Failed to connect to the firewall service: code %d\r\n", static_cast<int>(connected));
        return;
    }
    for (const String &line : lines) {
        FirewallEntry entry;
        if (!ParseFirewallEntry(line, entry))
            ReportCorruption(kCorruptionFirewallEntry);
        const String name = entry.name.Empty() ? in.productName : entry.name;
        bool lastSucceeded = false;
        if (entry.isPort) {
            if (entry.protocols & kFirewallProtocolTcp)
                lastSucceeded = OpenPort(entry, kFirewallTcp, "TCP", name);
            if (entry.protocols & kFirewallProtocolUdp)
                lastSucceeded = OpenPort(entry, kFirewallUdp, "UDP", name);
        } else {
            const String path = ProgramPath(entry, in.installFolder, in.expand);
            if (!FileExists(path)) {
                LogPrintfW(u"Failed to add firewall exception for \"%s\": file does not exist\r\n", path.Wide());
            } else {
                const HRESULT hr = AddFirewallApplication(path, name);
                lastSucceeded = SUCCEEDED(hr);
                if (lastSucceeded)
                    LogConcatW(u"Added firewall exception: ", path.Wide(), u"\r\n", nullptr);
                else
                    LogPrintfW(u"Failed to add firewall exception for \"%s\", code %d\r\n", path.Wide(),
                               static_cast<int>(hr));
            }
        }
        if (lastSucceeded && !entry.permanent)
            AddFirewallRecord(PathTextFromWide(entry.line));
    }
}

void RemoveFirewallExceptions(const std::vector<String> &lines, const String &installFolder,
                              void (*expand)(String &wide))
{
    if (lines.empty() || FAILED(ConnectFirewall()))
        return;
    for (const String &line : lines) {
        FirewallEntry entry;
        if (!ParseFirewallEntry(PathTextToWide(line), entry))
            continue;
        if (entry.isPort) {
            if (entry.port < 1 || entry.port > kHighestPort)
                continue;
            if (entry.protocols & kFirewallProtocolTcp)
                RemoveFirewallPort(static_cast<long>(entry.port), kFirewallTcp);
            if (entry.protocols & kFirewallProtocolUdp)
                RemoveFirewallPort(static_cast<long>(entry.port), kFirewallUdp);
        } else {
            RemoveFirewallApplication(ProgramPath(entry, installFolder, expand));
        }
    }
}
