#include "app/install_mode_win.h"

#include <windows.h>

#include "app/exit.h"
#include "app/fatal_error.h"
#include "app/installer_window_setup_win.h"
#include "app/notification_win.h"
#include "app/program_win.h"
#include "app/run_mode.h"
#include "app/wizard_stage_win.h"
#include "core/codepage.h"
#include "core/file_win.h"
#include "core/step_failure.h"
#include "install/batch_win.h"
#include "install/install_log.h"
#include "install/install_log_body.h"
#include "install/install_log_finish.h"
#include "install/sequence.h"
#include "core/system_error.h"
#include "setupdata/corruption.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "setupdata/settings_stream.h"
#include "setupdata/settings_win.h"
#include "setupdata/setup_data_win.h"
#include "setupdata/windows_version.h"
#include "wizard/installer_window_win.h"
#include "wizard/message_box_win.h"
#include "wizard/pages.h"
#include "wizard/wizard_flags.h"

namespace {

const char16_t kOpenSelfFailed[] =
    u"Error code 1: The installer could not open itself.\r\nFilename: %ls\r\nError #%d: %ls";

const char16_t kInformationText[] =
    u"This program performs installations and uninstallations.\r\n"
    u"There is no installation data present.\r\n"
    u"No uninstallation parameters were specified.\r\n\r\n"
    u"You should not delete this program or execute it directly.";

// The program's own file, open for reading from here to the end of the process: the setup data
// is read from it to the end of the installation.
File g_programFile;

void OpenProgramFile()
{
    const String path = ProgramPath();
    if (path.Empty()) {
        const SystemError error(GetLastError());
        FatalErrorFormat(kOpenSelfFailed, path.Wide(), static_cast<int>(error.number), error.Describe().Wide());
    }
    if (g_programFile.Open(path, FileCreation::OpenExisting, FileReadAccess | FileShareRead) != 0) {
        const SystemError error = g_programFile.LastError();
        FatalErrorFormat(kOpenSelfFailed, path.Wide(), static_cast<int>(error.number), error.Describe().Wide());
    }
}

// The path variables read the settings through the installation's path state; an expansion sees
// the settings as they stand at that moment (the reader's: as read so far).
void ExpandPathVariablesIn(const Settings &settings, String &wide)
{
    CopySettingsToPathState(settings, InstallationPathState());
    ExpandPathVariables(wide);
}

void ExpandProductPlaceholdersIn(const Settings &settings, String &wide)
{
    CopySettingsToPathState(settings, InstallationPathState());
    ExpandProductPlaceholders(wide);
}

void ExpandRunProductPlaceholders(String &wide) { ExpandProductPlaceholdersIn(g_settings, wide); }

String TranslatedCorruptionMessage() { return LanguageStringNarrow(kCorruptionMessageRow); }

// The process-wide state of an installation run is wired here, in one place: the language table
// the run's texts come from, the translated corruption message, and the settings read with the
// command line's values, whose decisions the run mode takes over.
void ReadInstallationSettings()
{
    SetRunLanguage(&g_settings.Languages, ExpandRunProductPlaceholders);
    SetCorruptionMessageSource(TranslatedCorruptionMessage);

    SettingsInputs inputs;
    inputs.silent = g_runMode.silent;
    inputs.productName = g_commandLineOverrides.productName;
    inputs.installFolder = g_commandLineOverrides.installFolder;
    inputs.headerFlags2 = g_setupData.container.header.productFlags2;
    // The installer window comes up after the reader's sixth item unless the settings say no window.
    inputs.hooks = WindowsSettingsHooks();
    inputs.hooks.createInstallerWindow = CreateRunInstallerWindow;
    inputs.hooks.scriptChecksumMatches = OwnScriptChecksumMatches;
    inputs.hooks.expandPathVariables = ExpandPathVariablesIn;
    inputs.hooks.expandProductPlaceholders = ExpandProductPlaceholdersIn;

    SettingsStream stream(g_setupData.record);
    ApplySettingsDecisions(ReadSettings(stream, inputs, g_settings), g_runMode);
}

// What follows the last setting: the path values the settings decided (the %DesktopShortcuts%
// folder among them; the banner headline had its placeholders expanded by the reader) and the
// install notification request.
void AfterSettings()
{
    CopySettingsToPathState(g_settings, InstallationPathState());
    ApplySettingsToInstallerWindow(g_settings);
    StartNotificationRequest(WideFromCodePage(g_settings.InstallNotifyURL, kCodePageAnsi),
                             g_settings.DisplayVersionWide);
}

void LogStepFailure(const String &wideLine) { LogStringW(wideLine); }

// The run whose finish actions the finish page decides.
SequenceInput *g_runInput = nullptr;

void ShowInformation(const String &text, const String &caption)
{
    (void)ShowMessage(text, caption, MB_OK | MB_ICONINFORMATION);
}

// The finish page with what the end of the installation offers; its ticks become the run's
// finish actions.
void ShowRunFinishPage()
{
    const InstallLogContext &log = CurrentInstallLogContext();
    FinishOffers offers;
    offers.launchApplication = log.finishLaunchApp;
    offers.openFile = log.finishOpenFile;
    offers.openSecondFile = log.finishOpenSecondFile;
    offers.viewLog = (g_settings.ProductFlags & WizardFlag::OfferViewLog) != 0;
    (void)ShowFinishPage(offers);
    if (!g_runInput)
        return;
    FinishActions &finish = g_runInput->finish;
    finish.launchApplication = offers.launchApplication && g_finishChoices.launchApplication;
    finish.openFile = offers.openFile && g_finishChoices.openFile;
    finish.openSecondFile = offers.openSecondFile && g_finishChoices.openSecondFile;
    finish.viewLog = offers.viewLog && g_finishChoices.viewLog;
}

void DiscardTemporaryLog() { DiscardLogBody(); }

// The installation's process-wide pieces are wired here: the step-failure lines go into the log,
// the batches and the log learn the run mode, and the exit removes the temporary log.
void WireInstallation()
{
    SetStepLogSink(LogStepFailure);
    SetExitAction(ExitStep::TemporaryLog, DiscardTemporaryLog);

    BatchRunMode batch;
    batch.automatic = g_runMode.automatic;
    batch.silent = g_runMode.silent;
    batch.owner = InstallerWindow();
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    // Only "older than Windows 7" matters here, which the compatibility-shimmed answer gives too.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExW(&info))
        batch.olderThanWindows7 = info.dwMajorVersion < 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion < 1);
#pragma GCC diagnostic pop
    SetBatchRunMode(batch);

    InstallLogContext log;
    log.settings = &g_settings;
    log.automatic = g_runMode.automatic;
    log.operatingSystem = OperatingSystemName();
    log.installerFolder = PathVariableValue(PathVariable::InstallerDir);
    // The outcome is told through the wizard's message box and finish page.
    log.hooks.askYesNo = AskYesNo;
    log.hooks.showInformation = ShowInformation;
    log.hooks.showFinishPage = ShowRunFinishPage;
    SetInstallLogContext(log);
}

} // namespace

void RunInstallMode()
{
    OpenProgramFile();
    if (!OpenSetupData(g_programFile))
        FatalError(kInformationText);

    ReadInstallationSettings();
    AfterSettings();

    CheckOwnImageAndPrepareUninstaller(g_programFile, (g_settings.ProductFlags & ProductFlag::CheckImageChecksum)
                                                          ? ImageChecksumTest::Compare
                                                          : ImageChecksumTest::Skip);

    WireInstallation();
    SequenceInput input;
    input.settings = &g_settings;
    input.mode = &g_runMode;
    input.overrides = &g_commandLineOverrides;
    input.programPath = ProgramPath();
    g_runInput = &input;
    RunWizardStage(input);
    RunInstallSequence(input);
}
