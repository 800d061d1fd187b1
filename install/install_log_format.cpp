#include "install/install_log_format.h"

#include "core/codepage.h"
#include "core/date_format.h"
#include "install/install_log.h"

String BuildLogHeader(const LogHeader &h)
{
    String out;
    out.AppendWide(u"Installation log for: ").Append(h.productName).AppendWide(u"\r\n");
    out.AppendWide(u"Install date: ").Append(FormatDate(kLogDatePattern, h.installDate)).AppendWide(u"\r\n");
    if (h.uninstallSupport)
        out.AppendWide(u"Install type: ").AppendWide(h.reinstall ? u"Reinstall" : u"New").AppendWide(u"\r\n");
    out.AppendWide(u"Install location: ").Append(h.installLocation).AppendWide(u"\r\n");
    out.AppendWide(u"Installer version: ").AppendWide(kInstallerVersion).AppendWide(u"\r\n");
    if (!h.productVersion.Empty())
        out.AppendWide(u"Product version: ").Append(h.productVersion).AppendWide(u"\r\n");
    if (!h.oldVersion.Empty())
        out.AppendWide(u"Overwriting version: ").Append(h.oldVersion).AppendWide(u"\r\n");
    out.AppendWide(u"Operating system: ").Append(h.operatingSystem).AppendWide(u"\r\n\r\n");
    return out;
}

bool UpgradeOldLog(String &bytes)
{
    if (bytes.Empty() || bytes.StartsWith(kLogByteOrderMark))
        return false;
    String converted(kLogByteOrderMark);
    converted.Append(LogUtf8FromCodePage(bytes.Bytes(), bytes.Length(), kCodePageWindows1252));
    bytes = converted;
    return true;
}

const char *LogLead(bool fileEmpty) { return fileEmpty ? kLogByteOrderMark : kLogSeparator; }
