#include "uninstall/uninstall.h"

#include <windows.h>

#include "core/ascii_text.h"
#include "core/path_parts.h"
#include "core/registry_win.h"
#include "setupdata/language.h"
#include "uninstall/uninstall_procedure_win.h"
#include "wizard/message_box_win.h"

namespace {

// The uninstall entry is read in the process's own registry view (on 64-bit Windows the 32-bit
// view): that is where the installation, a 32-bit process, registered it.
constexpr RegistryView kEntryView = RegistryView::Native;

const char16_t kDisplayNameValue[] = u"DisplayName";
const char16_t kInstallLocationValue[] = u"InstallLocation";

// The uninstaller's error boxes before its entry is read: none when `quiet`.
class UninstallErrors {
public:
    explicit UninstallErrors(bool quiet) : silent_(quiet) {}

    void Show(const String &text) const { ShowErrorBox(text, silent_, LanguageString(kErrorCaptionRow)); }

    void Show(const char16_t *before, const String &name, const char16_t *after) const
    {
        String text(before);
        text.Append(name);
        text.AppendWide(after);
        Show(text);
    }

private:
    bool silent_;
};

} // namespace

bool UninstallProduct(const UninstallRequest &request, UninstallNotice &notice)
{
    const String &productName = request.productName;
    // Automatic mode suppresses error boxes unless the entry's flags ask for them; before the
    // entry is read there are no such flags.
    const UninstallErrors errors(request.silent || request.automatic);
    String keyPath(kUninstallKeyPath);
    keyPath.AppendWideChar(u'\\');
    keyPath.Append(productName);

    // Full access is asked for only to learn whether this account may remove the product at all.
    {
        RegistryKey probe;
        const LONG error = probe.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS, kEntryView);
        if (error == ERROR_ACCESS_DENIED) {
            errors.Show(String(u"Permission denied.  Please login with an administrator account before "
                                u"uninstalling."));
            return false;
        }
        if (error != ERROR_SUCCESS) {
            errors.Show(u"No product named '", productName, u"' is installed.");
            return false;
        }
    }

    RegistryKey entry;
    if (entry.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ | KEY_WRITE, kEntryView) != ERROR_SUCCESS) {
        errors.Show(u"Unable to access the uninstall information for:\r\n", productName,
                           u"\r\n\r\nThe uninstallation cannot be performed.");
        return false;
    }

    // A missing value reads as empty, as an empty one does.
    String displayName;
    entry.ReadString(String(kDisplayNameValue), displayName);
    if (IsBlankWide(displayName))
        displayName = productName;
    String installFolder;
    entry.ReadString(String(kInstallLocationValue), installFolder);
    if (IsBlankWide(installFolder)) {
        errors.Show(u"The uninstall information for ", displayName,
                           u" is corrupt.\r\n\r\nThe uninstallation cannot be performed.");
        return false;
    }

    UninstallContext context;
    context.productName = displayName;
    context.keyPath = keyPath;
    context.entry = &entry;
    context.silent = request.silent;
    context.automatic = request.automatic || request.silent;
    context.runAfter = request.runAfter;
    context.installFolder = installFolder;
    context.installFolder.TrimWide();
    WidePathStripTrailingBackslash(context.installFolder);
    SetUninstallSystemSteps(ProgramUninstallSystemSteps());
    if (!RemoveInstalledProduct(context))
        return false;
    notice.address = context.notifyUrl;
    notice.version = context.displayVersion;
    return true;
}
