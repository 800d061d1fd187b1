// The licence page: one licence document; accepting goes on, declining cancels the installation.
// Its accept button is not the default button, so that Enter does not accept a licence unread.
#include "setupdata/settings.h"
#include "wizard/document_view_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"

bool ShowLicencePage(const String &document)
{
    if (document.Empty())
        return true;
    DocumentPage page;
    page.frame.variant = NormalisedVariant(g_settings.DialogVariants[kVariantLicence]);
    page.frame.titleRow = 44;
    page.frame.textRow = 47;
    page.frame.acceptRow = 45;
    page.frame.cancelRow = 46;
    page.document = &document;
    return RunModalPage(PageTemplateName(u"LicenseDlg", page.frame.variant), DocumentPageProc, &page.frame) == kPageAccept;
}
