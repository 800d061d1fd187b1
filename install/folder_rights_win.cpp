#include "install/folder_rights_win.h"

#include "core/folder_access_win.h"
#include "core/system_error.h"
#include "install/install_log.h"

unsigned long GrantFolderRights(const String &folder)
{
    LogConcatW(u"Granting rights to directory \"", folder.Wide(), u"\"...", nullptr);
    const DWORD rc = GrantEveryoneFullAccess(folder);
    if (rc == ERROR_SUCCESS)
        LogText("OK\r\n");
    else
        LogPrintfW(u"FAILED code %d: %s\r\n\r\n", static_cast<int>(rc), SystemErrorText(rc).Wide());
    return rc;
}
