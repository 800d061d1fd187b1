// The readme page: one readme document; accepting goes on, cancel cancels the installation.
#include "setupdata/settings.h"
#include "wizard/document_view_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"

bool ShowReadmePage(const String &document)
{
    if (document.Empty())
        return true;
    DocumentPage page;
    page.frame.variant = NormalisedVariant(g_settings.DialogVariants[kVariantReadme]);
    page.frame.titleRow = 50;
    page.frame.textRow = 51;
    page.frame.acceptRow = kNextButtonRow;
    page.frame.cancelRow = kCancelButtonRow;
    page.document = &document;
    return RunModalPage(PageTemplateName(u"ReadmeDlg", page.frame.variant), DocumentPageProc, &page.frame) == kPageAccept;
}
