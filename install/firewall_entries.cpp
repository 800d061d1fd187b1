#include "install/firewall_entries.h"

#include "install/text_lines.h"

namespace {

constexpr size_t kFirewallFields = 4;

bool DigitsOnly(const String &text)
{
    if (text.Empty())
        return false;
    for (int32_t i = 0; i < text.WideLength(); ++i)
        if (text.Wide()[i] < u'0' || text.Wide()[i] > u'9')
            return false;
    return true;
}

} // namespace

std::vector<String> FirewallLines(const String &list) { return NonBlankWideLines(list); }

bool ParseFirewallEntry(const String &line, FirewallEntry &entry)
{
    std::vector<String> fields(1);
    for (int32_t i = 0; i < line.WideLength(); ++i) {
        if (line.Wide()[i] == u';')
            fields.emplace_back();
        else
            fields.back().AppendWideChar(line.Wide()[i]);
    }
    if (fields.size() != kFirewallFields)
        return false;
    entry = FirewallEntry();
    entry.line = line;
    entry.target = fields[0];
    entry.target.TrimWide();
    entry.name = fields[1];
    entry.name.TrimWide();
    const int64_t protocols = fields[2].ParseIntegerWide();
    entry.protocols = protocols < 0 ? 0 : static_cast<uint32_t>(protocols & 0xFFFFFFFF);
    for (int32_t i = 0; i < fields[3].WideLength(); ++i)
        if (fields[3].Wide()[i] == u'1')
            entry.permanent = true;
    entry.isPort = DigitsOnly(entry.target);
    if (entry.isPort) {
        const int64_t port = entry.target.ParseIntegerWide();
        entry.port = port > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<uint32_t>(port);
    }
    return true;
}
