// A crash inside a guarded step of the install sequence is contained: the log has the crash, the
// failure summary the step's text, and the sequence goes on with the step the table names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_mode.h"
#include "core/failure_summary.h"
#include "install/install_log.h"
#include "install/sequence_state.h"
#include "setupdata/settings.h"

// The test's own steps in the places of the shell and system steps.
namespace {
std::vector<std::string> g_ran;
std::string g_log;
void Capture(const char *bytes, int32_t length) { g_log.append(bytes, static_cast<size_t>(length)); }
void Crash()
{
    volatile int *volatile p = nullptr;
    *p = 1;
}

void PinToTaskbarStep(InstallRun &)
{
    g_ran.push_back("pin");
    Crash();
}
void WriteRegistryStep(InstallRun &) { g_ran.push_back("registry"); }
void InstallAssociationsStep(InstallRun &)
{
    g_ran.push_back("associations");
    Crash();
}
void AddFirewallStep(InstallRun &)
{
    g_ran.push_back("firewall");
    Crash();
}
void AddToPathStep(InstallRun &) { g_ran.push_back("path"); }
void Nothing(InstallRun &) {}
void NoUninstallShortcuts(InstallRun &, const String &) {}

TEST(GuardedSteps, CrashesAreContainedWhereTheTableSays)
{
    Settings settings;
    settings.ProductFlags = SequenceFlag::AddToPath;
    RunMode mode;
    mode.automatic = true;
    CommandLineOverrides overrides;
    SequenceInput input;
    input.settings = &settings;
    input.mode = &mode;
    input.overrides = &overrides;
    InstallRun run(input);
    run.steps = SystemSteps{NoUninstallShortcuts, Nothing,         Nothing,          Nothing,         PinToTaskbarStep,
                            WriteRegistryStep,    Nothing,         InstallAssociationsStep, AddFirewallStep, AddToPathStep};
    ClearFailureSummary();
    SetLogBodySink(Capture);

    InstallShellEntries(run);
    SetLogBodySink(nullptr);

    // Each crash ends only its own step; the next one runs.
    EXPECT_EQ(g_ran, (std::vector<std::string>{"pin", "registry", "associations", "firewall", "path"}));
    EXPECT_EQ(std::string(FailureSummary().Bytes()),
              "Crash while pinning to taskbar.\r\nCrashed while installing associations.\r\n");
    EXPECT_NE(g_log.find("Crashed while pinning to the taskbar (exception 0xC0000005"), std::string::npos) << g_log;
    EXPECT_NE(g_log.find("Crashed while installing associations (exception 0xC0000005"), std::string::npos);
    EXPECT_NE(g_log.find("Crashed while adding firewall exceptions (exception 0xC0000005"), std::string::npos);
}

} // namespace
