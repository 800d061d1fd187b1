#include "install/progress.h"

#include "setupdata/language.h"

namespace {

// Without a page: the status text is kept (the step delay and a test trace read it), the position
// has nothing to show but the installer window's own bar.
class DefaultProgressPage final : public ProgressPage {
public:
    void SetStatus(const String &) override {}
    void SetPosition(int) override {}
    void Close() override {}
};

DefaultProgressPage g_defaultPage;
ProgressPage *g_page = &g_defaultPage;
ProgressPlatform g_platform;
String g_statusText;
uint32_t g_statusTick = 0;

} // namespace

void SetProgressPage(ProgressPage *page) { g_page = page ? page : &g_defaultPage; }
ProgressPage &CurrentProgressPage() { return *g_page; }
void SetProgressPlatform(const ProgressPlatform &platform) { g_platform = platform; }

void ProgressStatus(const String &wide)
{
    g_statusText = wide;
    g_statusTick = g_platform.tickCount ? g_platform.tickCount() : 0;
    if (g_platform.trace)
        g_platform.trace("status", 0, wide);
    g_page->SetStatus(wide);
}

void ProgressStatusRow(int languageRow) { ProgressStatus(LanguageString(languageRow)); }

void ProgressPosition(int percent)
{
    if (g_platform.trace)
        g_platform.trace("progress", percent, String());
    g_page->SetPosition(percent);
    if (g_platform.postPosition)
        g_platform.postPosition(percent);
}

void ProgressActivate()
{
    if (g_platform.trace)
        g_platform.trace("activate", 0, String());
    g_page->Activate();
}

const String &ProgressStatusText() { return g_statusText; }
uint32_t ProgressStatusTick() { return g_statusTick; }
